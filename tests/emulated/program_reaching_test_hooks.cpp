// Must not compile: the program's libraries cannot restart the machine.
#include "platform/emulated/machine.h"

int main()
{
    emulated::Machine::instance().reset();
}
