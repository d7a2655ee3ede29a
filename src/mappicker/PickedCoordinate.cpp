#include "PickedCoordinate.h"

#include "StrExt.h"
#include "TextFunctions.h"

namespace {

QString part(const QString &whole, const QString &decimals, char16_t positive, char16_t negative)
{
    if (whole.startsWith(u'-'))
        return whole.mid(1, 99) + u',' + decimals.left(5) + QChar(negative);
    return whole + u',' + decimals.left(5) + QChar(positive);
}

} // namespace

QString pickedCoordinateToLtln(const QString &T)
{
    const CharSet comma{u','}, dot{u'.'};
    const QString a = ExtractWordN(1, T, comma);
    const QString b = ExtractWordN(2, T, comma);
    const QString lw = trimControls(ExtractWordN(1, a, dot));
    const QString ld = ExtractWordN(2, a, dot);
    const QString gw = trimControls(ExtractWordN(1, b, dot));
    const QString gd = ExtractWordN(2, b, dot);
    return part(lw, ld, u'N', u'S') + u';' + part(gw, gd, u'E', u'W');
}
