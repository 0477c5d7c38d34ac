#pragma once

// Sees every heap block the process gives back, so that a test can tell
// whether a secret was left in memory that was freed.

#include <QString>

namespace testsupport {

// From now on, counts the blocks freed (or moved by realloc) that still hold
// the secret in UTF-16 or in UTF-8; an empty one ends the watch.
void watchFreedMemory(const QString& secret);
int freedBlocksHoldingSecret();

} // namespace testsupport
