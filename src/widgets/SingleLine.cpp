#include "SingleLine.h"

#include <QLineEdit>
#include <QValidator>

namespace {

// A validator may rewrite the text it is given; the line edit then takes the
// rewritten text, so every way of changing the text passes through here.
class SingleLineValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString &input, int &pos) const override
    {
        QString out;
        out.reserve(input.size());
        int newPos = pos;
        for (qsizetype i = 0; i < input.size(); ++i) {
            const char16_t c = input[i].unicode();
            const bool beforeCursor = i < pos;
            if (c == u'\r' && i + 1 < input.size() && input[i + 1] == u'\n') {
                out += u' ';
                ++i;
                if (beforeCursor && i < pos)
                    --newPos;
            } else if (c == u'\r' || c == u'\n' || c == u'\t') {
                out += u' ';
            } else if (c < 0x20 || c == 0x7F) {
                if (beforeCursor)
                    --newPos;
            } else {
                out += input[i];
            }
        }
        if (out.size() != input.size() || out != input) {
            input = out;
            pos = newPos;
        }
        return Acceptable;
    }
};

} // namespace

void keepSingleLine(QLineEdit *edit)
{
    edit->setValidator(new SingleLineValidator(edit));
}
