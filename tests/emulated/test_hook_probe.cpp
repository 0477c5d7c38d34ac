// Must not compile: the program's libraries cannot restart the machine. The
// same call through the tests' face (THROUGH_TESTS_FACE) must, so that the
// refusal is for access alone.
#include "tests/support/machine_probe.h"

int main()
{
#ifdef THROUGH_TESTS_FACE
    emulated::MachineProbe::reset();
#else
    emulated::Machine::instance().reset();
#endif
}
