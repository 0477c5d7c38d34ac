#include "platform/messagebox.h"

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
    box.exec();
}

} // namespace platform
