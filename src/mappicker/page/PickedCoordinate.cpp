#include "PickedCoordinate.h"

#include <cmath>

#include <QRegularExpression>

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

std::optional<QString> plainDecimal(const QString &text, double limit)
{
    static const QRegularExpression plain(QStringLiteral("^-?[0-9]{1,3}(\\.[0-9]{1,15})?$"));
    static const QRegularExpression scientific(QStringLiteral("^-?[0-9](\\.[0-9]{1,15})?e-[0-9]{1,3}$"));
    const bool isPlain = plain.match(text).hasMatch();
    if (!isPlain && !scientific.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::abs(value) > limit)
        return std::nullopt;
    return isPlain ? text : QString::number(value, 'f', 9);
}

std::optional<PlainPoint> plainPoint(const QString &lat, const QString &lng)
{
    const auto plainLat = plainDecimal(lat, 90);
    const auto plainLng = plainDecimal(lng, 180);
    if (!plainLat || !plainLng)
        return std::nullopt;
    return PlainPoint{*plainLat, *plainLng};
}

std::optional<PlainPoint> plainPoint(const QString &coordinate)
{
    const QStringList parts = coordinate.split(u',');
    if (parts.size() != 2)
        return std::nullopt;
    return plainPoint(parts[0].trimmed(), parts[1].trimmed());
}
