#pragma once

// What screen readers are told of the password boxes, for the tests and the
// fuzz target alike.

#include "platform/qt/password_box.h"

#include <QAccessible>
#include <QStringList>
#include <algorithm>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <utility>

namespace testsupport {

// The texts screen readers were handed since the last call of changes in a
// password box, or in the line edit of masks within it: inserted, removed or
// both. The first call starts listening, as a screen reader does (only then
// does the toolkit tell).
inline QStringList takeToldOfPasswordBoxes()
{
    static QStringList told;
    [[maybe_unused]] static const bool listening = [] {
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
        QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
            const QObject* object = event->object();
            if (object == nullptr ||
                (qobject_cast<const platform::PasswordBox*>(object) == nullptr &&
                 qobject_cast<const platform::PasswordBox*>(object->parent()) == nullptr)) {
                return;
            }
            if (const auto* inserted = dynamic_cast<const QAccessibleTextInsertEvent*>(event)) {
                told << inserted->textInserted();
            } else if (const auto* both = dynamic_cast<const QAccessibleTextUpdateEvent*>(event)) {
                told << both->textInserted() << both->textRemoved();
            } else if (const auto* removed =
                           dynamic_cast<const QAccessibleTextRemoveEvent*>(event)) {
                told << removed->textRemoved();
            }
        });
        return true;
    }();
    return std::exchange(told, {});
}

inline bool onlyMasks(const QStringList& texts)
{
    return std::all_of(texts.begin(), texts.end(),
                       [](const QString& text) { return text.count(u'*') == text.size(); });
}

} // namespace testsupport
