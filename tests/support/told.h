#pragma once

// What screen readers are told of a change of a text.

#include <QAccessible>
#include <QStringList>

namespace testsupport {

// The texts an accessibility event hands screen readers: inserted, removed,
// or both.
inline QStringList toldTexts(const QAccessibleEvent& event)
{
    if (const auto* inserted = dynamic_cast<const QAccessibleTextInsertEvent*>(&event)) {
        return {inserted->textInserted()};
    }
    if (const auto* updated = dynamic_cast<const QAccessibleTextUpdateEvent*>(&event)) {
        return {updated->textInserted(), updated->textRemoved()};
    }
    if (const auto* removed = dynamic_cast<const QAccessibleTextRemoveEvent*>(&event)) {
        return {removed->textRemoved()};
    }
    return {};
}

} // namespace testsupport
