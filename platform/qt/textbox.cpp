#include "platform/qt/textbox.h"

#include <QLineEdit>
#include <QValidator>
#include <algorithm>

namespace platform {
namespace {

// A validator sees every change of a box's text before the box reports it,
// setText() included, and may change it.
class TextEndsAtNul : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString& input, int& position) const override
    {
        const qsizetype nul = input.indexOf(QChar(u'\0'));
        if (nul >= 0) {
            input.truncate(nul);
            position = std::min(position, static_cast<int>(nul));
        }
        return Acceptable;
    }
};

} // namespace

void endTextAtNul(QLineEdit& box)
{
    box.setValidator(new TextEndsAtNul(&box));
}

} // namespace platform
