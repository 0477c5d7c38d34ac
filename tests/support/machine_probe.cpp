#include "tests/support/machine_probe.h"

namespace emulated {
namespace {

Machine& machine()
{
    return Machine::instance();
}

} // namespace

void MachineProbe::reset()
{
    machine().reset();
}

const std::vector<Account>& MachineProbe::accounts()
{
    return machine().accounts_;
}

bool MachineProbe::isPassword(const QString& accountName, const QString& candidate)
{
    return machine().isPassword(accountName, candidate);
}

const std::vector<BufferRecord>& MachineProbe::buffers()
{
    return machine().buffers_;
}

std::size_t MachineProbe::outstandingBuffers()
{
    return machine().live_.size();
}

int MachineProbe::liveObjects()
{
    return machine().liveObjects_;
}

void MachineProbe::failNextAllocation(platform::NET_API_STATUS status, std::size_t afterSuccesses)
{
    machine().allocationFailure_ = status;
    machine().allocationsBeforeFailure_ = afterSuccesses;
}

void MachineProbe::failNextUserAdd(platform::NET_API_STATUS status, std::uint32_t parmIndex)
{
    machine().userAddFailure_ = status;
    machine().userAddFailureIndex_ = parmIndex;
}

void MachineProbe::failNextCreation(std::int32_t code)
{
    machine().creationFailure_ = code;
}

void MachineProbe::failNextUse(const QString& member, std::int32_t code)
{
    machine().memberFailures_[member.toLower()] = code;
}

} // namespace emulated
