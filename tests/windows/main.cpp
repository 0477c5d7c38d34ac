// Runs the tests on a thread that has entered its apartment, as the program's
// run time does before it drives any automation object.

#include "platform/windows/com_apartment.h"

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    const platform::windows::ComApartment apartment;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
