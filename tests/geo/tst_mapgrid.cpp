#include <cmath>

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include "MapGrid.h"

using MapGrid::LatLng;
using MapGrid::Notation;

namespace {

// About 5.5 m in latitude and in longitude at 49° N.
constexpr double In = 0.00005;
constexpr double InLng = 0.00008;

} // namespace

Q_DECLARE_METATYPE(LatLng)

class TestMapGrid : public QObject {
    Q_OBJECT
private slots:
    void cells_data();
    void cells();
    void knownSheets_data();
    void knownSheets();
    void pointsOutsideTheGridGiveNothing();
    void referencesAndTheirBounds_data();
    void referencesAndTheirBounds();
    void agreementOfPointAndCell();
    void gaussKruegerAgreesWithCs2cs();
    void gaussKruegerTexts();
    void ltlnTexts();
};

// Points given on the grid's own datum (DHDN), a few metres inside or
// outside an edge, carried to WGS84 as a click on the map gives them.
void TestMapGrid::cells_data()
{
    QTest::addColumn<LatLng>("dhdn");
    QTest::addColumn<QString>("qqq");
    QTest::addColumn<QString>("qyx");
    // Sheet 6926: 49.0 to 49.1 N, 10.0 to 10 1/6 E.
    const double east = 10.0 + 1.0 / 6.0, midLng = 10.0 + 1.0 / 12.0;
    QTest::newRow("6926 south-west corner") << LatLng{49.0 + In, 10.0 + InLng} << "6926/333"
                                            << "6926/331";
    QTest::newRow("6926 north-east corner") << LatLng{49.1 - In, east - InLng} << "6926/222"
                                            << "6926/215";
    QTest::newRow("6926 north-west corner") << LatLng{49.1 - In, 10.0 + InLng} << "6926/111"
                                            << "6926/111";
    QTest::newRow("6926 south-east corner") << LatLng{49.0 + In, east - InLng} << "6926/444"
                                            << "6926/435";
    QTest::newRow("across the south edge") << LatLng{49.0 - In, 10.0 + InLng} << "7026/111"
                                           << "7026/111";
    QTest::newRow("across the west edge") << LatLng{49.0 + In, 10.0 - InLng} << "6925/444"
                                          << "6925/435";
    QTest::newRow("across the north edge") << LatLng{49.1 + In, 10.0 + InLng} << "6826/333"
                                           << "6826/331";
    QTest::newRow("across the east edge") << LatLng{49.1 - In, east + InLng} << "6927/111"
                                          << "6927/111";
    QTest::newRow("quadrant 2 at its south-west") << LatLng{49.05 + In, midLng + InLng} << "6926/233"
                                                  << "6926/231";
    QTest::newRow("quadrant 3 at its north-east") << LatLng{49.05 - In, midLng - InLng} << "6926/322"
                                                  << "6926/315";
    // Minute field row 2, column 3 of quadrant 1: 49 5'/49 4' N, 10 2'/10 3' E.
    const double fieldNorth = 49.1 - 1.0 / 60, fieldWest = 10.0 + 2.0 / 60;
    QTest::newRow("minute field inside its north edge") << LatLng{fieldNorth - In, 10.04} << "6926/114"
                                                        << "6926/123";
    QTest::newRow("minute field across its north edge") << LatLng{fieldNorth + In, 10.04} << "6926/114"
                                                        << "6926/113";
    QTest::newRow("minute field inside its west edge") << LatLng{49.075, fieldWest + InLng} << "6926/114"
                                                       << "6926/123";
    QTest::newRow("minute field across its west edge") << LatLng{49.075, fieldWest - InLng} << "6926/114"
                                                       << "6926/122";
}

void TestMapGrid::cells()
{
    QFETCH(LatLng, dhdn);
    QFETCH(QString, qqq);
    QFETCH(QString, qyx);
    const auto wgs84 = MapGrid::toWgs84(dhdn);
    QVERIFY(wgs84);
    // The datums differ by about 100 m here: a click is never taken as DHDN.
    QVERIFY(std::abs(wgs84->lng - dhdn.lng) > 0.0005 || std::abs(wgs84->lat - dhdn.lat) > 0.0005);
    QCOMPARE(MapGrid::cellOf(*wgs84, Notation::QQQ).value_or("-"), qqq);
    QCOMPARE(MapGrid::cellOf(*wgs84, Notation::QYX).value_or("-"), qyx);
    for (const auto &[reference, notation] : {std::pair{qqq, Notation::QQQ}, std::pair{qyx, Notation::QYX}})
        QCOMPARE(MapGrid::metresOutside(*wgs84, reference, notation).value_or(-1), 0.0);
}

void TestMapGrid::knownSheets_data()
{
    QTest::addColumn<LatLng>("wgs84");
    QTest::addColumn<QString>("sheet");
    QTest::newRow("München, Marienplatz") << LatLng{48.13743, 11.57549} << "7835";
    QTest::newRow("Bonn, Marktplatz") << LatLng{50.73527, 7.10119} << "5208";
    QTest::newRow("the program's start position") << LatLng{49.451870, 6.6607189} << "6505";
}

void TestMapGrid::knownSheets()
{
    QFETCH(LatLng, wgs84);
    QFETCH(QString, sheet);
    QCOMPARE(MapGrid::cellOf(wgs84, Notation::QQQ).value_or("-").left(5), sheet + "/");
}

void TestMapGrid::pointsOutsideTheGridGiveNothing()
{
    for (const LatLng &p : {LatLng{0, 0}, LatLng{40.0, 10.0}, LatLng{56.5, 10.0}, LatLng{50.0, 30.0},
                            LatLng{50.0, -5.0}, LatLng{NAN, 10.0}, LatLng{95.0, 10.0}}) {
        QVERIFY(!MapGrid::cellOf(p, Notation::QQQ));
        QVERIFY(!MapGrid::cellOf(p, Notation::QYX));
    }
}

void TestMapGrid::referencesAndTheirBounds_data()
{
    QTest::addColumn<QString>("reference");
    QTest::addColumn<int>("notation");
    QTest::addColumn<double>("south");
    QTest::addColumn<double>("west");
    QTest::addColumn<double>("heightMinutes"); // 0: no cell
    QTest::addColumn<double>("widthMinutes");
    const int qqq = int(Notation::QQQ), qyx = int(Notation::QYX);
    QTest::newRow("sheet") << "6926" << qqq << 49.0 << 10.0 << 6.0 << 10.0;
    QTest::newRow("sheet with a slash") << "6926/" << qyx << 49.0 << 10.0 << 6.0 << 10.0;
    QTest::newRow("quadrant 4") << "6926/4" << qqq << 49.0 << 10.0 + 5.0 / 60 << 3.0 << 5.0;
    QTest::newRow("16th 41") << "6926/41" << qqq << 49.025 << 10.0 + 5.0 / 60 << 1.5 << 2.5;
    QTest::newRow("64th 414") << "6926/414" << qqq << 49.025 << 10.0 + 5.0 / 60 + 1.25 / 60 << 0.75 << 1.25;
    QTest::newRow("minute field 235") << "6926/235" << qyx << 49.05 << 10.0 + 9.0 / 60 << 1.0 << 1.0;
    QTest::newRow("row without column") << "6926/23" << qyx << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("16th 5") << "6926/15" << qqq << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("three digits") << "692/1" << qqq << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("row 00") << "0026" << qqq << 0.0 << 0.0 << 0.0 << 0.0;
}

void TestMapGrid::referencesAndTheirBounds()
{
    QFETCH(QString, reference);
    QFETCH(int, notation);
    QFETCH(double, south);
    QFETCH(double, west);
    QFETCH(double, heightMinutes);
    QFETCH(double, widthMinutes);
    const auto b = MapGrid::cellBounds(reference, Notation(notation));
    QCOMPARE(bool(b), heightMinutes > 0);
    if (!b)
        return;
    QVERIFY(std::abs(b->south - south) < 1e-9);
    QVERIFY(std::abs(b->west - west) < 1e-9);
    QVERIFY(std::abs((b->north - b->south) * 60 - heightMinutes) < 1e-9);
    QVERIFY(std::abs((b->east - b->west) * 60 - widthMinutes) < 1e-9);
    // Its corners, carried to WGS84 and back, are the corners again.
    const auto corners = MapGrid::cellCorners(reference, Notation(notation));
    QVERIFY(corners);
    const auto back = MapGrid::toDhdn((*corners)[0]);
    QVERIFY(back && std::abs(back->lat - south) < 1e-8 && std::abs(back->lng - west) < 1e-8);
}

void TestMapGrid::agreementOfPointAndCell()
{
    // 49 4.5' N, 10 2.5' E (DHDN): minute field 6926/123.
    const auto click = MapGrid::toWgs84({49.075, 10.0 + 2.5 / 60});
    QVERIFY(click);
    QCOMPARE(MapGrid::metresOutside(*click, "6926/123", Notation::QYX).value(), 0.0);
    QCOMPARE(MapGrid::metresOutside(*click, "6926", Notation::QQQ).value(), 0.0);
    // The neighbouring field to the east: the point lies half a minute
    // (about 600 m) west of it.
    const double off = MapGrid::metresOutside(*click, "6926/124", Notation::QYX).value();
    QVERIFY2(off > 550 && off < 650, qPrintable(QString::number(off)));
    // Taken as if WGS84 were DHDN, a point some 100 m inside a field edge
    // would land in the next field: the datum shift is applied.
    QVERIFY(MapGrid::toleranceMetres() < 20);
    QVERIFY(!MapGrid::metresOutside(*click, "69x6", Notation::QQQ));
}

void TestMapGrid::gaussKruegerAgreesWithCs2cs()
{
    const QString cs2cs = QStandardPaths::findExecutable("cs2cs");
    if (cs2cs.isEmpty())
        QSKIP("cs2cs (Debian package proj-bin) is not installed");
    if (MapGrid::datum() != MapGrid::Datum::Beta2007)
        QSKIP("the datum grid BETA2007.gsb (Debian package proj-data) is not installed");
    const QList<std::pair<LatLng, int>> points = {
        {{49.0, 10.0}, 3},        {{49.0, 10.0}, 4},   {{49.451870, 6.6607189}, 2}, {{48.13743, 11.57549}, 4},
        {{50.73527, 7.10119}, 2}, {{54.32, 13.09}, 5}, {{51.05, 13.74}, 5},         {{52.52, 13.405}, 4},
    };
    for (const auto &[point, strip] : points) {
        QProcess process;
        // PROJ's best operation between the EPSG codes of WGS84 and the
        // strip (31466 to 31469) is the same: the inverse of the grid shift,
        // then the strip's projection. It writes northing, then easting.
        process.start(cs2cs, {"-f", "%.4f", "EPSG:4326", QStringLiteral("EPSG:%1").arg(31464 + strip)});
        process.write(QStringLiteral("%1 %2\n").arg(point.lat, 0, 'f', 9).arg(point.lng, 0, 'f', 9).toLatin1());
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished(10000));
        const QStringList expected = QString::fromLatin1(process.readAllStandardOutput()).simplified().split(' ');
        const QString ours = MapGrid::gaussKrueger(point, strip).value_or(QString());
        QVERIFY2(!ours.isEmpty(), qPrintable(QString::number(strip)));
        const QStringList parts = QString(ours).replace(',', '.').split(';');
        const QString both = ours + " / " + expected.join(' ');
        QVERIFY2(std::abs(parts[0].toDouble() - expected.value(1).toDouble()) <= 0.01, qPrintable(both));
        QVERIFY2(std::abs(parts[1].toDouble() - expected.value(0).toDouble()) <= 0.01, qPrintable(both));
        // And back to the point.
        const auto back = MapGrid::fromGaussKrueger(ours, strip);
        QVERIFY(back && std::abs(back->lat - point.lat) < 1e-7 && std::abs(back->lng - point.lng) < 1e-7);
    }
}

void TestMapGrid::gaussKruegerTexts()
{
    const QString text = MapGrid::gaussKrueger({49.0, 10.0}, 3).value_or(QString());
    QVERIFY(QRegularExpression("^3[0-9]{6},[0-9]{2};[0-9]{7},[0-9]{2}$").match(text).hasMatch());
    // Too far from a strip's meridian, or no strip of the form.
    QVERIFY(!MapGrid::gaussKrueger({49.0, 10.0}, 2));
    QVERIFY(!MapGrid::gaussKrueger({49.0, 10.0}, 6));
    QVERIFY(!MapGrid::gaussKrueger({30.0, 9.0}, 3));
    for (const char *bad : {"3512345", "2512345;5412345", "351234;5412345", "3512345,123456;5412345", "a;b"})
        QVERIFY2(!MapGrid::fromGaussKrueger(bad, 3), bad);
    QVERIFY(MapGrid::fromGaussKrueger("3512345,12;5412345,5", 3));
}

void TestMapGrid::ltlnTexts()
{
    const auto p = MapGrid::fromLtln("49,45187N;6,66071E");
    QVERIFY(p && std::abs(p->lat - 49.45187) < 1e-12 && std::abs(p->lng - 6.66071) < 1e-12);
    const auto sw = MapGrid::fromLtln("33,5S;70W");
    QVERIFY(sw && sw->lat == -33.5 && sw->lng == -70.0);
    for (const char *bad : {"49,45187;6,66071E", "90N;6E", "49.4N;6E", "49N;6E;7", "49,123456N;6E"})
        QVERIFY2(!MapGrid::fromLtln(bad), bad);
}

QTEST_APPLESS_MAIN(TestMapGrid)
#include "tst_mapgrid.moc"
