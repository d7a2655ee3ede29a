#include <QTest>

#include "CoordinateValidation.h"
#include "LocationCheck.h"
#include "ReferenceSystem.h"

class TestCoordinates : public QObject {
    Q_OBJECT
private slots:
    void ltln_data();
    void ltln();
    void gaussKrueger_data();
    void gaussKrueger();
    void mtb_data();
    void mtb();
    void validatorChoice_data();
    void validatorChoice();
    void everyItemNamesOneSystem_data();
    void everyItemNamesOneSystem();
    void altitude_data();
    void altitude();
};

namespace {
const QString LtlnHead = QStringLiteral("Der unter \"Raumbezug\" eingegebene Wert gehört nicht \n\rzu dem ausgewählten "
                                        "Raumbezugssystem oder\n\rdie Eingabe ist fehlerhaft;\n\r\n\r");
const QString GkrHead = QStringLiteral("Der unter \"Raumbezug\" eingegebene Wert gehört nicht \n\rzu dem ausgewählten "
                                       "Raumbezugssystem oder\n\rdie Eingabe ist fehlerhaft\n\r");
} // namespace

void TestCoordinates::ltln_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("line"); // empty: valid
    auto row = [](const char *text, const char *line) {
        QTest::newRow(text) << QString::fromUtf8(text) << QString::fromUtf8(line);
    };
    row("49,45187N;6,66072E", "");
    row("49N;6E", "");
    row("0,5S;170,25W", "");
    row("89,99999N;179,99999E", "");
    row("49,45187N;6,66072E;more", "");
    row("49,5 N;6,5 E", "");
    row("90N;6E", "Breite nicht zwischen 0° und 90°");
    row("49N;180E", "Länge nicht zwischen 0° und 180°");
    row("-5N;6E", "Breite nicht zwischen 0° und 90°");
    row("5N;-6E", "Länge nicht zwischen 0° und 180°");
    row("49,451871N;6E", "Breite hat mehr als 5 Dezimalstellen");
    row("49N;6,123456E", "Länge hat mehr als 5 Dezimalstellen");
    row("49,45187;6,66072E", "Breite hat keinen Bezeichner (N, S)");
    row("49N;6,66072", "Länge hat keinen Bezeichner (W, E)");
    row("49N", "Länge fehlt oder Listentrenner falsch");
    row(";6E", "Breite fehlt oder Listentrenner falsch");
    row("", "Breite fehlt oder Listentrenner falsch");
    row("49,5,1N;6E", "Fehler in der Notation von Breite oder Länge");
    row("N;6E", "Fehler in der Notation von Breite oder Länge");
    row("49N;6/5E", "Fehler in der Notation von Breite oder Länge");
    // The range comes before the decimals.
    row("95,1234567N;6E", "Breite nicht zwischen 0° und 90°");
}

void TestCoordinates::ltln()
{
    QFETCH(QString, text);
    QFETCH(QString, line);
    const Verdict verdict = IsLTLNOk(text);
    QCOMPARE(verdict.ok, line.isEmpty());
    QCOMPARE(verdict.message, line.isEmpty() ? QString() : LtlnHead + line);
}

void TestCoordinates::gaussKrueger_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("strip");
    QTest::addColumn<QStringList>("lines"); // empty: valid
    const QString sep = QStringLiteral("Listentrenner aktuell: ;");
    QTest::newRow("valid") << "3512345;5412345"
                           << "3" << QStringList{};
    QTest::newRow("valid with decimals") << "3512345,12345;5412345,1"
                                         << "3" << QStringList{};
    QTest::newRow("strip 2") << "2512345;5412345"
                             << "2" << QStringList{};
    QTest::newRow("other strip") << "2512345;5412345"
                                 << "3" << QStringList{"Streifennummer 3 erwartet"};
    QTest::newRow("x short") << "351234;5412345"
                             << "3" << QStringList{"x-Wert hat keine 7 Stellen"};
    QTest::newRow("y short") << "3512345;541234"
                             << "3" << QStringList{"y-Wert hat keine 7 Stellen"};
    QTest::newRow("x decimals") << "3512345,123456;5412345"
                                << "3" << QStringList{"Maximal fünf Dezimalstellen erlaubt"};
    QTest::newRow("y missing") << "3512345"
                               << "3"
                               << QStringList{"y-Wert fehlt oder Listentrenner falsch", sep,
                                              "y-Wert hat keine 7 Stellen"};
    QTest::newRow("x missing: three faults") << ";5412345"
                                             << "3"
                                             << QStringList{"x-Wert fehlt oder Listentrenner falsch", sep,
                                                            "x-Wert hat keine 7 Stellen", "Streifennummer 3 erwartet"};
    QTest::newRow("all at once") << "251234,123456;54123,1234567"
                                 << "4"
                                 << QStringList{"x-Wert hat keine 7 Stellen", "y-Wert hat keine 7 Stellen",
                                                "Maximal fünf Dezimalstellen erlaubt",
                                                "Maximal fünf Dezimalstellen erlaubt", "Streifennummer 4 erwartet"};
}

void TestCoordinates::gaussKrueger()
{
    QFETCH(QString, text);
    QFETCH(QString, strip);
    QFETCH(QStringList, lines);
    const Verdict verdict = IsGKrOk(text, strip);
    QCOMPARE(verdict.ok, lines.isEmpty());
    // Every line starts with a line break, so an empty line follows the head.
    QCOMPARE(verdict.message, lines.isEmpty() ? QString() : GkrHead + "\n\r" + lines.join("\n\r"));
}

void TestCoordinates::mtb_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("qqq"); // fault line after the head, empty: valid
    QTest::addColumn<QString>("qyx");
    auto row = [](const char *text, const char *qqq, const char *qyx) {
        QTest::newRow(text) << QString::fromUtf8(text) << QString::fromUtf8(qqq) << QString::fromUtf8(qyx);
    };
    row("5408", "", "");
    row("5408/", "", "");
    row("5408/1", "", "");
    row("5408/13", "", "Minutenfeld nicht korrekt");
    row("5408/132", "", "");
    row("5408/235", "64tel-Raster nicht korrekt", "");
    row("5408/245", "64tel-Raster nicht korrekt", "Minutenfeld nicht korrekt");
    row("5408/1324", "", "");
    row("5408/5", "Quadrant nicht korrekt", "Quadrant nicht korrekt");
    row("5408/0", "Quadrant nicht korrekt", "Quadrant nicht korrekt");
    row("5408/15", "16tel-Raster nicht korrekt", "Minutenfeld nicht korrekt");
    row("5408/141", "", "Minutenfeld nicht korrekt");
    row("540/1", "MTB-Wert hat keine 4 Stellen", "MTB-Wert hat keine 4 Stellen");
    row("54081", "MTB-Wert hat keine 4 Stellen", "MTB-Wert hat keine 4 Stellen");
    row("5408-1", "MTB-Wert hat keine 4 Stellen", "MTB-Wert hat keine 4 Stellen");
    row("54E8/1", "MTB nicht korrekt", "MTB nicht korrekt");
    row("5408/1/2", "", "");
    row("/1", "MTB-Wert hat keine 4 Stellen", "MTB-Wert hat keine 4 Stellen");
    row("", "MTB-Wert hat keine 4 Stellen", "MTB-Wert hat keine 4 Stellen");
}

void TestCoordinates::mtb()
{
    QFETCH(QString, text);
    QFETCH(QString, qqq);
    QFETCH(QString, qyx);
    const QString head = QStringLiteral("Raumbezug falsch: \n\r");
    const Verdict a = IsMTBQQQOk(text);
    QCOMPARE(a.message, qqq.isEmpty() ? QString() : head + qqq);
    QCOMPARE(a.ok, qqq.isEmpty());
    const Verdict b = IsMTBQYXOk(text);
    QCOMPARE(b.message, qyx.isEmpty() ? QString() : head + qyx);
    QCOMPARE(b.ok, qyx.isEmpty());
}

void TestCoordinates::validatorChoice_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("spatial");
    QTest::addColumn<int>("grid");
    using R = ReferenceSystem;
    QTest::newRow("LTLN item") << "Breite/Länge - WGS84 (LTLN)" << int(R::LTLN) << int(R::None);
    QTest::newRow("GKr2 item") << "Gauß-Krüger-Streifen 2 (GKr2)" << int(R::GKr2) << int(R::None);
    QTest::newRow("GKr5 item") << "Gauß-Krüger-Streifen 5 (GKr5)" << int(R::GKr5) << int(R::None);
    QTest::newRow("QQQ item") << "MTBQQQ -Quadrantenteilung (QQQ)" << int(R::QQQ) << int(R::QQQ);
    QTest::newRow("GKr before LTLN") << "GKr3 LTLN" << int(R::GKr3) << int(R::None);
    QTest::newRow("QYX before QQQ") << "QQQ QYX" << int(R::QYX) << int(R::QYX);
    QTest::newRow("case-sensitive") << "gkr3 ltln" << int(R::None) << int(R::None);
    QTest::newRow("xyz") << "xyz" << int(R::None) << int(R::None);
}

void TestCoordinates::validatorChoice()
{
    QFETCH(QString, text);
    QFETCH(int, spatial);
    QFETCH(int, grid);
    QCOMPARE(int(spatialReferenceSystem(text)), spatial);
    QCOMPARE(int(gridSystem(text)), grid);
    // No code: every text passes.
    QVERIFY(checkReference(ReferenceSystem::None, "irgendwas").ok);
    QCOMPARE(checkReference(ReferenceSystem::GKr3, "2512345;5412345").message,
             GkrHead + "\n\rStreifennummer 3 erwartet");
}

void TestCoordinates::altitude_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("line");
    auto row = [](const char *text, const char *line) {
        QTest::newRow(text) << QString::fromUtf8(text) << QString::fromUtf8(line);
    };
    row("450", "");
    row("0", "");
    row("8848", "");
    row("8849", "Sie haben über dem Mt.Everest kartiert");
    row("300-450", "");
    row("0-100", "");
    row("300-9000", "Sie haben über dem Mt.Everest kartiert");
    row("9000-300", "Sie haben über dem Mt.Everest kartiert");
    row("450-300", "2. Wert der Höhenspanne unter erstem Wert");
    row("450-450", "2. Wert der Höhenspanne gleich erstem Wert");
    row("-450", "Zeichen \"-\" am Anfang");
    row("-", "Zeichen \"-\" am Anfang");
    row("450-", "Zeichen \"-\" am Ende");
    row("1-2-3", "Zeichen \"-\" doppelt in der Höhenspanne");
    row("--", "Zeichen \"-\" doppelt in der Höhenspanne");
}

void TestCoordinates::altitude()
{
    QFETCH(QString, text);
    QFETCH(QString, line);
    const Verdict verdict = IsHoeheOK(text);
    QCOMPARE(verdict.ok, line.isEmpty());
    QCOMPARE(verdict.message, line.isEmpty() ? QString() : "Höhenlage nicht korrekt: \n\r" + line);
    QCOMPARE(verdict.convertErrors, 0);
}

// Every item of both combo boxes, and texts that name no system: the one
// classifier, and what the checks, the picker's request and the notation
// shown in the field take from it.
void TestCoordinates::everyItemNamesOneSystem_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("spatial");
    QTest::addColumn<int>("grid");
    QTest::addColumn<int>("strip");
    QTest::addColumn<QString>("example");
    using R = ReferenceSystem;
    QTest::newRow("LTLN") << "Breite/Länge - WGS84 (LTLN)" << int(R::LTLN) << int(R::None) << 0 << "49,45187N;6,66072E";
    for (int strip = 2; strip <= 5; ++strip)
        QTest::addRow("GKr%d", strip) << QStringLiteral("Gauß-Krüger-Streifen %1 (GKr%1)").arg(strip)
                                      << int(R::GKr2) + strip - 2 << int(R::None) << strip
                                      << QString::number(strip) + QStringLiteral("512345;5412345");
    QTest::newRow("QQQ") << "MTBQQQ -Quadrantenteilung (QQQ)" << int(R::QQQ) << int(R::QQQ) << 0 << "5408/132";
    QTest::newRow("QYX") << "MTBQYX - Minutenfelder (QYX)" << int(R::QYX) << int(R::QYX) << 0 << "5408/235";
    // The code alone counts, with or without its parentheses.
    QTest::newRow("code without parentheses") << "LTLN" << int(R::LTLN) << int(R::None) << 0 << "49,45187N;6,66072E";
    QTest::newRow("strip without parentheses")
        << "Streifen GKr4" << int(R::GKr4) << int(R::None) << 4 << "4512345;5412345";
    QTest::newRow("empty") << "" << int(R::None) << int(R::None) << 0 << "";
    QTest::newRow("name without code") << "Breite/Länge - WGS84" << int(R::None) << int(R::None) << 0 << "";
    QTest::newRow("code in other case") << "Gauß-Krüger-Streifen 3 (gkr3)" << int(R::None) << int(R::None) << 0 << "";
    QTest::newRow("strip 6") << "Gauß-Krüger-Streifen 6 (GKr6)" << int(R::None) << int(R::None) << 0 << "";
    QTest::newRow("part of a code") << "(LTL)" << int(R::None) << int(R::None) << 0 << "";
}

void TestCoordinates::everyItemNamesOneSystem()
{
    QFETCH(QString, text);
    QFETCH(int, spatial);
    QFETCH(int, grid);
    QFETCH(int, strip);
    QFETCH(QString, example);
    const ReferenceSystem system = spatialReferenceSystem(text);
    QCOMPARE(int(system), spatial);
    QCOMPARE(int(gridSystem(text)), grid);
    QCOMPARE(gaussKruegerStrip(system), strip);
    QCOMPARE(gaussKruegerStripOf(text), strip);
    QCOMPARE(notationExample(system), example);
    const auto notation = gridNotationOf(text);
    QCOMPARE(notation.has_value(), grid != int(ReferenceSystem::None));
    if (notation)
        QCOMPARE(*notation == MapGrid::Notation::QYX, grid == int(ReferenceSystem::QYX));
}

QTEST_APPLESS_MAIN(TestCoordinates)
#include "tst_coordinates.moc"
