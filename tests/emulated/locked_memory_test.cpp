// A secret's block stays in memory while it lives: the process's locked
// memory grows by it and shrinks back once it is released.

#include "platform/locked_memory.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace {

long lockedKilobytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmLck:")) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

TEST(LockedMemoryTest, LocksItsBlockWhileItLives)
{
    const long before = lockedKilobytes();
    ASSERT_GE(before, 0);
    {
        const platform::LockedMemory block(20);
        EXPECT_GT(lockedKilobytes(), before);
    }
    EXPECT_EQ(lockedKilobytes(), before);
}

} // namespace
