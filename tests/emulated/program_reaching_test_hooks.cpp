// Built by a test that expects it not to build: the program's own libraries
// give no way to start the emulated machine afresh or make its calls fail.

#include "platform/emulated/machine.h"

int main()
{
    emulated::Machine::instance().reset();
}
