#include "tests/support/widgets.h"

#include "platform/startup.h"

#include <QPointer>
#include <QScopeGuard>
#include <QTimer>

namespace testsupport {

void withModal(const std::function<void()>& open, const std::function<void(QWidget& modal)>& act)
{
    bool shown = false;
    QTimer poll;
    poll.callOnTimeout([&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            return;
        }
        poll.stop();
        shown = true;
        // Closed on every path, an assertion that failed inside `act`
        // included, so that `open` returns and the failure shows at once.
        const auto closeWhatIsLeftOpen = qScopeGuard([&, opened = QPointer(modal)] {
            if (opened && opened->isVisible()) {
                ADD_FAILURE() << "the modal window was left open";
                opened->close();
            }
        });
        act(*modal);
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
