#include "tests/support/widgets.h"

#include "platform/startup.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QPointer>
#include <QScopeGuard>
#include <QTimer>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace testsupport {

void expectDrawnAsAsked(const QWidget& control)
{
    const QFont asked = control.font();
    const QFontInfo drawn(asked);
    const QString name = control.objectName();
    EXPECT_EQ(drawn.family(), asked.family()) << qPrintable(name);
    EXPECT_NEAR(drawn.pointSizeF(), asked.pointSizeF(), 0.1) << qPrintable(name);
    EXPECT_TRUE(QFontDatabase::isSmoothlyScalable(drawn.family(), drawn.styleName()))
        << qPrintable(name) << " is drawn in a raster face";
}

void expectScaledClientArea([[maybe_unused]] QWidget& window, [[maybe_unused]] QSize designed)
{
#ifdef Q_OS_WIN
    if (QGuiApplication::platformName() != u"windows") {
        return;
    }
    auto* const handle = reinterpret_cast<HWND>(window.winId());
    HDC screen = GetDC(handle);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(handle, screen);
    if (qEnvironmentVariableIsSet("TEST_SCREEN_DPI")) {
        EXPECT_EQ(dpi, qEnvironmentVariableIntValue("TEST_SCREEN_DPI")) << "the screen's density";
    }
    RECT client{};
    ASSERT_TRUE(GetClientRect(handle, &client));
    EXPECT_NEAR(client.right, designed.width() * dpi / 96.0, 2);
    EXPECT_NEAR(client.bottom, designed.height() * dpi / 96.0, 2);
#endif
}

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
