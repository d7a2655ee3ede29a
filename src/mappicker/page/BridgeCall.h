#pragma once

#include <optional>

#include <QByteArray>
#include <QString>
#include <QUrl>

// A call of page script to the native objects: the number of the map
// container's bridge and the request text, as the page sends them to
// "nembra://bridge/<number>/call?q=<request, percent-encoded>".
struct BridgeCall {
    int bridge = 0;
    QByteArray request; // UTF-8
};

QString bridgeEndpoint(int bridge);
// The call a URL of the bridge's scheme names; nothing for another URL.
std::optional<BridgeCall> bridgeCallOf(const QUrl &url);
