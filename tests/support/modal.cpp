#include "tests/support/modal.h"

#include <QApplication>
#include <QTimer>
#include <gtest/gtest.h>

namespace testsupport {

void whenModalShown(std::function<void(QWidget& modal)> act)
{
    auto* poll = new QTimer(qApp);
    auto triesLeft = std::make_shared<int>(500);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, triesLeft, act = std::move(act)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal->isVisible()) {
            poll->deleteLater();
            poll->stop();
            act(*modal);
        } else if (--*triesLeft == 0) {
            poll->deleteLater();
            poll->stop();
            ADD_FAILURE() << "no modal window was shown";
        }
    });
    poll->start(10);
}

} // namespace testsupport
