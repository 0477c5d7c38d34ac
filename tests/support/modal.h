#pragma once

// Acting on a modal window from inside the event loop that shows it.

#include <QWidget>
#include <functional>

namespace testsupport {

// Runs `open`, which shows a modal window and returns once it is closed, and
// hands that window to `act` while it is shown; `act` must close it. The
// test fails when `open` returns without having shown one.
void withModal(const std::function<void()>& open, const std::function<void(QWidget& modal)>& act);

} // namespace testsupport
