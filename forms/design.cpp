#include "forms/design.h"

#include "platform/qt/font.h"
#include "platform/qt/textbox.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>

namespace design {

void setUpWindow(QWidget& window)
{
    window.setWindowFlags(window.windowFlags() | Qt::MSWindowsFixedSizeDialogHint |
                          Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint);
    window.setWindowFlag(Qt::WindowMinMaxButtonsHint, false);
    window.setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    window.setFixedSize(window.size());
    window.setWindowIcon(QIcon(QPixmap(QStringLiteral(":/images/program.xpm"))));
    // One face on every system, so that what the tests measure is what ships:
    // the design's MS Sans Serif is a raster face on Windows, which snaps to
    // its fixed sizes and is drawn magnified above 96 dots per inch. The
    // carried face runs wider, so it takes the design's room at 7.5 points.
    window.setFont(platform::carriedSansSerif(7.5));
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
