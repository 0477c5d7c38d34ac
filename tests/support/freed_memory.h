#pragma once

// Sees every heap block the process gives back, so that a test can tell
// whether a secret was left in memory that was freed.

#include <string_view>

namespace testsupport {

// While it lives, counts the blocks freed (or moved by realloc) that still
// hold the bytes given. One at a time.
class FreedMemoryWatch
{
public:
    explicit FreedMemoryWatch(std::string_view secret);
    ~FreedMemoryWatch();
    FreedMemoryWatch(const FreedMemoryWatch&) = delete;
    FreedMemoryWatch& operator=(const FreedMemoryWatch&) = delete;

    int blocksHoldingSecret() const;

private:
    std::string_view secret_;
};

} // namespace testsupport
