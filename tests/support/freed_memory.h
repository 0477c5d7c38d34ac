#pragma once

// Sees every heap block the process gives back, so that a test can tell
// whether a secret was left in memory that was freed.

#include <initializer_list>
#include <string_view>

namespace testsupport {

// From now on, counts the blocks freed (or moved by realloc) that still hold
// any of the byte strings given (up to four, each of which must outlive the
// watch); none ends it.
void watchFreedMemory(std::initializer_list<std::string_view> secrets);
int freedBlocksHoldingSecret();

} // namespace testsupport
