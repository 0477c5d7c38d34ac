#pragma once

#include <cstddef>

namespace platform {

// One block of memory for a secret: kept out of the swap file where the
// system allows it, and wiped before it is released. Each build links the
// platform's own allocator for it.
class LockedMemory
{
public:
    // Throws std::bad_alloc when the system has no memory to give.
    explicit LockedMemory(std::size_t byteCount);
    ~LockedMemory();
    LockedMemory(const LockedMemory&) = delete;
    LockedMemory& operator=(const LockedMemory&) = delete;

    void* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    void* data_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace platform
