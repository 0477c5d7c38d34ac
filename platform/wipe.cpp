#include "platform/wipe.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <string.h>
#endif

namespace platform {

void wipe(void* data, std::size_t byteCount)
{
#if defined(_WIN32)
    SecureZeroMemory(data, byteCount);
#elif defined(__GLIBC__)
    explicit_bzero(data, byteCount);
#else
    // Where the C library has no wipe of its own: volatile stores are kept.
    auto* bytes = static_cast<volatile unsigned char*>(data);
    for (std::size_t i = 0; i < byteCount; ++i) {
        bytes[i] = 0;
    }
#endif
}

} // namespace platform
