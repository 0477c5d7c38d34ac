#include "tests/support/widgets.h"

#include "platform/startup.h"

#include <QTimer>

namespace testsupport {

void withModal(const std::function<void()>& open, const std::function<void(QWidget& modal)>& act)
{
    bool shown = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal->isVisible()) {
            poll.stop();
            shown = true;
            act(*modal);
        }
    });
    poll.start(10);
    open();
    EXPECT_TRUE(shown) << "no modal window was shown";
}

} // namespace testsupport

int main(int argc, char* argv[])
{
    // As the program's run time does, before any automation object is made.
    const platform::StartupGuard platformGuard;
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
