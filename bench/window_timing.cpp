// Times the windows on the emulated machine, driving them as the window tests
// do, with the toolkit's message box; usage: window_timing RUNS.
//
// Each round enters a new user name, presses Create and, once the quota window
// has put out its first frame, presses OK. "Shown" is the end of the handling
// of the quota window's first expose, in which Qt paints and flushes it;
// "gone" is Create's click returning, the quota window closed and discarded.
// One round that warms the caches goes first.

#include "bench/median.h"
#include "forms/frmNewUser.h"
#include "platform/emulated/machine.h"
#include "platform/qt/password_box.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

[[noreturn]] void fail(const QString& why)
{
    std::fprintf(stderr, "window_timing: %s\n", qPrintable(why));
    std::exit(1);
}

template <typename T> T* control(const QWidget& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) {
        fail(QStringLiteral("no control %1").arg(QLatin1String(name)));
    }
    return found;
}

void click(QWidget* control)
{
    QTest::mouseClick(control, Qt::LeftButton);
}

double milliseconds(const QElapsedTimer& clock)
{
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// Presses OK on the quota window as soon as it is shown, noting the times.
class QuotaWindowDriver : public QObject
{
public:
    QElapsedTimer sinceCreate;
    QElapsedTimer sinceOK;
    double createToShown = 0;

    void expectQuotaWindow() { pressed_ = false; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (event->type() != QEvent::Expose || pressed_ || modal == nullptr ||
            watched != modal->windowHandle() || !modal->windowHandle()->isExposed()) {
            return false;
        }
        if (auto* message = qobject_cast<QMessageBox*>(modal)) {
            fail(message->text());
        }
        pressed_ = true;
        // Qt paints and flushes the window while it handles this event; the
        // timer fires once that is done.
        QTimer::singleShot(0, modal, [this, modal] {
            createToShown = milliseconds(sinceCreate);
            sinceOK.start();
            click(control<QPushButton>(*modal, "cmdOK"));
        });
        return false;
    }

private:
    bool pressed_ = true;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const int runs = argc == 2 ? std::atoi(argv[1]) : 0;
    if (runs < 1) {
        fail(QStringLiteral("usage: window_timing RUNS"));
    }

    frmNewUser window;
    window.show();
    // Activated once mapped, as a window manager would; the quota window
    // then stands over it.
    if (!QTest::qWaitForWindowExposed(&window)) {
        fail(QStringLiteral("the New User window was not shown"));
    }
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) {
        fail(QStringLiteral("the New User window did not become active"));
    }
    QuotaWindowDriver driver;
    application.installEventFilter(&driver);
    control<QLineEdit>(window, "txtServer")->setText(QStringLiteral("localhost"));

    std::vector<double> shown;
    std::vector<double> gone;
    for (int round = -1; round < runs; ++round) {
        // A name the machine has not seen, so the account is added each time.
        const QString user = QStringLiteral("user%1").arg(round + 1);
        control<QLineEdit>(window, "txtUserID")->setText(user);
        control<platform::PasswordBox>(window, "txtPassword")->setText(QStringLiteral("pw"));
        control<platform::PasswordBox>(window, "txtConfirm")->setText(QStringLiteral("pw"));

        driver.expectQuotaWindow();
        driver.sinceCreate.start();
        click(control<QPushButton>(window, "cmdCreate"));
        const double okToGone = milliseconds(driver.sinceOK);

        emulated::Machine& machine = emulated::Machine::instance();
        if (machine.volume(u'D')->entries.count(machine.name() + u'\\' + user) != 1) {
            fail(QStringLiteral("no quota entry for %1").arg(user));
        }
        if (round >= 0) {
            shown.push_back(driver.createToShown);
            gone.push_back(okToGone);
        }
    }
    std::printf("Create to quota window shown: %.1f ms\n", median(shown));
    std::printf("OK to quota window gone: %.1f ms\n", median(gone));
}
