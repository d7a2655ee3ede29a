#include "BridgeCall.h"

#include <QUrlQuery>

QString bridgeEndpoint(int bridge)
{
    return QStringLiteral("nembra://bridge/%1/call?q=").arg(bridge);
}

std::optional<BridgeCall> bridgeCallOf(const QUrl &url)
{
    if (url.scheme() != QLatin1String("nembra") || url.host() != QLatin1String("bridge"))
        return std::nullopt;
    const QStringList parts = url.path().split(u'/', Qt::SkipEmptyParts);
    if (parts.size() != 2 || parts[1] != QLatin1String("call"))
        return std::nullopt;
    bool ok = false;
    const int bridge = parts[0].toInt(&ok);
    if (!ok || bridge <= 0)
        return std::nullopt;
    return BridgeCall{bridge, QUrlQuery(url).queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded).toUtf8()};
}
