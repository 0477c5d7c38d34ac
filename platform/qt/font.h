#pragma once

// The sans-serif the program carries, so that no system's font matcher
// chooses the face its windows are drawn in.

#include <QFont>

namespace platform {

// Liberation Sans (fonts/, SIL Open Font License), made known to the toolkit
// on first use, at the given size.
QFont carriedSansSerif(qreal pointSize);

// The face the system gives its own message boxes, or the carried one at the
// same size where the system's is missing.
QFont messageFont();

} // namespace platform
