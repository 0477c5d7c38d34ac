#include "platform/messagebox.h"

#include "platform/qt/font.h"

#include <QApplication>
#include <QMessageBox>

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
    box.exec();
}

} // namespace platform
