#pragma once

// The administration routines: each one acquires and releases its platform
// resources within the call and reports its own failures in a message box.

#include <cstdint>
#include <string>
#include <string_view>

namespace mdlDiskQuota {

// The title of every message box the program shows.
inline constexpr std::u16string_view kMessageTitle = u"Local Users and Groups";

// Adds an ordinary user account to the named server's account database.
// Returns the platform status: 0 when the account was created; any other
// status has already been shown to the administrator.
std::int32_t CreateLocalUser(const std::u16string& serverName, const std::u16string& userName,
                             const std::u16string& password);

// The name under which this machine finds the account just created on the
// server, and no other account: DOMAIN\user, with the domain the server
// names it in. Where the server does not tell, or the name stands for
// something else there, the domain is the server's own name (this machine's,
// by whichever name it was reached), so that a lookup of it fails rather than
// finds another account of that name.
std::u16string QualifiedUserName(const std::u16string& serverName, const std::u16string& userName);

// Gives the user a quota entry on the volume, with limit and warning level in
// megabytes (a negative count means no limit), and switches on the volume's
// logging of warning-level events. Returns false after showing the failure.
bool SetUserDiskQuota(const std::u16string& volumePath, const std::u16string& userName,
                      std::int32_t limitMegabytes, std::int32_t warningMegabytes);

} // namespace mdlDiskQuota
