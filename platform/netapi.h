#pragma once

// The network management calls through which accounts are added, and the
// security calls that tell what domain an account is in, with the shapes of
// their Windows originals. Each build links exactly one backend: netapi32,
// advapi32 and kernel32 on Windows, the emulated machine elsewhere.

#include <cstdint>

namespace platform {

using NET_API_STATUS = std::uint32_t;

inline constexpr NET_API_STATUS NERR_Success = 0;
inline constexpr NET_API_STATUS ERROR_BAD_NETPATH = 53;
inline constexpr NET_API_STATUS ERROR_INVALID_PARAMETER = 87;
inline constexpr NET_API_STATUS ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr NET_API_STATUS ERROR_INVALID_NAME = 123;
inline constexpr NET_API_STATUS ERROR_INVALID_LEVEL = 124;
inline constexpr NET_API_STATUS ERROR_ALIAS_EXISTS = 1379;
inline constexpr NET_API_STATUS NERR_BadUsername = 2202;
inline constexpr NET_API_STATUS NERR_UserExists = 2224;
inline constexpr NET_API_STATUS NERR_PasswordTooShort = 2245;

inline constexpr std::uint32_t USER_PRIV_USER = 1;
inline constexpr std::uint32_t UF_NORMAL_ACCOUNT = 0x0200;
inline constexpr std::uint32_t USER_PRIV_PARMNUM = 5;

// What a looked-up name stands for.
using SID_NAME_USE = std::int32_t;
inline constexpr SID_NAME_USE SidTypeUser = 1;
inline constexpr SID_NAME_USE SidTypeWellKnownGroup = 5;
inline constexpr std::uint32_t SECURITY_MAX_SID_SIZE = 68;

// Member for member the platform's USER_INFO_1: the text members are
// pointer-sized, the others 32 bits wide.
struct USER_INFO_1
{
    char16_t* usri1_name;
    char16_t* usri1_password;
    std::uint32_t usri1_password_age;
    std::uint32_t usri1_priv;
    char16_t* usri1_home_dir;
    char16_t* usri1_comment;
    std::uint32_t usri1_flags;
    char16_t* usri1_script_path;
};

NET_API_STATUS NetApiBufferAllocate(std::uint32_t byteCount, void** buffer);
NET_API_STATUS NetApiBufferFree(void* buffer);
char16_t* lstrcpyW(char16_t* destination, const char16_t* source);
NET_API_STATUS NetUserAdd(const char16_t* serverName, std::uint32_t level, const void* buffer,
                          std::uint32_t* parmError);

// The account a name stands for, as the system named (this one when null or
// empty) resolves it, and the domain it is in. The sizes hold the buffers'
// room, in bytes for the SID and in characters for the domain; on success
// they hold what was written, the domain without its terminator. Why a
// lookup failed, the Windows backend leaves in the system's last error; the
// program treats every failure alike.
bool LookupAccountNameW(const char16_t* systemName, const char16_t* accountName, void* sid,
                        std::uint32_t* sidSize, char16_t* referencedDomainName,
                        std::uint32_t* referencedDomainNameLength, SID_NAME_USE* use);

// This computer's name. The size holds the buffer's room in characters, and
// on success the name's length.
bool GetComputerNameW(char16_t* buffer, std::uint32_t* size);

} // namespace platform
