// The readers of positions: GPX waypoints and track points, a photo's EXIF
// GPS tags, and the file reader that tells them apart and keeps to its limits.
#include <cstdlib>
#include <ctime>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "FieldPosition.h"
#include "GpxReader.h"
#include "PhotoPosition.h"
#include "PositionFixture.h"

using namespace PositionFixture;

namespace {

const QByteArray ThreeWaypoints = threeWaypoints();

QByteArray track(int points, int secondsApart)
{
    QByteArray body = "<trk><name>Tag</name><trkseg>";
    for (int i = 0; i < points; ++i)
        body += QStringLiteral("<trkpt lat=\"49.%1\" lon=\"7.0\"><time>%2</time></trkpt>")
                    .arg(i, 3, 10, QLatin1Char('0'))
                    .arg(QDateTime(QDate(2026, 6, 1), QTime(8, 0), Qt::UTC)
                             .addSecs(qint64(i) * secondsApart)
                             .toString(Qt::ISODate))
                    .toUtf8();
    return body + "</trkseg></trk>";
}

void writeFile(const QString &path, const QByteArray &bytes, qint64 size = -1)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
    if (size >= 0)
        QVERIFY(file.resize(size)); // sparse: nothing is written
}

} // namespace

class TestPositionFile : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // GPX times are UTC; the date the form takes is the local one.
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }

    void waypointsInFileOrder()
    {
        const PositionRead read = readGpx(ThreeWaypoints);
        QVERIFY2(read.error.isEmpty(), qPrintable(read.error));
        QCOMPARE(read.positions.size(), 3);
        const FieldPosition &second = read.positions[1];
        QCOMPARE(second.name, QStringLiteral("002 Hang"));
        QCOMPARE(second.latitude, 49.5);
        QCOMPARE(second.longitude, 7.0);
        QCOMPARE(second.altitude, std::optional<double>(312.4));
        QCOMPARE(second.time.timeSpec(), Qt::UTC);
        // 22:30 UTC is already the next day in summer time in Berlin.
        QCOMPARE(second.localTime().date(), QDate(2026, 6, 2));
        QCOMPARE(second.localTime().time(), QTime(0, 30));
        QCOMPARE(second.pickedText(), QStringLiteral("49.500000, 7.000000"));
        const FieldPosition &third = read.positions[2];
        QCOMPARE(third.pickedText(), QStringLiteral("-12.500000, -45.250000"));
        QVERIFY(!third.altitude);
        QVERIFY(!third.time.isValid());
        QVERIFY(!third.horizontalError);
    }

    void gpxTable_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("error");
        QTest::newRow("GPX 1.0") << QByteArray("<gpx version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\">"
                                               "<wpt lat=\"50.1\" lon=\"8.2\"><ele>90</ele></wpt></gpx>")
                                 << 1 << QString();
        QTest::newRow("no namespace") << QByteArray("<gpx><wpt lat=\"50.1\" lon=\"8.2\"/></gpx>") << 1 << QString();
        QTest::newRow("waypoints before the track")
            << gpx11(track(10, 5) + "<wpt lat=\"50\" lon=\"8\"/>") << 1 << QString();
        // 0 … 180 s every 20 s: one a minute.
        QTest::newRow("track thinned") << gpx11(track(10, 20)) << 4 << QString();
        QTest::newRow("track of sparse points") << gpx11(track(3, 600)) << 3 << QString();
        QTest::newRow("track without times")
            << gpx11("<trk><trkseg><trkpt lat=\"49\" lon=\"7\"/><trkpt lat=\"49.1\" lon=\"7\"/></trkseg></trk>") << 1
            << QString();
        QTest::newRow("not XML") << QByteArray("Wegpunkte:\n49,5 7,0\n") << 0
                                 << QStringLiteral("Die Datei ist keine XML-Datei (Zeile 1).");
        QTest::newRow("binary") << QByteArray("GIF89a\x01\x00\x01\x00\x80\x00", 12) << 0
                                << QStringLiteral("Die Datei ist keine XML-Datei (Zeile 1).");
        QTest::newRow("other XML") << QByteArray("<kml xmlns=\"http://www.opengis.net/kml/2.2\"><Placemark/></kml>")
                                   << 0 << QStringLiteral("Die Datei ist keine GPX-Datei.");
        QTest::newRow("gpx of another namespace") << QByteArray("<gpx xmlns=\"urn:x\"><wpt lat=\"1\" lon=\"1\"/></gpx>")
                                                  << 0 << QStringLiteral("Die Datei ist keine GPX-Datei.");
        QTest::newRow("no points") << gpx11(
            "<metadata><name>leer</name></metadata><rte><rtept lat=\"1\" lon=\"1\"/></rte>")
                                   << 0
                                   << QStringLiteral("Die GPX-Datei enthält keine Wegpunkte und keine Trackpunkte.");
        QTest::newRow("latitude out of range")
            << gpx11("<wpt lat=\"49\" lon=\"7\"/><wpt lat=\"95.0\" lon=\"7\"><name>Gipfel</name></wpt>") << 0
            << QStringLiteral("Die GPX-Datei enthält ungültige Koordinaten (2. Punkt „Gipfel“).");
        QTest::newRow("longitude not a number")
            << gpx11("<wpt lat=\"49\" lon=\"sieben\"/>") << 0
            << QStringLiteral("Die GPX-Datei enthält ungültige Koordinaten (1. Punkt).");
        QTest::newRow("longitude missing") << gpx11("<wpt lat=\"49\"/>") << 0
                                           << QStringLiteral("Die GPX-Datei enthält ungültige Koordinaten (1. Punkt).");
        QTest::newRow("infinite") << gpx11("<wpt lat=\"inf\" lon=\"7\"/>") << 0
                                  << QStringLiteral("Die GPX-Datei enthält ungültige Koordinaten (1. Punkt).");
        QTest::newRow("truncated") << ThreeWaypoints.left(ThreeWaypoints.indexOf("<name>002")) << 0
                                   << QStringLiteral("Die GPX-Datei ist fehlerhaft oder unvollständig (Zeile 5).");
        QTest::newRow("empty") << QByteArray() << 0 << QStringLiteral("Die Datei ist keine GPX-Datei.");
    }

    void gpxTable()
    {
        QFETCH(QByteArray, document);
        QFETCH(int, count);
        QFETCH(QString, error);
        const PositionRead read = readGpx(document);
        QCOMPARE(read.error, error);
        QCOMPARE(read.positions.size(), count);
    }

    void valuesTheFileLacksStayUnset()
    {
        const PositionRead read = readGpx(gpx11("<wpt lat=\"49\" lon=\"7\"><ele>hoch</ele><time>gestern</time></wpt>"));
        QCOMPARE(read.positions.size(), 1);
        QVERIFY(!read.positions[0].altitude);
        QVERIFY(!read.positions[0].time.isValid());
        QVERIFY(read.positions[0].name.isEmpty());
    }

    void photoTable_data()
    {
        QTest::addColumn<QByteArray>("jpeg");
        QTest::addColumn<double>("latitude");
        QTest::addColumn<double>("longitude");
        QTest::addColumn<double>("altitude"); // NaN: none
        QTest::addColumn<double>("error");    // NaN: none
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<QString>("message");
        const double none = std::nan("");
        const QDateTime taken(QDate(2026, 6, 1), QTime(14, 5, 9));
        QTest::newRow("Merzig") << jpeg(merzig()) << 49.4518667 << 6.6607111 << 312.4 << 4.2 << taken << QString();

        Tags south = merzig();
        south.bigEndian = true;
        south.latitudeRef = "S";
        south.longitudeRef = "W";
        south.altitudeRef = 1;
        south.horizontalError.reset();
        south.dateTimeOriginal = "0000:00:00 00:00:00";
        QTest::newRow("south-west, below sea, Motorola")
            << jpeg(south) << -49.4518667 << -6.6607111 << -312.4 << none << QDateTime() << QString();

        Tags noAltitudeRef = merzig();
        noAltitudeRef.altitudeRef.reset();
        QTest::newRow("altitude without reference")
            << jpeg(noAltitudeRef) << 49.4518667 << 6.6607111 << 312.4 << 4.2 << taken << QString();

        const QString noPosition = QString::fromUtf8(NoPhotoPosition);
        Tags dateOnly;
        dateOnly.dateTimeOriginal = "2026:06:01 14:05:09";
        QTest::newRow("date only") << jpeg(dateOnly) << 0.0 << 0.0 << none << none << QDateTime() << noPosition;
        QTest::newRow("no EXIF") << jpeg(std::nullopt) << 0.0 << 0.0 << none << none << QDateTime() << noPosition;
        Tags noRef = merzig();
        noRef.latitudeRef.clear();
        QTest::newRow("latitude without reference")
            << jpeg(noRef) << 0.0 << 0.0 << none << none << QDateTime() << noPosition;
        Tags zero = merzig();
        (*zero.longitude)[1].denominator = 0;
        QTest::newRow("zero denominator") << jpeg(zero) << 0.0 << 0.0 << none << none << QDateTime() << noPosition;
        Tags twoParts = merzig();
        twoParts.latitude->removeLast();
        QTest::newRow("two of three parts")
            << jpeg(twoParts) << 0.0 << 0.0 << none << none << QDateTime() << noPosition;
        Tags polar = merzig();
        (*polar.latitude)[0].numerator = 95;
        QTest::newRow("latitude beyond the pole") << jpeg(polar) << 0.0 << 0.0 << none << none << QDateTime()
                                                  << QStringLiteral("Die Position im Foto ist ungültig.");
        const QByteArray whole = jpeg(merzig());
        const QString damaged = QStringLiteral("Das Foto ist unvollständig oder beschädigt.");
        QTest::newRow("cut in the EXIF block")
            << whole.left(whole.indexOf("Exif") + 40) << 0.0 << 0.0 << none << none << QDateTime() << damaged;
        QTest::newRow("cut after the start") << whole.left(3) << 0.0 << 0.0 << none << none << QDateTime() << damaged;
        QByteArray garbage = whole;
        garbage[20] = 'x'; // where the next segment's marker belongs
        QTest::newRow("no marker") << garbage << 0.0 << 0.0 << none << none << QDateTime() << damaged;
        QTest::newRow("no JPEG") << QByteArray("\x89PNG\r\n", 6) << 0.0 << 0.0 << none << none << QDateTime()
                                 << QStringLiteral("Die Datei ist kein JPEG-Foto.");
    }

    void photoTable()
    {
        QFETCH(QByteArray, jpeg);
        QFETCH(double, latitude);
        QFETCH(double, longitude);
        QFETCH(double, altitude);
        QFETCH(double, error);
        QFETCH(QDateTime, time);
        QFETCH(QString, message);
        const PositionRead read = readPhotoPosition(jpeg, true);
        QCOMPARE(read.error, message);
        if (!message.isEmpty()) {
            QVERIFY(read.positions.isEmpty());
            return;
        }
        QCOMPARE(read.positions.size(), 1);
        const FieldPosition &p = read.positions[0];
        QVERIFY2(qAbs(p.latitude - latitude) < 1e-6, qPrintable(QString::number(p.latitude, 'f', 8)));
        QVERIFY2(qAbs(p.longitude - longitude) < 1e-6, qPrintable(QString::number(p.longitude, 'f', 8)));
        QCOMPARE(p.altitude.has_value(), !std::isnan(altitude));
        if (p.altitude)
            QCOMPARE(*p.altitude, altitude);
        QCOMPARE(p.horizontalError.has_value(), !std::isnan(error));
        if (p.horizontalError)
            QCOMPARE(*p.horizontalError, error);
        QCOMPARE(p.time, time);
    }

    // The file reader: by content, not by name, within its limits.
    void files()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString photo = dir.filePath("IMG_0001.JPG");
        writeFile(photo, jpeg(merzig()));
        PositionRead read = readPositionFile(photo);
        QCOMPARE(read.error, QString());
        QCOMPARE(read.positions.size(), 1);
        QCOMPARE(read.positions[0].name, QStringLiteral("IMG_0001.JPG"));

        // A photo of gigabytes: only its start is read.
        const QString huge = dir.filePath("riesig.jpg");
        writeFile(huge, jpeg(merzig()), qint64(3) << 30);
        read = readPositionFile(huge);
        QCOMPARE(read.error, QString());
        QCOMPARE(read.positions.size(), 1);

        // A photo whose EXIF block does not come in its first megabyte.
        const QString late = dir.filePath("spaet.jpg");
        writeFile(late,
                  QByteArray("\xFF\xD8", 2) + segment(0xE2, QByteArray(65000, 'i')).repeated(20)
                      + segment(0xE1, exifBlock(merzig())));
        QCOMPARE(readPositionFile(late).error, QString::fromUtf8(NoPhotoPosition));

        const QString waypoints = dir.filePath("Tag.GPX");
        writeFile(waypoints, ThreeWaypoints);
        QCOMPARE(readPositionFile(waypoints).positions.size(), 3);
        // A photo named .gpx is still a photo.
        const QString named = dir.filePath("falsch.gpx");
        writeFile(named, jpeg(merzig()));
        QCOMPARE(readPositionFile(named).positions.size(), 1);

        const QString large = dir.filePath("gross.gpx");
        writeFile(large, gpx11(QByteArray()), MaxGpxBytes + 1);
        QCOMPARE(readPositionFile(large).error,
                 QStringLiteral("Die Datei kann nicht gelesen werden: Die Datei ist größer als 64 MB."));
        const QString empty = dir.filePath("leer.gpx");
        writeFile(empty, QByteArray());
        QCOMPARE(readPositionFile(empty).error, QStringLiteral("Die Datei ist leer."));
        QCOMPARE(readPositionFile(dir.filePath("fehlt.gpx")).error,
                 QStringLiteral("Die Datei kann nicht gelesen werden: Sie ist nicht vorhanden."));
        QCOMPARE(readPositionFile(dir.path()).error,
                 QStringLiteral("Die Datei kann nicht gelesen werden: Es ist keine gewöhnliche Datei."));
    }
};

QTEST_GUILESS_MAIN(TestPositionFile)
#include "tst_positionfile.moc"
