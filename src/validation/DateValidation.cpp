#include "DateValidation.h"

#include "StrExt.h"
#include "TextFunctions.h"

namespace {

const CharSet Dot{u'.'};

const QString InvalidSecond = QStringLiteral(
    "Datumsangabe nicht korrekt: \n\rDatum enthält eine ungültige Tages-, Monats- oder Jahresangabe");
const QString InvalidFirst = QStringLiteral(
    "Datumsangabe nicht korrekt: \n\rDatum enthält eine ungültige Tages-, Monats- oder Jahreszahl");

// A two-digit year up to the current year's two digits is this century's.
int expandYear(int twoDigits, const QDate &today)
{
    return twoDigits <= today.year() - 2000 ? 2000 + twoDigits : 1900 + twoDigits;
}

bool allDigits(const QString &text)
{
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

struct CheckedDate {
    QDate date;
    int day = 0, month = 0, year = 0; // val of the parts; 0 when absent
};

// The date check of one date text. `first` marks the first date of a period:
// its month and year are tested in the other order and its invalid-date
// message ends in "Jahreszahl".
bool checkDate(const QString &text, bool first, const QDate &today, CheckedDate &out, Verdict &verdict)
{
    const QString invalid = first ? InvalidFirst : InvalidSecond;
    const int dots = CountPos(QStringLiteral("."), text);
    if (dots > 2) {
        verdict = Verdict::fault(QStringLiteral("Datum oder Zeitraum nicht korrekt: \n\rDatumstrennzeichen \".\" oder "
                                                "\"/\" mehr als 2mal im Datum"),
                                 verdict.convertErrors);
        return false;
    }
    QString dayText, monthText, yearText;
    bool convertError = false;
    auto countConvert = [&](int value) {
        if (convertError)
            ++verdict.convertErrors;
        convertError = false;
        return value;
    };
    // A part whose value is 0 is refused with its own message (a year may be "00").
    auto partTest = [&](const QString &part, const char *label, int &value, bool doubleZeroAllowed) {
        value = countConvert(val(part, &convertError));
        if (value == 0 && !(doubleZeroAllowed && part == QLatin1String("00"))) {
            verdict = Verdict::fault(QString::fromUtf8(label) + QStringLiteral(" nicht korrekt: \n\rEingegeben: ")
                                         + part,
                                     verdict.convertErrors);
            return false;
        }
        return true;
    };
    auto yearTest = [&] { return partTest(yearText, "Jahreszahl", out.year, true); };
    auto monthTest = [&] { return partTest(monthText, "Monatszahl", out.month, false); };
    auto dayTest = [&] { return partTest(dayText, "Tageszahl", out.day, false); };

    if (dots == 0) {
        yearText = trimControls(text);
        if (!yearTest())
            return false;
    } else if (dots == 1) {
        monthText = ExtractWordN(1, text, Dot);
        yearText = ExtractWordN(2, text, Dot);
        if (first ? !(yearTest() && monthTest()) : !(monthTest() && yearTest()))
            return false;
    } else {
        dayText = ExtractWordN(1, text, Dot);
        monthText = ExtractWordN(2, text, Dot);
        yearText = ExtractWordN(3, text, Dot);
        if (!(dayTest() && monthTest() && yearTest()))
            return false;
    }

    const qsizetype yearLength = yearText.size();
    if (yearLength > 4 || yearLength == 3 || yearLength < 2) {
        verdict = Verdict::fault(QStringLiteral("Jahreszahl nicht korrekt oder unplausibel: \n\rEingegeben: ")
                                     + yearText,
                                 verdict.convertErrors);
        return false;
    }
    const int year = yearLength == 2 ? expandYear(out.year, today) : out.year;
    const int month = dots >= 1 ? out.month : 1;
    const int day = dots == 2 ? out.day : 1;
    // The parts must be plain numbers to make a calendar date; a pasted "1a"
    // passes the tests above by its digit but names no day.
    const bool numeric = allDigits(dayText) && allDigits(monthText) && allDigits(yearText);
    if (!numeric || year < 1 || year > 9999 || !QDate::isValid(year, month, day)) {
        verdict = Verdict::fault(invalid, verdict.convertErrors);
        return false;
    }
    out.date = QDate(year, month, day);
    if (out.date > today) {
        verdict = Verdict::fault(QStringLiteral("Datumsangabe nicht korrekt: \n\rSie haben in der Zukunft kartiert!"),
                                 verdict.convertErrors);
        return false;
    }
    return true;
}

enum class Form {
    None,
    TMJ,
    MJ,
    J
};

Form formOf(const CheckedDate &d)
{
    if (d.day > 0 && d.month > 0 && d.year > 0)
        return Form::TMJ;
    if (d.day == 0 && d.month > 0 && d.year > 0)
        return Form::MJ;
    if (d.day == 0 && d.month == 0 && d.year > 0)
        return Form::J;
    return Form::None;
}

QString pad2(const QString &part)
{
    return (u'0' + part).right(2);
}

QString normaliseDate(const QString &date, const QDate &today)
{
    auto year = [&](const QString &text) {
        if (text.size() != 2)
            return text;
        return QString::number(expandYear(val(text, nullptr), today));
    };
    switch (CountPos(QStringLiteral("."), date)) {
    case 0:
        return year(trimControls(date));
    case 1:
        return pad2(ExtractWordN(1, date, Dot)) + u'.' + year(ExtractWordN(2, date, Dot));
    default:
        return pad2(ExtractWordN(1, date, Dot)) + u'.' + pad2(ExtractWordN(2, date, Dot)) + u'.'
            + year(ExtractWordN(3, date, Dot));
    }
}

} // namespace

Verdict ZeitraumOK(const QString &cZeitraumStr, const QDate &today)
{
    QString s = cZeitraumStr;
    s.remove(u' ');
    if (CountPos(QStringLiteral("-"), s) >= 2)
        return Verdict::fault(
            QStringLiteral("Datum oder Zeitraum nicht korrekt: \n\rZeichen \"-\" doppelt in der Zeitraumzeichenfolge"));
    s.replace(u'/', u'.');

    QString firstText, secondText;
    const qsizetype dash = s.indexOf(u'-');
    if (s.isEmpty() || s.endsWith(u'-')) {
        secondText = s.left(s.size() - 1);
    } else if (dash >= 0) {
        secondText = s.mid(dash + 1, 99);
        firstText = s.left(dash);
    } else {
        secondText = s;
    }

    Verdict verdict;
    CheckedDate second, first;
    if (!checkDate(secondText, false, today, second, verdict))
        return verdict;
    if (firstText.isEmpty())
        return verdict;
    if (!checkDate(firstText, true, today, first, verdict))
        return verdict;
    if (second.date < first.date)
        return Verdict::fault(
            QStringLiteral("Datumsangabe nicht korrekt: \n\rZweite Datumsangabe vor erster Datumsangabe"),
            verdict.convertErrors);
    const Form a = formOf(first), b = formOf(second);
    if (a == b && a != Form::None)
        return verdict;
    return Verdict::fault(QStringLiteral("Zeitraumangabe nicht korrekt: \n\rDatumsangaben ungleichmäßig (gültig "
                                         "TMJ-TMJ, MJ-MJ, J-J)."),
                          verdict.convertErrors);
}

QString ParseZeitraum(const QString &cZeitraumStr, const QDate &today)
{
    QString s = cZeitraumStr;
    s.remove(u' ');
    s.replace(u'/', u'.');
    const qsizetype dash = s.indexOf(u'-');
    if (dash < 0)
        return normaliseDate(s, today);
    if (dash == 0)
        return u'-' + normaliseDate(s.mid(1, 99), today);
    if (dash == s.size() - 1)
        return normaliseDate(s.left(s.size() - 1), today) + u'-';
    return normaliseDate(s.left(dash), today) + u'-' + normaliseDate(s.mid(dash + 1, 99), today);
}
