#include "tests/support/freed_memory.h"

#include <atomic>
#include <cstring>
#include <malloc.h>

// glibc's own entry points, which the replacements below hand on to.
extern "C" void __libc_free(void* block);
extern "C" void* __libc_realloc(void* block, std::size_t size);

namespace {

std::atomic<const std::string_view*> watchedSecret{nullptr};
std::atomic<int> secretHoldingBlocks{0};

// Runs inside free(): it may not allocate.
void inspect(void* block)
{
    const std::string_view* secret = watchedSecret.load();
    if (block != nullptr && secret != nullptr &&
        memmem(block, malloc_usable_size(block), secret->data(), secret->size()) != nullptr) {
        ++secretHoldingBlocks;
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
    const int before = secretHoldingBlocks.load();
    inspect(block);
    void* moved = __libc_realloc(block, size);
    if (moved == block) {
        secretHoldingBlocks = before; // grown in place: nothing was given back
    }
    return moved;
}

namespace testsupport {

FreedMemoryWatch::FreedMemoryWatch(std::string_view secret) : secret_(secret)
{
    secretHoldingBlocks = 0;
    watchedSecret = &secret_;
}

FreedMemoryWatch::~FreedMemoryWatch()
{
    watchedSecret = nullptr;
}

int FreedMemoryWatch::blocksHoldingSecret() const
{
    return secretHoldingBlocks.load();
}

} // namespace testsupport
