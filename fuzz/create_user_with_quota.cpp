// CreateLocalUser on the emulated network, then, as the windows hand it on,
// SetUserDiskQuota for the name under which this machine finds the new
// account. An input is one byte that may fail an allocation (1 the first, 2 the
// second, of the byte modulo 3) and may give this machine (bit 0 of the byte
// divided by 3) and the domain (bit 1) an account of the new name first, four
// bytes each for the limit and warning level, then UTF-16 code units: the
// first delimits the texts after it, so any other, NUL included, can stand in
// one. The texts are the user name, password, server (this host's name if
// absent) and volume ("D:" if absent).

#include "admin/mdlDiskQuota.h"
#include "fuzz/input.h"
#include "tests/support/machine_probe.h"
#include "tests/support/recorded_messages.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <set>

namespace {

using emulated::MachineProbe;
using fuzzing::require;

// Every account of the network, as DOMAIN\name.
std::multiset<QString> accountNames()
{
    std::multiset<QString> names;
    for (const emulated::Computer& computer : MachineProbe::computers()) {
        for (const emulated::Account& account : computer.accounts) {
            names.insert(computer.accountDomain + u'\\' + account.name);
        }
    }
    return names;
}

// A drive letter, a colon and nothing but backslashes after them.
bool namesADrive(std::u16string_view path)
{
    return path.size() >= 2 && (path[0] | 0x20) >= u'a' && (path[0] | 0x20) <= u'z' &&
           path[1] == u':' && path.find_first_not_of(u'\\', 2) == path.npos;
}

// Each volume's logging of warning-level events and its quota entries, in bytes.
using Quotas = std::map<char16_t, std::pair<bool, std::map<QString, emulated::QuotaEntry>>>;
Quotas heldQuotas()
{
    Quotas held;
    for (const char16_t letter : std::u16string_view(u"CDE")) {
        const emulated::Volume& volume = *emulated::Machine::instance().volume(letter);
        held[letter] = {volume.logsThreshold, volume.entries};
    }
    return held;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MachineProbe::reset();
    fuzzing::Input input{data, size};
    const auto choices = input.take<std::uint8_t>();
    const auto limit = input.take<std::int32_t>();
    const auto warning = input.take<std::int32_t>();
    const auto delimiter = input.take<char16_t>();
    std::vector<std::u16string> texts(1);
    while (input.size >= sizeof(char16_t)) {
        if (const auto c = input.take<char16_t>(); c == delimiter) {
            texts.emplace_back();
        } else {
            texts.back().push_back(c);
        }
    }
    const auto text = [&](std::size_t i, std::u16string absent) {
        return i < texts.size() ? texts[i] : absent;
    };
    const std::u16string user = texts[0], password = text(1, u""),
                         server = text(2, emulated::Machine::instance().name().toStdU16String()),
                         volume = text(3, u"D:");
    const unsigned taken = choices / 3;
    for (const auto& [bit, computer] : {std::pair(1u, u"localhost"), std::pair(2u, u"CORPDC")}) {
        if ((taken & bit) != 0) {
            mdlDiskQuota::CreateLocalUser(computer, user, u"");
        }
    }
    testsupport::takeShownMessages(); // of the earlier inputs and accounts alike
    if (const unsigned failing = choices % 3; failing != 0) {
        MachineProbe::failNextAllocation(platform::ERROR_NOT_ENOUGH_MEMORY, failing - 1);
    }
    const std::multiset<QString> names = accountNames();
    Quotas quotas = heldQuotas();

    const std::int32_t status = mdlDiskQuota::CreateLocalUser(server, user, password);
    const bool applied =
        status == 0 && mdlDiskQuota::SetUserDiskQuota(
                           volume, mdlDiskQuota::QualifiedUserName(server, user), limit, warning);

    require(MachineProbe::leftNothingBehind(),
            "every network-API buffer is wiped and released, every automation object released");
    const testsupport::ShownMessages messages = testsupport::takeShownMessages();
    require(messages.size() == (status == 0 ? 0u : 1u) + (status == 0 && !applied ? 1u : 0u),
            "a message exactly for each routine that fails");
    std::vector<QString> added;
    const std::multiset<QString> now = accountNames();
    std::ranges::set_difference(now, names, std::back_inserter(added));
    // Unit for unit: QString::fromStdU16String would drop a leading byte-order mark.
    require(now.size() == names.size() + (status == 0 ? 1 : 0) &&
                added.size() == now.size() - names.size() &&
                (status != 0 || added.front().endsWith(u'\\' + QStringView(user).toString())),
            "one new account exactly on success, under exactly the name given");
    require(status != 0 ||
                MachineProbe::isPassword(added.front(), QStringView(password).toString()),
            "the new account takes exactly the password given");
    require(status != 0 || namesADrive(volume) ||
                (!applied && messages.back().text == u"The filename, directory name, or volume "
                                                     u"label syntax is incorrect."),
            "a path that names no drive is refused as such");
    if (applied) {
        // On the volume the path names, for the account just created and no other.
        auto& [logs, entries] = quotas[QChar(volume[0]).toUpper().unicode()];
        logs = true;
        const auto bytes = [](std::int32_t mb) { return mb < 0 ? -1.0 : mb * 0x1p20; };
        entries[added.front()] = {bytes(limit), bytes(warning)};
    }
    require(heldQuotas() == quotas,
            "the quota routine succeeds exactly when the machine holds the quota asked for, on "
            "the account just created, and changes nothing when it fails before its first step "
            "takes effect");
    return 0;
}
