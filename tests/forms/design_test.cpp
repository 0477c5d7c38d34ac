// Every caption and text of the windows fits its control at the design's
// geometry with the font the windows use.

#include "forms/frmNewUser.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

void expectNothingClipped(QWidget& window)
{
    window.ensurePolished();
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (label->pixmap().isNull()) {
            const QSize needed = label->sizeHint();
            EXPECT_LE(needed.width(), label->width()) << qPrintable(label->objectName());
            EXPECT_LE(needed.height(), label->height()) << qPrintable(label->objectName());
        }
    }
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        const QSize text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
        QSize needed;
        if (qobject_cast<QPushButton*>(button) != nullptr) {
            const int margin =
                button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
            needed = text + QSize(2 * margin, 0);
        } else {
            // A check box or option button: its indicator and the caption beside it.
            const QStyle::PixelMetric indicatorHeight = qobject_cast<QRadioButton*>(button)
                                                            ? QStyle::PM_ExclusiveIndicatorHeight
                                                            : QStyle::PM_IndicatorHeight;
            needed = QSize(button->sizeHint().width(),
                           std::max(text.height(), button->style()->pixelMetric(indicatorHeight,
                                                                                nullptr, button)));
        }
        EXPECT_LE(needed.width(), button->width()) << qPrintable(button->objectName());
        EXPECT_LE(needed.height(), button->height()) << qPrintable(button->objectName());
    }
    for (QLineEdit* box : window.findChildren<QLineEdit*>()) {
        EXPECT_LE(box->fontMetrics().height() + 4, box->height()) << qPrintable(box->objectName());
    }
}

TEST(DesignTest, NewUserWindowClipsNoCaption)
{
    frmNewUser window;
    expectNothingClipped(window);
}

} // namespace
