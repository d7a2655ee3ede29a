#include "CoordinateValidation.h"

#include <optional>

#include "StrExt.h"
#include "TextFunctions.h"

namespace {

const CharSet ListSep{ListSeparator};
const CharSet DecimalSep{DecimalSeparator};
const CharSet Slash{u'/'};

const QString LtlnHead = QStringLiteral("Der unter \"Raumbezug\" eingegebene Wert gehört nicht \n\rzu dem ausgewählten "
                                        "Raumbezugssystem oder\n\rdie Eingabe ist fehlerhaft;\n\r\n\r");
const QString GkrHead = QStringLiteral("Der unter \"Raumbezug\" eingegebene Wert gehört nicht \n\rzu dem ausgewählten "
                                       "Raumbezugssystem oder\n\rdie Eingabe ist fehlerhaft\n\r");

QString trimRight(const QString &s)
{
    qsizetype e = s.size();
    while (e > 0 && s[e - 1] == u' ')
        --e;
    return s.left(e);
}

// A number with "," as its decimal separator: optional sign, digits with at
// most one ",", an optional exponent.
std::optional<double> toNumber(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    double value = 0;
    int digits = 0;
    for (; i < n && text[i].isDigit() && text[i].unicode() < 128; ++i, ++digits)
        value = value * 10 + (text[i].unicode() - u'0');
    if (i < n && text[i] == DecimalSeparator) {
        double scale = 0.1;
        for (++i; i < n && text[i].isDigit() && text[i].unicode() < 128; ++i, ++digits, scale /= 10)
            value += scale * (text[i].unicode() - u'0');
    }
    if (digits == 0)
        return std::nullopt;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            negativeExponent = text[i++] == u'-';
        int exponent = 0, exponentDigits = 0;
        for (; i < n && text[i].isDigit() && text[i].unicode() < 128; ++i, ++exponentDigits)
            exponent = qMin(exponent * 10 + (text[i].unicode() - u'0'), 4000);
        if (exponentDigits == 0)
            return std::nullopt;
        for (int k = 0; k < exponent; ++k)
            value = negativeExponent ? value / 10 : value * 10;
    }
    if (i != n)
        return std::nullopt;
    return negative ? -value : value;
}

Verdict ltlnFault(const char *line)
{
    return Verdict::fault(LtlnHead + QString::fromUtf8(line));
}

bool isOneOf(const QString &c, const char *chars)
{
    return !c.isEmpty() && QString::fromLatin1(chars).contains(c);
}

// Sheet number and the first three characters of the refinement; the fault
// of the sheet number, if any.
std::optional<Verdict> checkSheet(const QString &str, QString q[3])
{
    const QString sheet = ExtractWordN(1, str, Slash);
    const QString refinement = ExtractWordN(2, str, Slash);
    for (int i = 0; i < 3; ++i)
        q[i] = refinement.mid(i, 1);
    if (sheet.size() != 4)
        return Verdict::fault(QStringLiteral("Raumbezug falsch: \n\rMTB-Wert hat keine 4 Stellen"));
    for (QChar c : sheet)
        if (!isOneOf(QString(c), "0123456789"))
            return Verdict::fault(QStringLiteral("Raumbezug falsch: \n\rMTB nicht korrekt"));
    if (!q[0].isEmpty() && !isOneOf(q[0], "1234"))
        return Verdict::fault(QStringLiteral("Raumbezug falsch: \n\rQuadrant nicht korrekt"));
    return std::nullopt;
}

} // namespace

Verdict IsLTLNOk(const QString &str)
{
    QString lat = ExtractWordN(1, str, ListSep);
    QString lng = ExtractWordN(2, str, ListSep);
    if (lat.isEmpty())
        return ltlnFault("Breite fehlt oder Listentrenner falsch");
    if (lng.isEmpty())
        return ltlnFault("Länge fehlt oder Listentrenner falsch");
    const QString latEnd = trimRight(lat).right(1);
    if (latEnd != QLatin1String("N") && latEnd != QLatin1String("S"))
        return ltlnFault("Breite hat keinen Bezeichner (N, S)");
    const QString lngEnd = trimRight(lng).right(1);
    if (lngEnd != QLatin1String("W") && lngEnd != QLatin1String("E"))
        return ltlnFault("Länge hat keinen Bezeichner (W, E)");
    lat.remove(QChar(u'N'), Qt::CaseInsensitive).remove(QChar(u'S'), Qt::CaseInsensitive).remove(QChar(u' '));
    lng.remove(QChar(u'W'), Qt::CaseInsensitive).remove(QChar(u'E'), Qt::CaseInsensitive).remove(QChar(u' '));
    const QString latDecimals = ExtractWordN(2, lat, DecimalSep);
    const QString lngDecimals = ExtractWordN(2, lng, DecimalSep);

    // The hemisphere letter carries the sign, so a negative number is no
    // latitude or longitude at all.
    const auto latValue = toNumber(lat);
    if (!latValue)
        return ltlnFault("Fehler in der Notation von Breite oder Länge");
    if (*latValue >= 90 || *latValue < 0)
        return ltlnFault("Breite nicht zwischen 0° und 90°");
    const auto lngValue = toNumber(lng);
    if (!lngValue)
        return ltlnFault("Fehler in der Notation von Breite oder Länge");
    if (*lngValue >= 180 || *lngValue < 0)
        return ltlnFault("Länge nicht zwischen 0° und 180°");
    if (latDecimals.size() > 5)
        return ltlnFault("Breite hat mehr als 5 Dezimalstellen");
    if (lngDecimals.size() > 5)
        return ltlnFault("Länge hat mehr als 5 Dezimalstellen");
    return {};
}

Verdict IsGKrOk(const QString &str, const QString &stripnr)
{
    QString x = ExtractWordN(1, str, ListSep);
    QString y = ExtractWordN(2, str, ListSep);
    const QString xDecimals = ExtractWordN(2, x, DecimalSep);
    const QString yDecimals = ExtractWordN(2, y, DecimalSep);
    x = ExtractWordN(1, x, DecimalSep);
    y = ExtractWordN(1, y, DecimalSep);

    QString faults;
    const QString nl = QStringLiteral("\n\r");
    const QString separator = QStringLiteral("Listentrenner aktuell: ") + QChar(ListSeparator);
    if (x.isEmpty())
        faults += nl + QStringLiteral("x-Wert fehlt oder Listentrenner falsch") + nl + separator;
    if (y.isEmpty())
        faults += nl + QStringLiteral("y-Wert fehlt oder Listentrenner falsch") + nl + separator;
    if (x.size() != 7)
        faults += nl + QStringLiteral("x-Wert hat keine 7 Stellen");
    if (y.size() != 7)
        faults += nl + QStringLiteral("y-Wert hat keine 7 Stellen");
    if (xDecimals.size() > 5)
        faults += nl + QStringLiteral("Maximal fünf Dezimalstellen erlaubt");
    if (yDecimals.size() > 5)
        faults += nl + QStringLiteral("Maximal fünf Dezimalstellen erlaubt");
    if (x.left(1) != stripnr || x.isEmpty())
        faults += nl + QStringLiteral("Streifennummer ") + stripnr + QStringLiteral(" erwartet");
    if (faults.isEmpty())
        return {};
    return Verdict::fault(GkrHead + faults);
}

Verdict IsMTBQQQOk(const QString &str)
{
    QString q[3];
    if (auto fault = checkSheet(str, q))
        return *fault;
    if (!q[1].isEmpty() && !isOneOf(q[1], "1234"))
        return Verdict::fault(QStringLiteral("Raumbezug falsch: \n\r16tel-Raster nicht korrekt"));
    if (!q[2].isEmpty() && !isOneOf(q[2], "1234"))
        return Verdict::fault(QStringLiteral("Raumbezug falsch: \n\r64tel-Raster nicht korrekt"));
    return {};
}

Verdict IsMTBQYXOk(const QString &str)
{
    QString q[3];
    if (auto fault = checkSheet(str, q))
        return *fault;
    if (q[1].isEmpty() && q[2].isEmpty())
        return {};
    if (!isOneOf(q[1], "123") || !isOneOf(q[2], "12345"))
        return Verdict::fault(QStringLiteral("Raumbezug falsch: \n\rMinutenfeld nicht korrekt"));
    return {};
}

QString ltlnAsTyped(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        if (c == u'.')
            c = DecimalSeparator;
        else if (c == u'n' || c == u'e' || c == u's' || c == u'w')
            c = c.toUpper();
    }
    return out;
}

Verdict checkReference(ReferenceSystem system, const QString &text)
{
    switch (system) {
    case ReferenceSystem::None:
        return {};
    case ReferenceSystem::LTLN:
        return IsLTLNOk(text);
    case ReferenceSystem::GKr2:
    case ReferenceSystem::GKr3:
    case ReferenceSystem::GKr4:
    case ReferenceSystem::GKr5:
        return IsGKrOk(text, QString::number(gaussKruegerStrip(system)));
    case ReferenceSystem::QQQ:
        return IsMTBQQQOk(text);
    case ReferenceSystem::QYX:
        return IsMTBQYXOk(text);
    }
    return {};
}

Verdict IsHoeheOK(const QString &cHoehenstr)
{
    const QString head = QStringLiteral("Höhenlage nicht korrekt: \n\r");
    if (CountPos(QStringLiteral("-"), cHoehenstr) >= 2)
        return Verdict::fault(head + QStringLiteral("Zeichen \"-\" doppelt in der Höhenspanne"));
    if (cHoehenstr.startsWith(u'-'))
        return Verdict::fault(head + QStringLiteral("Zeichen \"-\" am Anfang"));
    if (cHoehenstr.endsWith(u'-'))
        return Verdict::fault(head + QStringLiteral("Zeichen \"-\" am Ende"));

    int convertErrors = 0;
    auto value = [&](const QString &text) {
        bool failed = false;
        const int v = val(text, &failed);
        convertErrors += failed ? 1 : 0;
        return v;
    };
    const QString everest = head + QStringLiteral("Sie haben über dem Mt.Everest kartiert");
    const qsizetype dash = cHoehenstr.indexOf(u'-');
    if (dash < 0) {
        if (value(cHoehenstr) > 8848)
            return Verdict::fault(everest, convertErrors);
        return {true, {}, convertErrors};
    }
    const int lower = value(cHoehenstr.left(dash));
    const int upper = value(cHoehenstr.mid(dash + 1, 99));
    if (lower > 8848 || upper > 8848)
        return Verdict::fault(everest, convertErrors);
    if (upper < lower)
        return Verdict::fault(head + QStringLiteral("2. Wert der Höhenspanne unter erstem Wert"), convertErrors);
    if (upper == lower)
        return Verdict::fault(head + QStringLiteral("2. Wert der Höhenspanne gleich erstem Wert"), convertErrors);
    return {true, {}, convertErrors};
}
