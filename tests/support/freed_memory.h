#pragma once

// Sees every heap block the process gives back, so that a test can tell
// whether a secret was left in memory that was freed.

#include <string_view>

namespace testsupport {

// From now on, counts the blocks freed (or moved by realloc) that still hold
// either byte string, each of which must outlive the watch; empty ones end it.
void watchFreedMemory(std::string_view secret, std::string_view otherEncoding);
int freedBlocksHoldingSecret();

} // namespace testsupport
