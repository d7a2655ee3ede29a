#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// Whether a request of the map page fetches one tile of a tile layer: a GET
// to the server of tileTemplate ("https://host/…/{z}/{x}/{y}.png") whose path
// is the template's with whole numbers for z (0 … maxZoom) and for x and y
// (0 … 2^z − 1), with no query, user name or fragment of its own. Anything
// else to that server could carry data out of the page.
bool isTileRequest(const QByteArray &method, const QUrl &url, const QString &tileTemplate, int maxZoom);
