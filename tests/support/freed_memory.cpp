#include "tests/support/freed_memory.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <malloc.h>

// glibc's own entry points, which the replacements below hand on to.
extern "C" void __libc_free(void* block);
extern "C" void* __libc_realloc(void* block, std::size_t size);

namespace {

QByteArray secrets[2];
// Set after the secrets it watches for are in place.
std::atomic<bool> watching{false};
std::atomic<int> blocksHoldingSecret{0};

// Runs inside free(): it may not allocate.
void inspect(void* block)
{
    if (block != nullptr && watching && std::ranges::any_of(secrets, [&](const QByteArray& secret) {
            return memmem(block, malloc_usable_size(block), secret.constData(),
                          std::size_t(secret.size())) != nullptr;
        })) {
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
    const int before = blocksHoldingSecret;
    inspect(block);
    void* moved = __libc_realloc(block, size);
    if (moved == block) {
        blocksHoldingSecret = before; // grown in place: nothing was given back
    }
    return moved;
}

namespace testsupport {

void watchFreedMemory(const QString& secret)
{
    watching = false;
    blocksHoldingSecret = 0;
    secrets[0] = QByteArray(reinterpret_cast<const char*>(secret.utf16()), secret.size() * 2);
    secrets[1] = secret.toUtf8();
    watching = !secret.isEmpty();
}

int freedBlocksHoldingSecret()
{
    return blocksHoldingSecret;
}

} // namespace testsupport
