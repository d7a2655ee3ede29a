#include "StrExt.h"

QString ExtractWordN(int N, const QString &Text, const CharSet &Delims)
{
    QString result;
    int count = 0;
    for (QChar c : Text) {
        if (count == N)
            break;
        if (Delims.contains(c))
            ++count;
        else if (count == N - 1)
            result.append(c);
    }
    return result;
}
