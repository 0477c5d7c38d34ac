#include "admin/mdlDiskQuota.h"
#include "platform/netapi.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>

namespace mdlDiskQuota {
namespace {

// Room for any name a lookup or the computer gives: DNS names, the longest,
// take at most 255 characters.
constexpr std::size_t kNameRoom = 256;

// The domain the server names the account in, when the name stands for a
// user there: a well-known group, such as Everyone, resolves before any
// account of its name.
std::optional<std::u16string> LookedUpDomain(const std::u16string& serverName,
                                             const std::u16string& userName)
{
    // A SID's sub-authorities are 32-bit values, aligned as such.
    alignas(std::uint32_t) std::array<std::byte, platform::SECURITY_MAX_SID_SIZE> sid;
    auto sidSize = static_cast<std::uint32_t>(sid.size());
    std::array<char16_t, kNameRoom> domain;
    auto domainLength = static_cast<std::uint32_t>(domain.size());
    platform::SID_NAME_USE use = 0;
    if (!platform::LookupAccountNameW(serverName.c_str(), userName.c_str(), sid.data(), &sidSize,
                                      domain.data(), &domainLength, &use) ||
        use != platform::SidTypeUser) {
        return std::nullopt;
    }
    return std::u16string(domain.data(), domainLength);
}

std::u16string ComputerName()
{
    std::array<char16_t, kNameRoom> name;
    auto length = static_cast<std::uint32_t>(name.size());
    if (!platform::GetComputerNameW(name.data(), &length)) {
        return {};
    }
    return std::u16string(name.data(), length);
}

// Computer names compare without regard to case, here in ASCII letters: a
// name in others, typed in another case, is taken for another server's, and
// a quota for an account there fails rather than lands elsewhere.
bool SameComputerName(std::u16string_view a, std::u16string_view b)
{
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    return std::ranges::equal(a, b, {}, lower, lower);
}

// The name of the server as a domain: this machine's own name where the
// server is this machine by any of its names, or else the server's name as
// typed, without its leading backslashes.
std::u16string ServerAsDomain(std::u16string_view serverName)
{
    const std::u16string_view name =
        serverName.substr(std::min(serverName.find_first_not_of(u'\\'), serverName.size()));
    const std::u16string computer = ComputerName();
    const bool thisMachine = name == u"127.0.0.1" || SameComputerName(name, u"localhost") ||
                             SameComputerName(name, computer);
    return thisMachine && !computer.empty() ? computer : std::u16string(name);
}

} // namespace

std::u16string QualifiedUserName(const std::u16string& serverName, const std::u16string& userName)
{
    const std::optional<std::u16string> domain = LookedUpDomain(serverName, userName);
    return (domain ? *domain : ServerAsDomain(serverName)) + u'\\' + userName;
}

} // namespace mdlDiskQuota
