// The network management calls of netapi32 and kernel32, behind the
// platform's mirror of their types.

#include "platform/netapi.h"

#include <cstddef>

namespace {

// Read before the system's headers turn these names into macros.
struct MirroredValues
{
    platform::NET_API_STATUS success = platform::NERR_Success;
    platform::NET_API_STATUS badNetPath = platform::ERROR_BAD_NETPATH;
    platform::NET_API_STATUS invalidName = platform::ERROR_INVALID_NAME;
    platform::NET_API_STATUS badUsername = platform::NERR_BadUsername;
    platform::NET_API_STATUS userExists = platform::NERR_UserExists;
    std::uint32_t userPrivilege = platform::USER_PRIV_USER;
    std::uint32_t normalAccount = platform::UF_NORMAL_ACCOUNT;
};
constexpr MirroredValues kMirrored;

} // namespace

#include <windows.h>
// The network management headers build on the types of windows.h.
#include <lm.h>

// lmcons.h makes the type's name a macro for DWORD; past the system's
// declarations the name is the mirror's again.
#undef NET_API_STATUS

namespace platform {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the mirror's text is the system's");
static_assert(sizeof(NET_API_STATUS) == sizeof(DWORD));
static_assert(sizeof(std::uint32_t) == sizeof(DWORD));

static_assert(kMirrored.success == NERR_Success);
static_assert(kMirrored.badNetPath == ERROR_BAD_NETPATH);
static_assert(kMirrored.invalidName == ERROR_INVALID_NAME);
static_assert(kMirrored.badUsername == NERR_BadUsername);
static_assert(kMirrored.userExists == NERR_UserExists);
static_assert(kMirrored.userPrivilege == USER_PRIV_USER);
static_assert(kMirrored.normalAccount == UF_NORMAL_ACCOUNT);

// The mirror is handed to the system as its own structure.
using Mirror = platform::USER_INFO_1;
using System = ::USER_INFO_1;
static_assert(sizeof(Mirror) == sizeof(System));
static_assert(alignof(Mirror) == alignof(System));
static_assert(offsetof(Mirror, usri1_name) == offsetof(System, usri1_name));
static_assert(offsetof(Mirror, usri1_password) == offsetof(System, usri1_password));
static_assert(offsetof(Mirror, usri1_password_age) == offsetof(System, usri1_password_age));
static_assert(offsetof(Mirror, usri1_priv) == offsetof(System, usri1_priv));
static_assert(offsetof(Mirror, usri1_home_dir) == offsetof(System, usri1_home_dir));
static_assert(offsetof(Mirror, usri1_comment) == offsetof(System, usri1_comment));
static_assert(offsetof(Mirror, usri1_flags) == offsetof(System, usri1_flags));
static_assert(offsetof(Mirror, usri1_script_path) == offsetof(System, usri1_script_path));

} // namespace

NET_API_STATUS NetApiBufferAllocate(std::uint32_t byteCount, void** buffer)
{
    return ::NetApiBufferAllocate(byteCount, buffer);
}

NET_API_STATUS NetApiBufferFree(void* buffer)
{
    return ::NetApiBufferFree(buffer);
}

char16_t* lstrcpyW(char16_t* destination, const char16_t* source)
{
    return reinterpret_cast<char16_t*>(::lstrcpyW(reinterpret_cast<wchar_t*>(destination),
                                                  reinterpret_cast<const wchar_t*>(source)));
}

NET_API_STATUS NetUserAdd(const char16_t* serverName, std::uint32_t level, const void* buffer,
                          std::uint32_t* parmError)
{
    // The system takes the buffer as writable but only reads it; its DWORD
    // is a distinct type from std::uint32_t, so the index goes through one.
    DWORD errorIndex = parmError != nullptr ? *parmError : 0;
    const NET_API_STATUS status = ::NetUserAdd(reinterpret_cast<const wchar_t*>(serverName), level,
                                               static_cast<BYTE*>(const_cast<void*>(buffer)),
                                               parmError != nullptr ? &errorIndex : nullptr);
    if (parmError != nullptr) {
        *parmError = errorIndex;
    }
    return status;
}

} // namespace platform
