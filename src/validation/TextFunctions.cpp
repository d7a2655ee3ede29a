#include "TextFunctions.h"

#include <limits>

int CountPos(const QString &substr, const QString &str)
{
    if (substr.isEmpty() || str.isEmpty())
        return 0;
    QString rest = str;
    rest.remove(substr);
    return int((str.size() - rest.size()) / substr.size());
}

int val(const QString &str, bool *convertError)
{
    QString digits;
    for (QChar c : str)
        if ((c >= u'0' && c <= u'9') || c == u'.')
            digits.append(c);
    if (digits.isEmpty())
        return 0;
    int value = 0;
    if (!toInt32(digits, &value)) {
        if (convertError)
            *convertError = true;
        return 0;
    }
    return value;
}

QString trimControls(const QString &str)
{
    qsizetype b = 0, e = str.size();
    while (b < e && str[b].unicode() <= 32)
        ++b;
    while (e > b && str[e - 1].unicode() <= 32)
        --e;
    return str.mid(b, e - b);
}

bool empty(const QString &str)
{
    return trimControls(str).isEmpty();
}

bool toInt32(const QString &str, int *value)
{
    qsizetype i = 0;
    while (i < str.size() && str[i] == u' ')
        ++i;
    bool negative = false;
    if (i < str.size() && (str[i] == u'+' || str[i] == u'-'))
        negative = str[i++] == u'-';
    if (i == str.size())
        return false;
    qint64 result = 0;
    for (; i < str.size(); ++i) {
        const QChar c = str[i];
        if (c < u'0' || c > u'9')
            return false;
        result = result * 10 + (c.unicode() - u'0');
        if (result > qint64(std::numeric_limits<int>::max()) + 1)
            return false;
    }
    if (negative)
        result = -result;
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min())
        return false;
    *value = int(result);
    return true;
}
