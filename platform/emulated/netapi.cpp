#include "platform/netapi.h"

#include "platform/emulated/machine.h"

#include <algorithm>

namespace platform {

NET_API_STATUS NetApiBufferAllocate(std::uint32_t byteCount, void** buffer)
{
    return emulated::Machine::instance().allocateBuffer(byteCount, buffer);
}

NET_API_STATUS NetApiBufferFree(void* buffer)
{
    return emulated::Machine::instance().freeBuffer(buffer);
}

char16_t* lstrcpyW(char16_t* destination, const char16_t* source)
{
    char16_t* out = destination;
    while ((*out++ = *source++) != u'\0') {
    }
    return destination;
}

NET_API_STATUS NetUserAdd(const char16_t* serverName, std::uint32_t level, const void* buffer,
                          std::uint32_t* parmError)
{
    return emulated::Machine::instance().addUser(serverName, level, buffer, parmError);
}

bool LookupAccountNameW(const char16_t* systemName, const char16_t* accountName, void* sid,
                        std::uint32_t* sidSize, char16_t* referencedDomainName,
                        std::uint32_t* referencedDomainNameLength, SID_NAME_USE* use)
{
    return emulated::Machine::instance().lookupAccountName(systemName, accountName, sid, sidSize,
                                                           referencedDomainName,
                                                           referencedDomainNameLength, use);
}

bool GetComputerNameW(char16_t* buffer, std::uint32_t* size)
{
    const QString& name = emulated::Machine::instance().name();
    const auto length = static_cast<std::uint32_t>(name.size());
    if (*size <= length) {
        *size = length + 1;
        return false;
    }
    std::copy_n(name.utf16(), length + 1, buffer);
    *size = length;
    return true;
}

} // namespace platform
