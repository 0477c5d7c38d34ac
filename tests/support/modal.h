#pragma once

// Acting on a modal window from inside the event loop that shows it.

#include <QWidget>
#include <functional>

namespace testsupport {

// Once a modal window is shown, hands it to `act`; a test fails when none is
// shown within a few seconds.
void whenModalShown(std::function<void(QWidget& modal)> act);

} // namespace testsupport
