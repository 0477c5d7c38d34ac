// Every caption and text of the windows fits its control at the design's
// geometry with the font the windows use.

#include "forms/frmNewUser.h"
#include "forms/frmQuotaEntry.h"

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
        // The frame and the text margins take two pixels on each side.
        const QSize text(box->fontMetrics().horizontalAdvance(box->text()),
                         box->fontMetrics().height());
        EXPECT_LE(text.width() + 8, box->width()) << qPrintable(box->objectName());
        EXPECT_LE(text.height() + 4, box->height()) << qPrintable(box->objectName());
    }
}

TEST(DesignTest, NewUserWindowClipsNoCaption)
{
    frmNewUser window;
    expectNothingClipped(window);
}

TEST(DesignTest, QuotaEntryWindowClipsNoCaption)
{
    frmQuotaEntry window;
    window.setUser(QString(20, u'W')); // the longest user name, in wide letters
    expectNothingClipped(window);
}

} // namespace
