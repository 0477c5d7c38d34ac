// CreateLocalUser on the emulated machine. The input's first byte may make an
// allocation fail (1 the first, 2 the second); the texts after it are the
// user name, the password and the server, this host's name when there is none.

#include "admin/mdlDiskQuota.h"
#include "fuzz/fuzz_input.h"

#include <algorithm>

namespace {

using fuzzing::require;

std::vector<std::u16string> sortedNames(const emulated::Machine& machine)
{
    std::vector<std::u16string> names;
    for (const emulated::Account& account : machine.accounts()) {
        names.push_back(account.name.toStdU16String());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzing::Input input{data, size};
    emulated::Machine& machine = fuzzing::freshMachine();
    if (const unsigned failing = input.take<std::uint8_t>() % 3; failing != 0) {
        machine.failNextAllocation(platform::ERROR_NOT_ENOUGH_MEMORY, failing - 1);
    }
    const std::vector<std::u16string> texts = input.texts();
    const std::u16string& user = texts[0];
    const std::u16string password = texts.size() > 1 ? texts[1] : u"";
    const std::u16string server = texts.size() > 2 ? texts[2] : machine.name().toStdU16String();
    const std::vector<std::u16string> before = sortedNames(machine);

    const std::int32_t status = mdlDiskQuota::CreateLocalUser(server, user, password);

    require(machine.outstandingBuffers() == 0, "every network-API buffer is released");
    for (const emulated::BufferRecord& buffer : machine.buffers()) {
        require(buffer.wipedBeforeRelease, "every network-API buffer is wiped before release");
    }
    require(testsupport::takeShownMessages().size() == (status == 0 ? 0u : 1u),
            "a message exactly when the status is not 0");
    std::vector<std::u16string> expected = before;
    if (status == 0) {
        expected.insert(std::upper_bound(expected.begin(), expected.end(), user), user);
    }
    require(sortedNames(machine) == expected,
            "one new account exactly on success, under exactly the name given");
    require(status != 0 ||
                machine.isPassword(QStringView(user).toString(), QStringView(password).toString()),
            "the new account takes exactly the password given");
    return 0;
}
