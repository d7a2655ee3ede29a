#include "GpxReader.h"

#include <cmath>

#include <QXmlStreamReader>

namespace {

const QLatin1String Gpx10("http://www.topografix.com/GPX/1/0");
const QLatin1String Gpx11("http://www.topografix.com/GPX/1/1");

std::optional<double> number(QStringView text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

struct Point {
    FieldPosition position;
    bool valid = true;
};

// Reads one wpt or trkpt element, the reader on its start.
Point readPoint(QXmlStreamReader &xml)
{
    Point point;
    const auto lat = number(xml.attributes().value(QLatin1String("lat")));
    const auto lon = number(xml.attributes().value(QLatin1String("lon")));
    point.valid = lat && lon && std::abs(*lat) <= 90 && std::abs(*lon) <= 180;
    if (point.valid) {
        point.position.latitude = *lat;
        point.position.longitude = *lon;
    }
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (name == QLatin1String("name")) {
            point.position.name = xml.readElementText(QXmlStreamReader::SkipChildElements).simplified();
        } else if (name == QLatin1String("ele")) {
            point.position.altitude = number(xml.readElementText(QXmlStreamReader::SkipChildElements));
        } else if (name == QLatin1String("time")) {
            QDateTime time = QDateTime::fromString(xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed(),
                                                   Qt::ISODateWithMs);
            // A time without a zone is UTC in GPX.
            if (time.isValid() && time.timeSpec() == Qt::LocalTime)
                time.setTimeSpec(Qt::UTC);
            point.position.time = time;
        } else {
            xml.skipCurrentElement();
        }
    }
    return point;
}

// The track points of a track, the reader on its trk start.
void readTrack(QXmlStreamReader &xml, QList<Point> &points)
{
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("trkseg")) {
            xml.skipCurrentElement();
            continue;
        }
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("trkpt"))
                points.append(readPoint(xml));
            else
                xml.skipCurrentElement();
        }
    }
}

QList<FieldPosition> thinned(const QList<Point> &track)
{
    QList<FieldPosition> kept;
    QDateTime last;
    for (const Point &point : track) {
        const QDateTime &time = point.position.time;
        if (kept.isEmpty() || (time.isValid() && (!last.isValid() || last.secsTo(time) >= 60))) {
            kept.append(point.position);
            if (time.isValid())
                last = time;
        }
    }
    return kept;
}

} // namespace

PositionRead readGpx(const QByteArray &document)
{
    PositionRead out;
    QXmlStreamReader xml(document);
    if (!xml.readNextStartElement()) {
        out.error = xml.hasError() && xml.error() != QXmlStreamReader::PrematureEndOfDocumentError
            ? QStringLiteral("Die Datei ist keine XML-Datei (Zeile %1).").arg(xml.lineNumber())
            : QStringLiteral("Die Datei ist keine GPX-Datei.");
        return out;
    }
    const QStringView ns = xml.namespaceUri();
    if (xml.name() != QLatin1String("gpx") || (ns != Gpx10 && ns != Gpx11 && !ns.isEmpty())) {
        out.error = QStringLiteral("Die Datei ist keine GPX-Datei.");
        return out;
    }
    QList<Point> waypoints, trackPoints;
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (name == QLatin1String("wpt"))
            waypoints.append(readPoint(xml));
        else if (name == QLatin1String("trk"))
            readTrack(xml, trackPoints);
        else
            xml.skipCurrentElement();
    }
    if (xml.hasError()) {
        out.error = QStringLiteral("Die GPX-Datei ist fehlerhaft oder unvollständig (Zeile %1).").arg(xml.lineNumber());
        return out;
    }
    const QList<Point> &points = waypoints.isEmpty() ? trackPoints : waypoints;
    for (qsizetype i = 0; i < points.size(); ++i) {
        if (!points[i].valid) {
            const QString &name = points[i].position.name;
            out.error = QStringLiteral("Die GPX-Datei enthält ungültige Koordinaten (%1. Punkt%2).")
                            .arg(i + 1)
                            .arg(name.isEmpty() ? QString() : QStringLiteral(" „%1“").arg(name.left(40)));
            return out;
        }
    }
    if (points.isEmpty()) {
        out.error = QStringLiteral("Die GPX-Datei enthält keine Wegpunkte und keine Trackpunkte.");
        return out;
    }
    if (!waypoints.isEmpty())
        for (const Point &point : waypoints)
            out.positions.append(point.position);
    else
        out.positions = thinned(trackPoints);
    return out;
}
