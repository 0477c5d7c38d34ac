#pragma once

// One cursor over every window of the program, above any put there before,
// for as long as the object lives.

#include <QCursor>
#include <QGuiApplication>

namespace platform {

class OverrideCursor
{
public:
    explicit OverrideCursor(Qt::CursorShape shape) { QGuiApplication::setOverrideCursor(shape); }
    ~OverrideCursor() { QGuiApplication::restoreOverrideCursor(); }
    OverrideCursor(const OverrideCursor&) = delete;
    OverrideCursor& operator=(const OverrideCursor&) = delete;
};

} // namespace platform
