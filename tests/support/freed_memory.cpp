#include "tests/support/freed_memory.h"

#include <atomic>
#include <cstring>
#include <malloc.h>

// glibc's own entry points, which the replacements below hand on to.
extern "C" void __libc_free(void* block);
extern "C" void* __libc_realloc(void* block, std::size_t size);

namespace {

std::string_view secrets[2];
// Set after the secrets it watches for are in place.
std::atomic<bool> watching{false};
std::atomic<int> blocksHoldingSecret{0};

// Runs inside free(): it may not allocate.
void inspect(void* block)
{
    if (block == nullptr || !watching) {
        return;
    }
    for (std::string_view secret : secrets) {
        if (memmem(block, malloc_usable_size(block), secret.data(), secret.size()) != nullptr) {
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
    const int before = blocksHoldingSecret;
    inspect(block);
    void* moved = __libc_realloc(block, size);
    if (moved == block) {
        blocksHoldingSecret = before; // grown in place: nothing was given back
    }
    return moved;
}

namespace testsupport {

void watchFreedMemory(std::string_view secret, std::string_view otherEncoding)
{
    watching = false;
    blocksHoldingSecret = 0;
    secrets[0] = secret;
    secrets[1] = otherEncoding;
    watching = !secret.empty() && !otherEncoding.empty();
}

int freedBlocksHoldingSecret()
{
    return blocksHoldingSecret;
}

} // namespace testsupport
