#pragma once

// The tests' face of the emulated machine: they start it afresh, make its
// calls fail and look inside. Only tests and the fuzz target link this; the
// program has no way to any of it.

#include "platform/emulated/machine.h"

namespace emulated {

class MachineProbe
{
public:
    // Back to the state the machine starts in.
    static void reset();

    static const std::vector<Account>& accounts();
    static bool isPassword(const QString& accountName, const QString& candidate);

    // Every network API buffer allocated since the reset, freed or not.
    static const std::vector<BufferRecord>& buffers();
    static std::size_t outstandingBuffers();
    // Automation objects created and not yet released.
    static int liveObjects();

    // A later call fails with the status given, and changes nothing: the next
    // allocation after the number of successful ones given, the next
    // NetUserAdd (naming the offending member, as it does with status 87),
    // the next automation object created, the next use of the member.
    static void failNextAllocation(platform::NET_API_STATUS status, std::size_t afterSuccesses = 0);
    static void failNextUserAdd(platform::NET_API_STATUS status, std::uint32_t parmIndex = 0);
    static void failNextCreation(std::int32_t code);
    static void failNextUse(const QString& member, std::int32_t code);
};

} // namespace emulated
