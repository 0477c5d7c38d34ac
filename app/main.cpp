// The run time: starts the program into the New User window.

#include "forms/frmNewUser.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    frmNewUser window;
    window.show();
    return QApplication::exec();
}
