#pragma once

// Finding and working the controls of a window, as the tests of the windows do.

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace testsupport {

// The control of that object name in the window; the test fails without one.
template <typename T = QWidget> T* child(const QWidget& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

inline void click(QWidget* control)
{
    QTest::mouseClick(control, Qt::LeftButton);
}

// Shows the window and makes it the active one, as when it opens.
inline bool showActive(QWidget& window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
}

} // namespace testsupport
