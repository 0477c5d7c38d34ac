// The run time: starts the program into the New User window.

#include "admin/mdlDiskQuota.h"
#include "forms/frmNewUser.h"
#include "platform/messagebox.h"
#include "platform/startup.h"

#include <QApplication>
#include <cstdlib>

int main(int argc, char* argv[])
{
    // Outlives the application object and with it every window.
    const platform::StartupGuard platformGuard;
    QApplication application(argc, argv);
    // Without what the platform needs no quota could be applied: the
    // administrator learns why before any account is added.
    if (const auto failure = platformGuard.failure()) {
        platform::MsgBox(*failure, platform::MessageStyle::Critical, mdlDiskQuota::kMessageTitle);
        return EXIT_FAILURE;
    }
    frmNewUser window;
    window.show();
    return QApplication::exec();
}
