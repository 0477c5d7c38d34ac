#include "platform/qt/font.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QResource>

namespace platform {
namespace {

QString carriedFamily()
{
    // The face is stored uncompressed, so the toolkit reads it where the
    // executable maps it rather than from a copy on the heap.
    static const QString family =
        QFontDatabase::applicationFontFamilies(
            QFontDatabase::addApplicationFontFromData(
                QResource(QStringLiteral(":/fonts/LiberationSans-Regular.ttf")).uncompressedData()))
            .value(0);
    return family;
}

} // namespace

QFont carriedSansSerif(qreal pointSize)
{
    QFont font(carriedFamily());
    font.setPointSizeF(pointSize);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont messageFont()
{
    QFont font = QApplication::font("QMessageBox");
    // A family the system names may stand for a face it lacks (Wine's "MS
    // Shell Dlg" for a missing Tahoma): what counts is the face the toolkit
    // would draw.
    if (QFontInfo(font).family() != font.family()) {
        font.setFamilies({carriedFamily()});
        font.setStyleHint(QFont::SansSerif);
    }
    return font;
}

} // namespace platform
