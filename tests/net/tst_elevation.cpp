#include <QTest>

#include "Elevation.h"
#include "ElevationServer.h"

using Failure = ElevationOutcome::Failure;

namespace {
const QString ConnectionWarning = QStringLiteral(
    "Verbindung zum Datenserver unterbrochen\n\roder keine Internetverbindung");
} // namespace

// The altitude lookup against a loopback server standing in for the service,
// and the reading of its answer.
class TestElevation : public QObject {
    Q_OBJECT
private slots:
    void body_data();
    void body();
    void lookup_data();
    void lookup();
    void requestUrl();
};

void TestElevation::body_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("failure");
    QTest::addColumn<QString>("altitude");
    QTest::addColumn<QString>("message");
    QTest::newRow("altitude with CR LF") << QByteArray("123\r\n") << int(Failure::None) << "123"
                                         << "";
    QTest::newRow("altitude with LF") << QByteArray("450\n") << int(Failure::None) << "450"
                                      << "";
    QTest::newRow("one character unchanged") << QByteArray("7") << int(Failure::None) << "7"
                                             << "";
    QTest::newRow("no line end: nothing cut") << QByteArray("1234") << int(Failure::None) << "1234"
                                              << "";
    QTest::newRow("no data for the point") << QByteArray("-32768\r\n") << int(Failure::None) << ""
                                           << "";
    QTest::newRow("service refuses") << QByteArray("ERR:10:Please add a username\r\n") << int(Failure::Service) << ""
                                     << "Der Höhendienst meldet: ERR:10:Please add a username";
}

void TestElevation::body()
{
    QFETCH(QByteArray, body);
    QFETCH(int, failure);
    QFETCH(QString, altitude);
    QFETCH(QString, message);
    const ElevationOutcome outcome = parseElevationBody(body);
    QCOMPARE(int(outcome.failure), failure);
    QCOMPARE(outcome.altitude, altitude);
    QCOMPARE(outcome.message, message);
}

void TestElevation::lookup_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("mode"); // "", "stopped", "silent"
    QTest::addColumn<int>("failure");
    QTest::addColumn<QString>("altitude");
    QTest::addColumn<QString>("message");
    QTest::newRow("altitude") << 200 << QByteArray("123\r\n") << "" << int(Failure::None) << "123"
                              << "";
    QTest::newRow("error status") << 500 << QByteArray("kaputt") << "" << int(Failure::Unknown) << ""
                                  << "Unbekannter Fehler";
    QTest::newRow("not found") << 404 << QByteArray() << "" << int(Failure::Unknown) << ""
                               << "Unbekannter Fehler";
    QTest::newRow("server not listening")
        << 200 << QByteArray() << "stopped" << int(Failure::Connection) << "" << ConnectionWarning;
    QTest::newRow("server never answers")
        << 200 << QByteArray() << "silent" << int(Failure::Connection) << "" << ConnectionWarning;
    QTest::newRow("service refuses")
        << 200 << QByteArray("ERR:18:the daily limit of 20000 credits has been exceeded\r\n") << ""
        << int(Failure::Service) << ""
        << "Der Höhendienst meldet: ERR:18:the daily limit of 20000 credits has been exceeded";
}

void TestElevation::lookup()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, mode);
    QFETCH(int, failure);
    QFETCH(QString, altitude);
    QFETCH(QString, message);
    ElevationServer server;
    server.status = status;
    server.body = body;
    server.answer = mode != "silent";
    if (mode == "stopped")
        server.stop();
    ElevationService service;
    service.host = server.host();
    service.timeoutMs = 1500;
    const ElevationOutcome outcome = LookupElevation("49.45187, 6.660718", service);
    QCOMPARE(int(outcome.failure), failure);
    QCOMPARE(outcome.altitude, altitude);
    QCOMPARE(outcome.message, message);
    if (mode.isEmpty())
        QCOMPARE(server.paths, QList<QByteArray>{"/srtm3?lat=49.45187&lng=6.660718"});
}

void TestElevation::requestUrl()
{
    QCOMPARE(elevationUrl("-33.8678, -70.1234", {"host", "", 100}),
             QStringLiteral("http://host/srtm3?lat=-33.8678&lng=-70.1234"));
    QCOMPARE(elevationUrl("ohne Komma", {"host", "", 100}), QStringLiteral("http://host/srtm3?lat=&lng="));
    QCOMPARE(elevationUrl("50.1, 8.2", {"host", "feldbiologe", 100}),
             QStringLiteral("http://host/srtm3?lat=50.1&lng=8.2&username=feldbiologe"));
}

QTEST_GUILESS_MAIN(TestElevation)
#include "tst_elevation.moc"
