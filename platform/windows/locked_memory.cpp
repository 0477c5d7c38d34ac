#include "platform/locked_memory.h"

#include <new>
#include <windows.h>

namespace platform {

// A block of its own pages, so that locking it locks nothing else. A lock
// the working set has no room for is gone without: the block is still wiped.
LockedMemory::LockedMemory(std::size_t byteCount) : size_(byteCount)
{
    data_ = VirtualAlloc(nullptr, byteCount, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (data_ == nullptr) {
        throw std::bad_alloc();
    }
    VirtualLock(data_, byteCount);
}

LockedMemory::~LockedMemory()
{
    SecureZeroMemory(data_, size_);
    VirtualUnlock(data_, size_);
    VirtualFree(data_, 0, MEM_RELEASE);
}

} // namespace platform
