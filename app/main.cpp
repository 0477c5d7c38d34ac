// The run time: starts the program into the New User window.

#include "forms/frmNewUser.h"

#include <QApplication>

#ifdef _WIN32
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
    frmNewUser window;
    window.show();
    return QApplication::exec();
}
