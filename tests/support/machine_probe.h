#pragma once

// The tests' face of the emulated machine: they start it afresh, make its
// calls fail and look inside. Only tests and the fuzz target include this.

#include "platform/emulated/machine.h"

#include <algorithm>
#include <type_traits>

namespace emulated {

class MachineProbe
{
public:
    // Back to the state the machine starts in.
    static void reset() { machine().reset(); }

    // Every computer of the network, this machine first.
    static const std::vector<Computer>& computers() { return machine().computers_; }
    // The account of that name in this machine's database, or with a domain
    // in front (DOMAIN\name) in that domain's.
    static const Account* findAccount(const QString& name)
    {
        const qsizetype separator = name.indexOf(u'\\');
        for (const Computer& computer : computers()) {
            if (separator < 0 ||
                computer.accountDomain.compare(name.left(separator), Qt::CaseInsensitive) == 0) {
                return computer.findAccount(name.mid(separator + 1));
            }
        }
        return nullptr;
    }
    static bool isPassword(const QString& accountName, const QString& candidate)
    {
        const Account* account = findAccount(accountName);
        return account != nullptr && Machine::isPassword(*account, candidate);
    }

    // Every network API buffer allocated since the reset was wiped and freed,
    // and every automation object created was released.
    static bool leftNothingBehind()
    {
        return machine().live_.empty() && machine().liveObjects_ == 0 &&
               std::ranges::all_of(machine().buffers_, &BufferRecord::wipedBeforeRelease);
    }

    // A later call fails with the status given and changes nothing: the next
    // allocation after the number of successful ones given, NetUserAdd
    // (naming the offending member, as with status 87), account lookup,
    // automation object created, use of the member.
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
    // Tells the watcher of each account and automation call as it is made.
    static void watchCalls(std::function<void(QStringView call)> watcher)
    {
        machine().callWatcher_ = std::move(watcher);
    }

    static void failNextLookup() { machine().lookupFailure_ = true; }
    static void failNextCreation(std::int32_t code) { machine().creationFailure_ = code; }
    static void failNextUse(const QString& member, std::int32_t code)
    {
        machine().memberFailures_[member.toLower()] = code;
    }

private:
    static Machine& machine() { return Machine::instance(); }
};

// The machine keeps its hooks to this face: a call from elsewhere does not
// compile, as the native build's GCC and the fuzz targets' clang both check.
static_assert(
    !std::is_invocable_v<decltype([](auto& machine) -> decltype(machine.reset()) {}), Machine&>,
    "code other than the tests' face can reach the machine's test hooks");

} // namespace emulated
