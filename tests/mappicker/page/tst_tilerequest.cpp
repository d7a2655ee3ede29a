// Which requests of the map page are tiles: only a GET of a layer template's
// own shape, with coordinates in range.
#include <QTest>

#include "TileRequest.h"

class TestTileRequest : public QObject {
    Q_OBJECT
private slots:
    void table_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("tileTemplate");
        QTest::addColumn<bool>("tile");
        const QString osm = QStringLiteral("https://tile.openstreetmap.org/{z}/{x}/{y}.png");
        const QString esri = QStringLiteral(
            "https://server.arcgisonline.com/ArcGIS/rest/services/World_Imagery/MapServer/tile/{z}/{y}/{x}");
        QTest::newRow("a tile") << QByteArray("GET") << "https://tile.openstreetmap.org/14/8499/5610.png" << osm
                                << true;
        QTest::newRow("zoom 0") << QByteArray("GET") << "https://tile.openstreetmap.org/0/0/0.png" << osm << true;
        QTest::newRow("y before x") << QByteArray(
            "GET") << "https://server.arcgisonline.com/ArcGIS/rest/services/World_Imagery/MapServer/tile/2/3/1"
                                    << esri << true;
        QTest::newRow("host in capitals")
            << QByteArray("GET") << "https://TILE.openstreetmap.org/1/1/1.png" << osm << true;
        QTest::newRow("explicit default port")
            << QByteArray("GET") << "https://tile.openstreetmap.org:443/1/1/1.png" << osm << true;
        QTest::newRow("data in the path")
            << QByteArray("GET") << "https://tile.openstreetmap.org/EXFIL/Merzig.png" << osm << false;
        QTest::newRow("extra segment") << QByteArray("GET") << "https://tile.openstreetmap.org/1/1/1/1.png" << osm
                                       << false;
        QTest::newRow("POST") << QByteArray("POST") << "https://tile.openstreetmap.org/1/1/1.png" << osm << false;
        QTest::newRow("HEAD") << QByteArray("HEAD") << "https://tile.openstreetmap.org/1/1/1.png" << osm << false;
        QTest::newRow("query") << QByteArray("GET") << "https://tile.openstreetmap.org/1/1/1.png?d=Merzig" << osm
                               << false;
        QTest::newRow("empty query") << QByteArray("GET") << "https://tile.openstreetmap.org/1/1/1.png?" << osm
                                     << false;
        QTest::newRow("user name") << QByteArray("GET") << "https://Merzig@tile.openstreetmap.org/1/1/1.png" << osm
                                   << false;
        QTest::newRow("x out of range") << QByteArray("GET") << "https://tile.openstreetmap.org/2/4/0.png" << osm
                                        << false;
        QTest::newRow("y out of range") << QByteArray("GET") << "https://tile.openstreetmap.org/2/0/4.png" << osm
                                        << false;
        QTest::newRow("zoom beyond the layer")
            << QByteArray("GET") << "https://tile.openstreetmap.org/20/0/0.png" << osm << false;
        QTest::newRow("leading zero") << QByteArray("GET") << "https://tile.openstreetmap.org/01/0/0.png" << osm
                                      << false;
        QTest::newRow("huge number") << QByteArray("GET")
                                     << "https://tile.openstreetmap.org/1/99999999999999999999/0.png" << osm << false;
        QTest::newRow("negative") << QByteArray("GET") << "https://tile.openstreetmap.org/1/-1/0.png" << osm << false;
        QTest::newRow("other host") << QByteArray("GET") << "https://a.tile.openstreetmap.org/1/1/1.png" << osm
                                    << false;
        QTest::newRow("other port") << QByteArray("GET") << "https://tile.openstreetmap.org:8443/1/1/1.png" << osm
                                    << false;
        QTest::newRow("http for https") << QByteArray("GET") << "http://tile.openstreetmap.org/1/1/1.png" << osm
                                        << false;
        QTest::newRow("encoded slash") << QByteArray("GET") << "https://tile.openstreetmap.org/1/1%2F1/1.png" << osm
                                       << false;
        QTest::newRow("template without y") << QByteArray("GET") << "https://tile.openstreetmap.org/1/1.png"
                                            << QStringLiteral("https://tile.openstreetmap.org/{z}/{x}.png") << false;
    }

    void table()
    {
        QFETCH(QByteArray, method);
        QFETCH(QString, url);
        QFETCH(QString, tileTemplate);
        QFETCH(bool, tile);
        QCOMPARE(isTileRequest(method, QUrl(url), tileTemplate, 19), tile);
    }
};

QTEST_GUILESS_MAIN(TestTileRequest)
#include "tst_tilerequest.moc"
