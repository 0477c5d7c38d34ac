#include "platform/messagebox.h"

#include "platform/qt/font.h"
#include "platform/qt/override_cursor.h"

#include <QApplication>
#include <QMessageBox>
#include <optional>

namespace platform {

void MsgBox(std::u16string_view text, MessageStyle style, std::u16string_view title)
{
    const QMessageBox::Icon icon =
        style == MessageStyle::Critical ? QMessageBox::Critical : QMessageBox::Information;
    QMessageBox box(icon, QStringView(title).toString(), QStringView(text).toString(),
                    QMessageBox::Ok, QApplication::activeWindow());
    // Texts carry names the administrator typed: shown as they are, never as markup.
    box.setTextFormat(Qt::PlainText);
    // As the system's own boxes are drawn, never in a face the matcher picks.
    box.setFont(platform::messageFont());
    // A report shown while the platform works waits for a click: the
    // ordinary arrow over it, not the hourglass.
    std::optional<OverrideCursor> arrow;
    if (QGuiApplication::overrideCursor() != nullptr) {
        arrow.emplace(Qt::ArrowCursor);
    }
    box.exec();
}

} // namespace platform
