#include "forms/design.h"

#include "platform/qt/textbox.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>

namespace design {

QFont windowFont()
{
    // The design was laid out with the 8-point MS Sans Serif, which every
    // Windows and Wine have; Liberation Sans runs wider and takes the same
    // room at 7.5 points.
#ifdef Q_OS_WIN
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8);
#else
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(7.5);
#endif
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
