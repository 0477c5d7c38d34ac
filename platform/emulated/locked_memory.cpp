#include "platform/locked_memory.h"

#include <new>
#include <sodium.h>

namespace platform {

// libsodium locks the block and guards it with pages no one may touch; it
// wipes the block before it frees it.
LockedMemory::LockedMemory(std::size_t byteCount) : size_(byteCount)
{
    if (sodium_init() < 0) {
        throw std::bad_alloc();
    }
    data_ = sodium_malloc(byteCount);
    if (data_ == nullptr) {
        throw std::bad_alloc();
    }
}

LockedMemory::~LockedMemory()
{
    sodium_free(data_);
}

} // namespace platform
