// The network management calls of netapi32, the account lookup of advapi32
// and what they need of kernel32, behind the platform's mirror of their types.

#include "platform/netapi.h"

#include <cstddef>

// Every constant the mirror shares with the system's headers, listed once:
// read here from the mirror, and below, where the names are the system's
// macros, compared with the system's values.
#define MIRRORED_CONSTANTS(X)                                                                      \
    X(NERR_Success)                                                                                \
    X(ERROR_BAD_NETPATH)                                                                           \
    X(ERROR_INVALID_PARAMETER)                                                                     \
    X(ERROR_NOT_ENOUGH_MEMORY)                                                                     \
    X(ERROR_INVALID_NAME)                                                                          \
    X(ERROR_INVALID_LEVEL)                                                                         \
    X(ERROR_ALIAS_EXISTS)                                                                          \
    X(NERR_BadUsername)                                                                            \
    X(NERR_UserExists)                                                                             \
    X(NERR_PasswordTooShort)                                                                       \
    X(USER_PRIV_USER)                                                                              \
    X(UF_NORMAL_ACCOUNT)                                                                           \
    X(USER_PRIV_PARMNUM)                                                                           \
    X(SECURITY_MAX_SID_SIZE)

namespace {

struct MirroredValues
{
#define READ_MIRROR(name) std::uint32_t mirror_##name = platform::name;
    MIRRORED_CONSTANTS(READ_MIRROR)
#undef READ_MIRROR
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
// The kinds of account are the system's enumerators, not macros.
static_assert(sizeof(SID_NAME_USE) == sizeof(::SID_NAME_USE));
static_assert(SidTypeUser == ::SidTypeUser && SidTypeWellKnownGroup == ::SidTypeWellKnownGroup);

// Pasted and quoted arguments are not expanded, so each name stays the mirror's
// member and message while the bare one becomes the system's value.
#define CHECK_MIRROR(name)                                                                         \
    static_assert(kMirrored.mirror_##name == (name), #name " differs from the system's value");
MIRRORED_CONSTANTS(CHECK_MIRROR)
#undef CHECK_MIRROR
#undef MIRRORED_CONSTANTS

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

bool LookupAccountNameW(const char16_t* systemName, const char16_t* accountName, void* sid,
                        std::uint32_t* sidSize, char16_t* referencedDomainName,
                        std::uint32_t* referencedDomainNameLength, SID_NAME_USE* use)
{
    DWORD sidBytes = *sidSize;
    DWORD domainLength = *referencedDomainNameLength;
    ::SID_NAME_USE systemUse{};
    const BOOL found = ::LookupAccountNameW(
        reinterpret_cast<const wchar_t*>(systemName), reinterpret_cast<const wchar_t*>(accountName),
        sid, &sidBytes, reinterpret_cast<wchar_t*>(referencedDomainName), &domainLength,
        &systemUse);
    *sidSize = sidBytes;
    *referencedDomainNameLength = domainLength;
    *use = systemUse;
    return found != FALSE;
}

bool GetComputerNameW(char16_t* buffer, std::uint32_t* size)
{
    DWORD length = *size;
    const BOOL named = ::GetComputerNameW(reinterpret_cast<wchar_t*>(buffer), &length);
    *size = length;
    return named != FALSE;
}

} // namespace platform
