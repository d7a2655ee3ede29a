#include "Elevation.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include "TextFunctions.h"

namespace {

bool isSocketLevel(QNetworkReply::NetworkError error)
{
    // Connection, time-out and proxy failures, as opposed to answers.
    return (error >= QNetworkReply::ConnectionRefusedError && error <= QNetworkReply::UnknownNetworkError)
        || (error >= QNetworkReply::ProxyConnectionRefusedError && error <= QNetworkReply::UnknownProxyError);
}

} // namespace

QString elevationUrl(const QString &Coordinate, const ElevationService &service)
{
    QString lat, lng;
    const qsizetype comma = Coordinate.indexOf(u',');
    if (comma >= 0) {
        lat = trimControls(Coordinate.left(comma));
        lng = trimControls(Coordinate.mid(comma + 1, 99));
    }
    QString url = QStringLiteral("http://") + service.host + QStringLiteral("/srtm3?lat=") + lat
        + QStringLiteral("&lng=") + lng;
    if (!service.user.isEmpty())
        url += QStringLiteral("&username=") + service.user;
    return url;
}

ElevationOutcome parseElevationBody(const QByteArray &body)
{
    ElevationOutcome outcome;
    QString text = QString::fromUtf8(body);
    // The service reports refusals and exhausted limits in the body.
    if (text.startsWith(QLatin1String("ERR:"))) {
        outcome.failure = ElevationOutcome::Failure::Service;
        outcome.message = QStringLiteral("Der Höhendienst meldet: ") + text.trimmed();
        return outcome;
    }
    // The altitude ends with a line end; nothing else is cut.
    if (text.endsWith(QLatin1String("\r\n")))
        text.chop(2);
    else if (text.endsWith(u'\n') || text.endsWith(u'\r'))
        text.chop(1);
    // The service's mark for a point without data (sea, gaps).
    if (text.trimmed() != QLatin1String("-32768"))
        outcome.altitude = text;
    return outcome;
}

ElevationOutcome LookupElevation(const QString &Coordinate, const ElevationService &service)
{
    QNetworkAccessManager client;
    QNetworkRequest request(QUrl(elevationUrl(Coordinate, service), QUrl::TolerantMode));
    request.setTransferTimeout(service.timeoutMs);
    QNetworkReply *reply = client.get(request);
    QEventLoop wait;
    QObject::connect(reply, &QNetworkReply::finished, &wait, &QEventLoop::quit);
    // Painting goes on, but no click reaches the program meanwhile.
    if (!reply->isFinished())
        wait.exec(QEventLoop::ExcludeUserInputEvents);

    const QNetworkReply::NetworkError error = reply->error();
    const QByteArray body = error == QNetworkReply::NoError ? reply->readAll() : QByteArray();
    reply->deleteLater();
    if (error == QNetworkReply::NoError)
        return parseElevationBody(body);
    ElevationOutcome outcome;
    if (isSocketLevel(error)) {
        outcome.failure = ElevationOutcome::Failure::Connection;
        outcome.message = QStringLiteral("Verbindung zum Datenserver unterbrochen\n\roder keine Internetverbindung");
    } else {
        outcome.failure = ElevationOutcome::Failure::Unknown;
        outcome.message = QStringLiteral("Unbekannter Fehler");
    }
    return outcome;
}
