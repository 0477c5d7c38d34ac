#include "platform/netapi.h"

#include "platform/emulated/machine.h"

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

} // namespace platform
