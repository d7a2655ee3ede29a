#include "RecordDraft.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace Draft {

namespace {
const QString Format = QStringLiteral("Nembra-Entwurf 1");
} // namespace

QByteArray toBytes(const RecordDraft &draft)
{
    QJsonObject texts;
    for (auto it = draft.texts.cbegin(); it != draft.texts.cend(); ++it)
        texts.insert(it.key(), it.value());
    QJsonArray taxa;
    for (const TaxonRow &row : draft.taxa)
        taxa.append(QJsonArray{row.name, row.status, row.comment, row.count});
    QJsonObject root{
        {"format", Format},
        {"saved", draft.saved.toString(Qt::ISODate)},
        {"texts", texts},
        {"sampleType", draft.sampleType},
        {"observers", QJsonArray::fromStringList(draft.observers)},
        {"taxa", taxa},
    };
    if (!draft.savedTo.isEmpty()) {
        root.insert("savedTo", draft.savedTo);
        root.insert("savedSha256", draft.savedSha256);
    }
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<RecordDraft> fromBytes(const QByteArray &bytes)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject root = doc.object();
    if (root.value("format").toString() != Format || !root.value("texts").isObject()
        || !root.value("observers").isArray() || !root.value("taxa").isArray() || !root.value("sampleType").isDouble())
        return std::nullopt;

    RecordDraft draft;
    draft.saved = QDateTime::fromString(root.value("saved").toString(), Qt::ISODate);
    const QJsonObject texts = root.value("texts").toObject();
    for (auto it = texts.begin(); it != texts.end(); ++it) {
        if (!it.value().isString())
            return std::nullopt;
        draft.texts.insert(it.key(), it.value().toString());
    }
    draft.sampleType = root.value("sampleType").toInt(-1);
    // Both or neither, each a text: anything else is no draft of ours.
    if (root.contains("savedTo") || root.contains("savedSha256")) {
        if (!root.value("savedTo").isString() || !root.value("savedSha256").isString())
            return std::nullopt;
        draft.savedTo = root.value("savedTo").toString();
        draft.savedSha256 = root.value("savedSha256").toString();
    }
    for (const QJsonValue &v : root.value("observers").toArray()) {
        if (!v.isString())
            return std::nullopt;
        draft.observers.append(v.toString());
    }
    for (const QJsonValue &v : root.value("taxa").toArray()) {
        const QJsonArray cells = v.toArray();
        if (!v.isArray() || cells.size() != 4)
            return std::nullopt;
        for (const QJsonValue &cell : cells)
            if (!cell.isString())
                return std::nullopt;
        draft.taxa.append({cells[0].toString(), cells[1].toString(), cells[2].toString(), cells[3].toString()});
    }
    return draft;
}

} // namespace Draft
