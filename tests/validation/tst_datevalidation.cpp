#include <QTest>

#include "DateValidation.h"
#include "TextFunctions.h"

class TestDateValidation : public QObject {
    Q_OBJECT
private slots:
    void fixedToday_data();
    void fixedToday();
    void reanchoredToday_data();
    void reanchoredToday();
    void convertErrors_data();
    void convertErrors();
    void textFunctions();
};

namespace {

const QString Future = QStringLiteral("Datumsangabe nicht korrekt: \n\rSie haben in der Zukunft kartiert!");
const QString InvalidSecond = QStringLiteral(
    "Datumsangabe nicht korrekt: \n\rDatum enthält eine ungültige Tages-, Monats- oder Jahresangabe");
const QString InvalidFirst = QStringLiteral(
    "Datumsangabe nicht korrekt: \n\rDatum enthält eine ungültige Tages-, Monats- oder Jahreszahl");
const QString YearWrong = QStringLiteral("Jahreszahl nicht korrekt: \n\rEingegeben: ");
const QString YearImplausible = QStringLiteral("Jahreszahl nicht korrekt oder unplausibel: \n\rEingegeben: ");
const QString Uneven = QStringLiteral(
    "Zeitraumangabe nicht korrekt: \n\rDatumsangaben ungleichmäßig (gültig TMJ-TMJ, MJ-MJ, J-J).");
const QString Order = QStringLiteral("Datumsangabe nicht korrekt: \n\rZweite Datumsangabe vor erster Datumsangabe");

void addColumns()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message"); // empty: valid
    QTest::addColumn<QString>("normalised");
}

void check(const QDate &today, const QString &text, const QString &message, const QString &normalised)
{
    const Verdict verdict = ZeitraumOK(text, today);
    QCOMPARE(verdict.message, message);
    QCOMPARE(verdict.ok, message.isEmpty());
    QCOMPARE(verdict.convertErrors, 0);
    if (!verdict.ok)
        return;
    const QString result = ParseZeitraum(text, today);
    QCOMPARE(result, normalised);
    // The normalised text is accepted again and stays as it is.
    QVERIFY(ZeitraumOK(result, today).ok);
    QCOMPARE(ParseZeitraum(result, today), result);
}

} // namespace

void TestDateValidation::fixedToday_data()
{
    addColumns();
    const QDate t(2011, 3, 15);
    auto row = [&](const char *text, const QString &message, const char *normalised = "") {
        QTest::newRow(text) << t << QString::fromUtf8(text) << message << QString::fromUtf8(normalised);
    };
    row("1.3.2011", {}, "01.03.2011");
    row("5/3/11", {}, "05.03.2011");
    row("5 . 3 . 2010", {}, "05.03.2010");
    row("15.3.2011", {}, "15.03.2011");
    row("3.2011", {}, "03.2011");
    row("4.2011", Future);
    row("16.3.2011", Future);
    row("2011", {}, "2011");
    row("11", {}, "2011");
    row("12", {}, "1912");
    row("00", {}, "2000");
    row("0", YearWrong + "0");
    row("000", YearWrong + "000");
    row("201", YearImplausible + "201");
    row("20100", YearImplausible + "20100");
    row("0099", {}, "0099");
    row("0000", YearWrong + "0000");
    row("0.5.2010", QStringLiteral("Tageszahl nicht korrekt: \n\rEingegeben: 0"));
    row(".5.2010", QStringLiteral("Tageszahl nicht korrekt: \n\rEingegeben: "));
    row("1.0.2010", QStringLiteral("Monatszahl nicht korrekt: \n\rEingegeben: 0"));
    row("1..2010", QStringLiteral("Monatszahl nicht korrekt: \n\rEingegeben: "));
    row("1.5.", YearWrong);
    row("13.2010", InvalidSecond);
    row("32.1.2010", InvalidSecond);
    row("29.2.2010", InvalidSecond);
    row("29.2.2008", {}, "29.02.2008");
    row("29.2.2000", {}, "29.02.2000");
    row("29.2.1900", InvalidSecond);
    row("1.1.1.2010",
        QStringLiteral("Datum oder Zeitraum nicht korrekt: \n\rDatumstrennzeichen \".\" oder \"/\" mehr "
                       "als 2mal im Datum"));
    row("1.5.2010-3.5.2010", {}, "01.05.2010-03.05.2010");
    row("5.2009-6.2009", {}, "05.2009-06.2009");
    row("2009-2010", {}, "2009-2010");
    row("2010-2010", {}, "2010-2010");
    row("09-10", {}, "2009-2010");
    row("2010-2009", Order);
    row("1.5.2010-2011", Uneven);
    row("5.2010-1.6.2010", Uneven);
    row("31.4.2010-1.5.2010", InvalidFirst);
    row("13.2010-1.2011", InvalidFirst);
    row("1.1.2011-31.12.2011", Future);
    row("1.4.2011-2.4.2011", Future);
    // The first date's own future test comes before the order test.
    row("1.12.2011-1.1.2011", Future);
    row("2009-", {}, "2009-");
    row("-5.3.10", {}, "-05.03.2010");
    row("1-2-3",
        QStringLiteral("Datum oder Zeitraum nicht korrekt: \n\rZeichen \"-\" doppelt in der Zeitraumzeichenfolge"));
    row("-", YearWrong);
    row("", YearWrong);
    // The first date of a period tests its year before its month.
    row("0.x-5.2010", YearWrong + "x");
    row("0.2009-5.2010", QStringLiteral("Monatszahl nicht korrekt: \n\rEingegeben: 0"));
    row("0.x", QStringLiteral("Monatszahl nicht korrekt: \n\rEingegeben: 0"));
    // A pasted part that mixes digits and other characters names no date.
    row("1a.5.2010", InvalidSecond);
    row("1.5.2010-1a.6.2010", InvalidSecond);
    row("1a.5.2010-1.6.2010", InvalidFirst);
    row("1.5.20a0", InvalidSecond);
    row("1/5/2010-3/5/2010", {}, "01.05.2010-03.05.2010");
}

void TestDateValidation::fixedToday()
{
    QFETCH(QDate, today);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QFETCH(QString, normalised);
    check(today, text, message, normalised);
}

void TestDateValidation::reanchoredToday_data()
{
    addColumns();
    const QDate todays[] = {QDate(2011, 3, 15), QDate(2024, 12, 31), QDate(2025, 1, 1), QDate(2024, 2, 29)};
    for (const QDate &t : todays) {
        const QString tag = t.toString("dd.MM.yyyy") + u' ';
        auto row = [&](const QString &name, const QString &text, const QString &message, const QString &normalised) {
            QTest::newRow(qPrintable(tag + name)) << t << text << message << normalised;
        };
        const QDate tomorrow = t.addDays(1), yesterday = t.addDays(-1);
        const QDate nextMonth = t.addMonths(1);
        const QString yy = QString::number(t.year() % 100).rightJustified(2, u'0');
        const QString nextYy = QString::number((t.year() + 1) % 100).rightJustified(2, u'0');
        row("today", t.toString("d.M.yyyy"), {}, t.toString("dd.MM.yyyy"));
        row("tomorrow", tomorrow.toString("d.M.yyyy"), Future, {});
        row("this month", t.toString("M.yyyy"), {}, t.toString("MM.yyyy"));
        row("next month", nextMonth.toString("M.yyyy"), Future, {});
        row("this year", QString::number(t.year()), {}, QString::number(t.year()));
        row("next year", QString::number(t.year() + 1), Future, {});
        row("two-digit year of today", yy, {}, QString::number(2000 + yy.toInt()));
        row("two-digit year past the pivot", nextYy, {}, QString::number(1900 + nextYy.toInt()));
        row("yesterday to today", yesterday.toString("d.M.yy") + u'-' + t.toString("d/M/yy"), {},
            yesterday.toString("dd.MM.yyyy") + u'-' + t.toString("dd.MM.yyyy"));
        row("today to tomorrow", t.toString("d.M.yyyy") + u'-' + tomorrow.toString("d.M.yyyy"), Future, {});
        row("open end today", t.toString("d.M.yyyy") + u'-', {}, t.toString("dd.MM.yyyy") + u'-');
        row("open start tomorrow", u'-' + tomorrow.toString("d.M.yyyy"), Future, {});
    }
    const QDate leap(2024, 2, 29);
    QTest::newRow("29.02.2024 leap day, two-digit year") << leap << "29.2.24" << QString() << "29.02.2024";
    QTest::newRow("29.02.2024 no leap day 2023") << leap << "29.2.2023" << InvalidSecond << QString();
    QTest::newRow("29.02.2024 invalid before future") << leap << "29.2.2025" << InvalidSecond << QString();
    QTest::newRow("29.02.2024 leap day 1996 period")
        << leap << "29.2.96-29.2.24" << QString() << "29.02.1996-29.02.2024";
}

void TestDateValidation::reanchoredToday()
{
    QFETCH(QDate, today);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QFETCH(QString, normalised);
    check(today, text, message, normalised);
}

void TestDateValidation::convertErrors_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("convertErrors");
    QTest::newRow("day too large") << "99999999999.5.2010"
                                   << "Tageszahl nicht korrekt: \n\rEingegeben: 99999999999" << 1;
    QTest::newRow("year too large") << "99999999999"
                                    << "Jahreszahl nicht korrekt: \n\rEingegeben: 99999999999" << 1;
}

void TestDateValidation::convertErrors()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    QFETCH(int, convertErrors);
    const Verdict verdict = ZeitraumOK(text, QDate(2011, 3, 15));
    QVERIFY(!verdict.ok);
    QCOMPARE(verdict.message, message);
    QCOMPARE(verdict.convertErrors, convertErrors);
}

void TestDateValidation::textFunctions()
{
    QCOMPARE(CountPos("-", "1-2-3"), 2);
    QCOMPARE(CountPos("aa", "aaaaa"), 2);
    QCOMPARE(CountPos("", "abc"), 0);
    QCOMPARE(CountPos("x", ""), 0);
    QCOMPARE(CountPos("x", "abc"), 0);

    bool failed = false;
    QCOMPARE(val("a-12b3", &failed), 123);
    QVERIFY(!failed);
    QCOMPARE(val("", &failed), 0);
    QCOMPARE(val("xyz", &failed), 0);
    QVERIFY(!failed);
    QCOMPARE(val("2147483647", &failed), 2147483647);
    QVERIFY(!failed);
    QCOMPARE(val("2147483648", &failed), 0);
    QVERIFY(failed);
    failed = false;
    QCOMPARE(val("1.5", &failed), 0);
    QVERIFY(failed);

    QVERIFY(empty(""));
    QVERIFY(empty(" \t\r\n"));
    QVERIFY(!empty(" x "));
}

QTEST_APPLESS_MAIN(TestDateValidation)
#include "tst_datevalidation.moc"
