#pragma once

// Working the windows as a person does, inside an application object as the
// program has; widgets.cpp holds the tests' main.

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <functional>
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

// Runs `open`, which shows a modal window and returns once it is closed, and
// hands that window to `act` while it is shown; `act` must close it. The
// test fails when `open` returns without having shown one, or when `act`
// leaves it open, which is then closed.
void withModal(const std::function<void()>& open, const std::function<void(QWidget& modal)>& act);

} // namespace testsupport
