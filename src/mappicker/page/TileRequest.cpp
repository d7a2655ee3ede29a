#include "TileRequest.h"

#include <optional>

#include <QRegularExpression>

namespace {

bool sameServer(const QUrl &a, const QUrl &b)
{
    const auto defaultPort = [](const QUrl &u) { return u.scheme() == QLatin1String("https") ? 443 : 80; };
    return a.scheme() == b.scheme() && a.host().compare(b.host(), Qt::CaseInsensitive) == 0
        && a.port(defaultPort(a)) == b.port(defaultPort(b));
}

// A whole number as a tile coordinate: digits without a leading zero.
std::optional<qint64> coordinate(QStringView digits)
{
    if (digits.isEmpty() || digits.size() > 10 || (digits.size() > 1 && digits[0] == u'0'))
        return std::nullopt;
    bool ok = false;
    const qint64 value = digits.toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

} // namespace

bool isTileRequest(const QByteArray &method, const QUrl &url, const QString &tileTemplate, int maxZoom)
{
    const QUrl templateUrl(tileTemplate);
    if (method != "GET" || !url.isValid() || !sameServer(url, templateUrl) || url.hasQuery() || url.hasFragment()
        || !url.userInfo().isEmpty())
        return false;
    // The template's path as written (its braces unencoded), each
    // placeholder a group of digits.
    const qsizetype hostAt = tileTemplate.indexOf(QLatin1String("://"));
    const qsizetype pathAt = hostAt < 0 ? -1 : tileTemplate.indexOf(u'/', hostAt + 3);
    if (pathAt < 0)
        return false;
    const QString templatePath = tileTemplate.mid(pathAt);
    static const QRegularExpression placeholder(QStringLiteral("\\{([zxy])\\}"));
    QString pattern = QStringLiteral("^");
    QString order;
    qsizetype at = 0;
    for (auto it = placeholder.globalMatch(templatePath); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        pattern += QRegularExpression::escape(templatePath.mid(at, m.capturedStart() - at));
        pattern += QStringLiteral("([0-9]+)");
        order += m.captured(1);
        at = m.capturedEnd();
    }
    pattern += QRegularExpression::escape(templatePath.mid(at)) + u'$';
    if (order.size() != 3 || !order.contains(u'z') || !order.contains(u'x') || !order.contains(u'y'))
        return false;
    const QRegularExpressionMatch match = QRegularExpression(pattern).match(url.path(QUrl::FullyEncoded));
    if (!match.hasMatch())
        return false;
    qint64 z = -1, x = -1, y = -1;
    for (int i = 0; i < 3; ++i) {
        const auto value = coordinate(match.capturedView(i + 1));
        if (!value)
            return false;
        (order[i] == u'z' ? z : order[i] == u'x' ? x : y) = *value;
    }
    if (z < 0 || z > maxZoom || z > 30)
        return false;
    const qint64 size = qint64(1) << z;
    return x < size && y < size;
}
