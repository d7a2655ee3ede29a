#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "CsvExport.h"

Q_DECLARE_METATYPE(ObservationRecord)

class TestCsvExport : public QObject {
    Q_OBJECT
private slots:
    void fileBytes_data();
    void fileBytes();
    void systemCodes_data();
    void systemCodes();
    void gridCodeTooLong();
    void unrepresentableCharacter_data();
    void unrepresentableCharacter();
    void proposedName_data();
    void proposedName();
    void sequenceGoesPast999();
};

namespace {

const QByteArray Header = "\"Sippe\",\"Status\",\"Kommentar\",\"Anzahl\",\"Kartierer\",\"Datum\",\"Fundortname\","
                          "\"Raumreferenz\",\"Raumreferenzsystem\",\"USR\",\"Aufnahmemethode\",\"Aufnahmereferenz\","
                          "\"Beschreibung\",\"H\xF6henlage\"\r\n";

ObservationRecord oneTaxon()
{
    ObservationRecord r;
    r.taxa = {{"Abies alba", "*", "", ""}};
    r.observers = {"Weber, Hans"};
    r.date = "01.05.2010";
    r.locality = "Wegrand";
    r.spatialReference = "2512345;5612345";
    r.systemText = "Gauß-Krüger-Streifen 3 (GKr3)";
    r.radius = "10";
    r.gridSystemText = "MTBQYX - Minutenfelder (QYX)";
    return r;
}

// The data line of oneTaxon() with field 1 to 14 as given.
QByteArray line(const QList<QByteArray> &fields)
{
    QByteArray out = "\"";
    for (qsizetype i = 0; i < fields.size(); ++i)
        out += (i ? "\",\"" : "") + fields[i];
    return out + "\"\r\n";
}

QList<QByteArray> baseFields()
{
    return {"Abies alba", "*", "", "", "Weber, Hans", "01.05.2010", "Wegrand", "2512345;5612345", "GKr3", "10",
            "",           "",  "", ""};
}

} // namespace

void TestCsvExport::fileBytes_data()
{
    QTest::addColumn<ObservationRecord>("record");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("one taxon, one observer") << oneTaxon() << Header + line(baseFields());

    {
        ObservationRecord r = oneTaxon();
        r.observers = {"A", "B", "C"};
        QList<QByteArray> f = baseFields();
        f[4] = "A; B; C";
        QTest::newRow("three observers") << r << Header + line(f);
    }
    {
        ObservationRecord r = oneTaxon();
        r.taxa.append({"Achillea millefolium ssp. sudetica", "2", "am Wegrand", "5"});
        QList<QByteArray> f2 = baseFields();
        f2[0] = "Achillea millefolium ssp. sudetica";
        f2[1] = "2";
        f2[2] = "am Wegrand";
        f2[3] = "5";
        QTest::newRow("two taxa in grid order") << r << Header + line(baseFields()) + line(f2);
    }
    {
        ObservationRecord r = oneTaxon();
        r.description = "Ein \"alter\" Baum\r\nam  Hang,   sonnig ";
        QList<QByteArray> f = baseFields();
        f[12] = "Ein 'alter' Baum am Hang, sonnig ";
        QTest::newRow("description cleaned") << r << Header + line(f);
    }
    {
        ObservationRecord r = oneTaxon();
        r.description = " \r\n\r\n  x";
        QList<QByteArray> f = baseFields();
        f[12] = " x";
        QTest::newRow("description: line ends and blank runs") << r << Header + line(f);
    }
    {
        // A double quote in any field would break the line's quoting.
        ObservationRecord r = oneTaxon();
        r.taxa = {{"Abies alba", "\"2\"", "ein \"Riese\"", "\"5\""}};
        r.locality = "Am \"Kreuz\"";
        QList<QByteArray> f = baseFields();
        f[1] = "'2'";
        f[2] = "ein 'Riese'";
        f[3] = "'5'";
        f[6] = "Am 'Kreuz'";
        QTest::newRow("double quotes become apostrophes") << r << Header + line(f);
    }
    {
        ObservationRecord r = oneTaxon();
        r.systemText = "Breite/Länge - WGS84 (LTLN)";
        r.spatialReference = "49,45187N;6,66071E";
        QList<QByteArray> f = baseFields();
        f[7] = "49,45187N;6,66071E";
        f[8] = "LTLN";
        QTest::newRow("LTLN code") << r << Header + line(f);
    }
    {
        ObservationRecord r = oneTaxon();
        r.gridReference = "5706/143";
        QList<QByteArray> f = baseFields();
        f[11] = "5706/143 (QYX)";
        QTest::newRow("grid reference with code") << r << Header + line(f);
    }
    {
        ObservationRecord r = oneTaxon();
        r.gridSystemText = "kein System";
        QTest::newRow("no grid reference: empty whatever the system") << r << Header + line(baseFields());
    }
    {
        ObservationRecord r = oneTaxon();
        r.gridReference = "5706/1";
        r.gridSystemText = "ohne Klammern";
        QList<QByteArray> f = baseFields();
        f[11] = "5706/1 ()";
        QTest::newRow("grid system without parentheses") << r << Header + line(f);
    }
    {
        ObservationRecord r = oneTaxon();
        r.observers = {"Müller, Jürgen"};
        r.locality = "Große Ähre";
        r.taxa = {{"Mentha ×piperita", "*", "", ""}};
        r.altitude = "240";
        QList<QByteArray> f = baseFields();
        f[0] = "Mentha \xD7piperita";
        f[4] = "M\xFCller, J\xFCrgen";
        f[6] = "Gro\xDF"
               "e \xC4hre";
        f[13] = "240";
        QTest::newRow("umlauts as single Windows-1252 bytes") << r << Header + line(f);
    }
    {
        ObservationRecord r = oneTaxon();
        r.sampleTypeItem = "Florist. Kartierung|0";
        QList<QByteArray> f = baseFields();
        f[10] = "Florist. Kartierung";
        QTest::newRow("sample type before its image number") << r << Header + line(f);
    }
    {
        ObservationRecord r = oneTaxon();
        r.taxa.clear();
        QTest::newRow("no taxon: header alone") << r << Header;
    }
    {
        // A line break inside a field would split the record in two.
        ObservationRecord r = oneTaxon();
        r.locality = "Wald am\r\nRand";
        r.taxa = {{"Abies alba", "2\n", "am\rWeg", "5\t"}};
        r.observers = {"Weber,\nHans"};
        r.altitude = "4\x01"
                     "50";
        r.description = "a\rb\nc\x07";
        QList<QByteArray> f = baseFields();
        f[1] = "2 ";
        f[2] = "am Weg";
        f[3] = "5 ";
        f[4] = "Weber, Hans";
        f[6] = "Wald am Rand";
        f[12] = "a b c ";
        f[13] = "4 50";
        QTest::newRow("line ends and other control characters become a blank") << r << Header + line(f);
    }
    {
        // Words never merge: a tab, a run of control characters, a NUL.
        ObservationRecord r = oneTaxon();
        r.observers = {"Müller,\tHans"};
        r.description = "Zeile eins\tzwei";
        r.locality = QString::fromUtf8("Wald\t\x01\x02Rand") + QChar(0) + "Hang";
        r.taxa = {{"Abies alba", "*", "am\x1b\x1bWeg", ""}};
        QList<QByteArray> f = baseFields();
        f[1] = "*";
        f[2] = "am Weg";
        f[3] = "";
        f[4] = "M\xFCller, Hans";
        f[6] = "Wald Rand Hang";
        f[12] = "Zeile eins zwei";
        QTest::newRow("tabs and control runs become one blank") << r << Header + line(f);
    }
}

void TestCsvExport::fileBytes()
{
    QFETCH(ObservationRecord, record);
    QFETCH(QByteArray, expected);
    bool tooLong = false;
    const QString grid = CsvExport::gridField(record.gridReference, record.gridSystemText, &tooLong);
    QVERIFY(!tooLong);
    QVERIFY(!CsvExport::findUnrepresentable(record, CsvExport::systemCode(record.systemText), grid));
    const QByteArray bytes = CsvExport::encodeFile(
        CsvExport::fileText(record, CsvExport::systemCode(record.systemText), grid));
    QCOMPARE(bytes, expected);
}

void TestCsvExport::systemCodes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("code");
    QTest::newRow("LTLN") << "Breite/Länge - WGS84 (LTLN)"
                          << "LTLN";
    QTest::newRow("GKr5") << "Gauß-Krüger-Streifen 5 (GKr5)"
                          << "GKr5";
    QTest::newRow("QQQ") << "MTBQQQ -Quadrantenteilung (QQQ)"
                         << "QQQ";
    QTest::newRow("typed over") << "Gauß-Krüger"
                                << "";
    QTest::newRow("up to the next parenthesis") << "a (bc(d) e)"
                                                << "bc";
}

void TestCsvExport::systemCodes()
{
    QFETCH(QString, text);
    QFETCH(QString, code);
    QCOMPARE(CsvExport::systemCode(text), code);
}

void TestCsvExport::gridCodeTooLong()
{
    bool tooLong = false;
    QCOMPARE(CsvExport::gridField("5706/1", "Raster (ABCDE)", &tooLong), QString());
    QVERIFY(tooLong);
    QCOMPARE(CsvExport::gridField("", "Raster (ABCDE)", &tooLong), QString());
    QVERIFY(!tooLong);
}

void TestCsvExport::unrepresentableCharacter_data()
{
    QTest::addColumn<ObservationRecord>("record");
    QTest::addColumn<QString>("character");
    QTest::addColumn<QString>("field");
    ObservationRecord r = oneTaxon();
    r.locality = "Wrocław";
    QTest::newRow("locality") << r << "ł"
                              << "Fundort";
    r = oneTaxon();
    r.description = "Blüte 🌸";
    QTest::newRow("outside the BMP") << r << "🌸"
                                     << "Beschreibung";
    r = oneTaxon();
    r.taxa.append({"Abies alba", "*", "Ōta", ""});
    QTest::newRow("comment of the second taxon") << r << "Ō"
                                                 << "Bemerkung";
}

void TestCsvExport::unrepresentableCharacter()
{
    QFETCH(ObservationRecord, record);
    QFETCH(QString, character);
    QFETCH(QString, field);
    const auto lost = CsvExport::findUnrepresentable(record, "GKr3", "");
    QVERIFY(lost);
    QCOMPARE(lost->character, character);
    QCOMPARE(lost->field, field);
}

void TestCsvExport::proposedName_data()
{
    QTest::addColumn<QString>("observers");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("expected");

    QTest::newRow("umlaut and blanks") << "Müller, Hans"
                                       << "01.05.2010" << QStringList{} << "Mueller,_Hans-01_05_2010_001";
    QTest::newRow("capital umlaut, lower-case replacement") << "Ärmel"
                                                            << "1.5.2010" << QStringList{} << "aermel-1_5_2010_001";
    QTest::newRow("first observer only") << "A; B; C"
                                         << "2.5.2010" << QStringList{} << "A-2_5_2010_001";
    QTest::newRow("two taken") << "A"
                               << "1.5.2010" << QStringList{"A-1_5_2010_001.csv", "A-1_5_2010_002.csv"}
                               << "A-1_5_2010_003";
    QTest::newRow("gap at 001") << "A"
                                << "1.5.2010" << QStringList{"A-1_5_2010_002.csv"} << "A-1_5_2010_001";
    QTest::newRow("other extension does not count")
        << "A"
        << "1.5.2010" << QStringList{"A-1_5_2010_001.txt"} << "A-1_5_2010_001";
    QTest::newRow("accents and ß") << "Hélène Groß"
                                   << "1.5.2010-3.5.2010" << QStringList{} << "Helene_Gross-1_5_2010-3_5_2010_001";
    QTest::newRow("àáâ èê") << "Àlà Bâ Ê"
                            << "x" << QStringList{} << "ala_Ba_e-x_001";
    QTest::newRow("characters no file name may hold")
        << "A/B\\C:D*E?F\"G<H>I|J"
        << "1.5.2010" << QStringList{} << "A_B_C_D_E_F_G_H_I_J-1_5_2010_001";
}

void TestCsvExport::proposedName()
{
    QFETCH(QString, observers);
    QFETCH(QString, date);
    QFETCH(QStringList, existing);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    for (const QString &name : existing) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QCOMPARE(CsvExport::proposeFileName(observers, date, dir.path() + u'/'), expected);
    // A missing data folder holds no file: the sequence starts at 001.
    QVERIFY(CsvExport::proposeFileName(observers, date, dir.path() + QStringLiteral("/fehlt/")).endsWith("_001"));
}

void TestCsvExport::sequenceGoesPast999()
{
    QTemporaryDir dir;
    for (int n = 1; n <= 1000; ++n) {
        QFile f(dir.filePath(QStringLiteral("A-x_%1.csv")
                                 .arg(n < 1000 ? QStringLiteral("%1").arg(n, 3, 10, QChar('0')) : QString::number(n))));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QCOMPARE(CsvExport::proposeFileName("A", "x", dir.path() + u'/'), QStringLiteral("A-x_1001"));
    QVERIFY(QFile::remove(dir.filePath("A-x_1000.csv")));
    QCOMPARE(CsvExport::proposeFileName("A", "x", dir.path() + u'/'), QStringLiteral("A-x_1000"));
}

QTEST_APPLESS_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
