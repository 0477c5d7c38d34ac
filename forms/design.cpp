#include "forms/design.h"

#include "platform/qt/textbox.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QIcon>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>

namespace design {

QFont windowFont()
{
    // The design was laid out with the 8-point MS Sans Serif, which Windows
    // offers, or answers with Microsoft Sans Serif.
#ifdef Q_OS_WIN
    for (const QString& family :
         {QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif")}) {
        if (QFontDatabase::hasFamily(family)) {
            QFont font(family);
            font.setPointSizeF(8);
            return font;
        }
    }
#endif
    // Elsewhere, and where Windows lacks both (Wine offers neither), the
    // Liberation Sans the program carries, so that no font matcher picks a
    // face: it runs wider and takes the design's room at 7.5 points.
    static const QString carried =
        QFontDatabase::applicationFontFamilies(
            QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/LiberationSans-Regular.ttf")))
            .value(0);
    QFont font(carried);
    font.setPointSizeF(7.5);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

void setUpWindow(QWidget& window)
{
    window.setWindowFlags(window.windowFlags() | Qt::MSWindowsFixedSizeDialogHint |
                          Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint);
    window.setWindowFlag(Qt::WindowMinMaxButtonsHint, false);
    window.setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    window.setFixedSize(window.size());
    window.setWindowIcon(QIcon(QPixmap(QStringLiteral(":/images/program.xpm"))));
    window.setFont(windowFont());
    // A control with a style sheet of its own (the password boxes' masking
    // character) does not take its window's font: it is given it.
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (control->testAttribute(Qt::WA_StyleSheet)) {
            control->setFont(window.font());
        }
    }
    // A box that checks its own text (a password box) keeps its check.
    for (QLineEdit* box : window.findChildren<QLineEdit*>()) {
        if (box->validator() == nullptr) {
            platform::endTextAtNul(*box);
        }
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        window.move(screen->availableGeometry().center() - window.rect().center());
    }
}

} // namespace design
