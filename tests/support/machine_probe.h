#pragma once

// The tests' face of the emulated machine: they start it afresh, make its
// calls fail and look inside. Only tests and the fuzz target include this;
// the machine keeps all of it private from the program.

#include "platform/emulated/machine.h"

namespace emulated {

class MachineProbe
{
public:
    // Back to the state the machine starts in.
    static void reset() { machine().reset(); }

    static const std::vector<Account>& accounts() { return machine().accounts_; }
    static bool isPassword(const QString& accountName, const QString& candidate)
    {
        return machine().isPassword(accountName, candidate);
    }

    // Every network API buffer allocated since the reset, freed or not.
    static const std::vector<BufferRecord>& buffers() { return machine().buffers_; }
    static std::size_t outstandingBuffers() { return machine().live_.size(); }
    // Automation objects created and not yet released.
    static int liveObjects() { return machine().liveObjects_; }

    // A later call fails with the status given, and changes nothing: the next
    // allocation after the number of successful ones given, the next
    // NetUserAdd (naming the offending member, as it does with status 87),
    // the next automation object created, the next use of the member.
    static void failNextAllocation(platform::NET_API_STATUS status, std::size_t afterSuccesses = 0)
    {
        machine().allocationFailure_ = status;
        machine().allocationsBeforeFailure_ = afterSuccesses;
    }
    static void failNextUserAdd(platform::NET_API_STATUS status, std::uint32_t parmIndex = 0)
    {
        machine().userAddFailure_ = status;
        machine().userAddFailureIndex_ = parmIndex;
    }
    static void failNextCreation(std::int32_t code) { machine().creationFailure_ = code; }
    static void failNextUse(const QString& member, std::int32_t code)
    {
        machine().memberFailures_[member.toLower()] = code;
    }

private:
    static Machine& machine() { return Machine::instance(); }
};

} // namespace emulated
