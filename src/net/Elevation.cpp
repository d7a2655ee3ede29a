#include "Elevation.h"

#include <cmath>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>

#include "BoundedWait.h"
#include "TextFunctions.h"

namespace {

bool isSocketLevel(QNetworkReply::NetworkError error)
{
    // Connection, time-out and proxy failures, as opposed to answers. A
    // redirect loop or an unsafe redirect is an answer, if a useless one.
    if (error == QNetworkReply::TooManyRedirectsError || error == QNetworkReply::InsecureRedirectError)
        return false;
    return (error >= QNetworkReply::ConnectionRefusedError && error <= QNetworkReply::UnknownNetworkError)
        || (error >= QNetworkReply::ProxyConnectionRefusedError && error <= QNetworkReply::UnknownProxyError);
}

ElevationOutcome failed(ElevationOutcome::Failure failure, const QString &message)
{
    ElevationOutcome outcome;
    outcome.failure = failure;
    outcome.message = message;
    return outcome;
}

ElevationOutcome unknown()
{
    return failed(ElevationOutcome::Failure::Unknown, QStringLiteral("Unbekannter Fehler"));
}

ElevationOutcome connectionLost()
{
    return failed(ElevationOutcome::Failure::Connection,
                  QStringLiteral("Verbindung zum Datenserver unterbrochen\n\roder keine Internetverbindung"));
}

// The service's mark for a point without data (sea, gaps).
constexpr int NoData = -32768;

} // namespace

QString elevationUrl(const QString &Coordinate, const ElevationService &service)
{
    QString lat, lng;
    const qsizetype comma = Coordinate.indexOf(u',');
    if (comma >= 0) {
        lat = trimControls(Coordinate.left(comma));
        lng = trimControls(Coordinate.mid(comma + 1, 99));
    }
    if (service.user.isEmpty())
        return service.scheme + QStringLiteral("://") + service.openHost + QStringLiteral("/v1/eudem25m?locations=")
            + lat + u',' + lng;
    return service.scheme + QStringLiteral("://") + service.host + QStringLiteral("/srtm3?lat=") + lat
        + QStringLiteral("&lng=") + lng + QStringLiteral("&username=") + service.user;
}

ElevationOutcome parseElevationBody(const QByteArray &body)
{
    ElevationOutcome outcome;
    QString text = QString::fromUtf8(body);
    // The service reports refusals and exhausted limits in the body.
    if (text.startsWith(QLatin1String("ERR:")))
        return failed(ElevationOutcome::Failure::Service, QStringLiteral("Der Höhendienst meldet: ") + text.trimmed());
    // The altitude ends with a line end; nothing else is cut.
    if (text.endsWith(QLatin1String("\r\n")))
        text.chop(2);
    else if (text.endsWith(u'\n') || text.endsWith(u'\r'))
        text.chop(1);
    // Anything but a whole number (a portal's page, "abc") is no altitude.
    static const QRegularExpression integer(QStringLiteral("^\\s*-?[0-9]{1,6}\\s*$"));
    if (!integer.match(text).hasMatch())
        return unknown();
    if (text.trimmed().toInt() != NoData)
        outcome.altitude = text;
    return outcome;
}

ElevationOutcome parseOpenTopoBody(const QByteArray &body)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return unknown();
    const QJsonObject root = doc.object();
    const QString status = root.value(QStringLiteral("status")).toString();
    if (status != QLatin1String("OK")) {
        const QString reason = root.value(QStringLiteral("error")).toString();
        return failed(ElevationOutcome::Failure::Service,
                      QStringLiteral("Der Höhendienst meldet: ") + (reason.isEmpty() ? status : reason));
    }
    const QJsonArray results = root.value(QStringLiteral("results")).toArray();
    if (results.size() != 1 || !results[0].isObject())
        return unknown();
    const QJsonValue elevation = results[0].toObject().value(QStringLiteral("elevation"));
    ElevationOutcome outcome;
    if (elevation.isNull())
        return outcome; // no data for the point
    if (!elevation.isDouble() || !std::isfinite(elevation.toDouble()) || std::abs(elevation.toDouble()) > 20000)
        return unknown();
    outcome.altitude = QString::number(std::lround(elevation.toDouble()));
    return outcome;
}

ElevationOutcome LookupElevation(const QString &Coordinate, const ElevationService &service)
{
    QNetworkAccessManager client;
    QNetworkRequest request(QUrl(elevationUrl(Coordinate, service), QUrl::TolerantMode));
    request.setTransferTimeout(service.timeoutMs);
    QNetworkReply *reply = client.get(request);
    // One limit for the whole lookup, redirects and a trickling server included.
    BoundedWait wait(service.timeoutMs, BoundedWait::Input::Excluded);
    wait.wakeOn(reply, &QNetworkReply::finished);
    bool tooLarge = false;
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [&](qint64 received, qint64 total) {
        if (received > ElevationService::MaxBodyBytes || total > ElevationService::MaxBodyBytes) {
            tooLarge = true;
            reply->abort();
        }
    });
    if (!wait.until([reply] { return reply->isFinished(); }))
        reply->abort();

    const QNetworkReply::NetworkError error = reply->error();
    const QByteArray body = error == QNetworkReply::NoError ? reply->read(ElevationService::MaxBodyBytes + 1)
                                                            : QByteArray();
    reply->deleteLater();
    if (tooLarge || body.size() > ElevationService::MaxBodyBytes)
        return unknown();
    if (error == QNetworkReply::NoError)
        return service.user.isEmpty() ? parseOpenTopoBody(body) : parseElevationBody(body);
    return isSocketLevel(error) ? connectionLost() : unknown();
}
