#include "tests/support/freed_memory.h"

#include <atomic>
#include <cstring>
#include <malloc.h>

// glibc's own entry points, which the replacements below hand on to.
extern "C" void __libc_free(void* block);
extern "C" void* __libc_realloc(void* block, std::size_t size);

namespace {

constexpr std::size_t kMostSecrets = 4;
std::string_view secrets[kMostSecrets];
// Published after the secrets it counts are in place.
std::atomic<std::size_t> secretCount{0};
std::atomic<int> blocksHoldingSecret{0};

// Runs inside free(): it may not allocate.
void inspect(void* block)
{
    if (block == nullptr) {
        return;
    }
    const std::size_t count = secretCount.load();
    for (std::size_t i = 0; i < count; ++i) {
        if (memmem(block, malloc_usable_size(block), secrets[i].data(), secrets[i].size()) !=
            nullptr) {
            ++blocksHoldingSecret;
            return;
        }
    }
}

} // namespace

// Every library of the process frees through these, the toolkit and the
// standard library's operator delete included.
extern "C" void free(void* block)
{
    inspect(block);
    __libc_free(block);
}

extern "C" void* realloc(void* block, std::size_t size)
{
    const int before = blocksHoldingSecret.load();
    inspect(block);
    void* moved = __libc_realloc(block, size);
    if (moved == block) {
        blocksHoldingSecret = before; // grown in place: nothing was given back
    }
    return moved;
}

namespace testsupport {

void watchFreedMemory(std::initializer_list<std::string_view> watched)
{
    secretCount = 0;
    blocksHoldingSecret = 0;
    std::size_t count = 0;
    for (std::string_view secret : watched) {
        if (count < kMostSecrets && !secret.empty()) {
            secrets[count++] = secret;
        }
    }
    secretCount = count;
}

int freedBlocksHoldingSecret()
{
    return blocksHoldingSecret.load();
}

} // namespace testsupport
