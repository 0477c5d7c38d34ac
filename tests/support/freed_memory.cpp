#include "tests/support/freed_memory.h"

#include <atomic>
#include <cstring>
#include <malloc.h>

// glibc's own entry points, which the replacements below hand on to.
extern "C" void __libc_free(void* block);
extern "C" void* __libc_realloc(void* block, std::size_t size);

namespace {

std::atomic<const char*> secretBytes{nullptr};
std::atomic<std::size_t> secretSize{0};
std::atomic<int> blocksHoldingSecret{0};

// Runs inside free(): it may not allocate.
void inspect(void* block)
{
    const char* secret = secretBytes.load();
    if (block != nullptr && secret != nullptr &&
        memmem(block, malloc_usable_size(block), secret, secretSize.load()) != nullptr) {
        ++blocksHoldingSecret;
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

void watchFreedMemory(std::string_view secret)
{
    secretBytes = nullptr;
    blocksHoldingSecret = 0;
    secretSize = secret.size();
    secretBytes = secret.empty() ? nullptr : secret.data();
}

int freedBlocksHoldingSecret()
{
    return blocksHoldingSecret.load();
}

} // namespace testsupport
