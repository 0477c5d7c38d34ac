// The run time: starts the program into the New User window.

#include "forms/frmNewUser.h"

#include <QApplication>
#include <cstdlib>

#ifdef _WIN32
#include "admin/mdlDiskQuota.h"
#include "platform/messagebox.h"
#include "platform/windows/com_apartment.h"
#endif

int main(int argc, char* argv[])
{
#ifdef _WIN32
    // The quota object is created and driven on this thread; its apartment
    // outlives the application object and with it every window.
    const platform::windows::ComApartment apartment;
#endif
    QApplication application(argc, argv);
#ifdef _WIN32
    // Without an apartment no quota could be applied: the administrator
    // learns why before any account is added.
    if (const auto& failure = apartment.failure()) {
        platform::MsgBox(failure->description(), platform::MessageStyle::Critical,
                         mdlDiskQuota::kMessageTitle);
        return EXIT_FAILURE;
    }
#endif
    frmNewUser window;
    window.show();
    return QApplication::exec();
}
