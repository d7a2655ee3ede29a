#include "SingleLine.h"

#include <QLineEdit>
#include <QStringView>
#include <QValidator>

namespace {

bool isLineSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// A validator may rewrite the text it is given; the line edit then takes the
// rewritten text, so every way of changing the text passes through here.
class SingleLineValidator : public QValidator {
public:
    // The text as it was before the change being validated.
    QString before_;

    using QValidator::QValidator;

private:
    // A spreadsheet cell comes with a line end after it: text inserted with
    // a line end in it loses the line ends and blanks at its start and end.
    // The inserted part is what lies between the common start and the
    // common end of the text before the change and the new one.
    void trimPastedLineEnds(QString &input, int &pos) const
    {
        const QString &old = before_;
        qsizetype head = 0;
        while (head < old.size() && head < input.size() && old[head] == input[head])
            ++head;
        qsizetype tail = 0;
        while (tail < old.size() - head && tail < input.size() - head
               && old[old.size() - 1 - tail] == input[input.size() - 1 - tail])
            ++tail;
        const qsizetype end = input.size() - tail;
        const QStringView inserted = QStringView(input).mid(head, end - head);
        if (!inserted.contains(u'\n') && !inserted.contains(u'\r'))
            return;
        qsizetype from = head, to = end;
        while (from < to && isLineSpace(input[from]))
            ++from;
        while (to > from && isLineSpace(input[to - 1]))
            --to;
        const qsizetype droppedBefore = from - head;
        const qsizetype droppedAfter = end - to;
        input.remove(to, droppedAfter);
        input.remove(head, droppedBefore);
        if (pos >= end)
            pos -= int(droppedBefore + droppedAfter);
        else if (pos > head)
            pos = int(qMax(head, pos - droppedBefore));
    }

public:
    State validate(QString &input, int &pos) const override
    {
        trimPastedLineEnds(input, pos);
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
    auto *validator = new SingleLineValidator(edit);
    validator->before_ = edit->text();
    QObject::connect(edit, &QLineEdit::textChanged, validator,
                     [validator](const QString &text) { validator->before_ = text; });
    edit->setValidator(validator);
}
