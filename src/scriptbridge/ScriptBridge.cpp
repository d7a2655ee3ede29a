#include "ScriptBridge.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "NembraError.h"

namespace {

QString describe(HRESULT hr, const QString &name, const EXCEPINFO &info)
{
    switch (hr) {
    case DISP_E_EXCEPTION:
        return info.bstrDescription;
    case DISP_E_UNKNOWNNAME:
        return QStringLiteral("Unbekannter Name: %1").arg(name);
    case DISP_E_MEMBERNOTFOUND:
        return QStringLiteral("Element nicht gefunden: %1").arg(name);
    case DISP_E_BADPARAMCOUNT:
        return QStringLiteral("Falsche Anzahl von Parametern: %1").arg(name);
    default:
        return QStringLiteral("Fehler 0x%1 bei %2").arg(quint32(hr), 8, 16, QChar(u'0')).arg(name);
    }
}

} // namespace

QJsonValue ScriptBridge::toWire(const QVariant &value)
{
    if (value.metaType() == QMetaType::fromType<DispatchRef>()) {
        const DispatchRef ref = value.value<DispatchRef>();
        if (!ref)
            return QJsonValue::Null;
        const int id = nextId_++;
        objects_.insert(id, ref);
        return QJsonObject{{QStringLiteral("$dispatch"), id}};
    }
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return QJsonValue::Null;
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::UChar:
    case QMetaType::LongLong:
    case QMetaType::Double:
        return value.toDouble();
    default:
        return value.toString();
    }
}

QVariant ScriptBridge::fromWire(const QJsonValue &value) const
{
    if (value.isObject()) {
        const int id = value.toObject().value(QStringLiteral("$dispatch")).toInt();
        return QVariant::fromValue(objects_.value(id));
    }
    return value.toVariant();
}

QJsonValue ScriptBridge::run(const QJsonObject &request)
{
    const QString op = request.value(QStringLiteral("op")).toString();
    if (op == QLatin1String("external")) {
        DispatchRef external;
        const HRESULT hr = provider_ ? provider_(external) : E_FAIL;
        if (hr != S_OK || !external)
            throw NembraError(QStringLiteral("Die Seite hat kein externes Objekt"));
        return toWire(QVariant::fromValue(external));
    }
    const DispatchRef target = objects_.value(request.value(QStringLiteral("obj")).toInt());
    if (!target)
        throw NembraError(QStringLiteral("Das Objekt ist nicht mehr vorhanden"));
    const QString name = request.value(QStringLiteral("name")).toString();
    QList<int> ids;
    EXCEPINFO info;
    HRESULT hr = target->GetIDsOfNames({name}, ids);
    if (hr != S_OK)
        throw NembraError(describe(hr, name, info));

    DISPPARAMS params;
    std::uint16_t flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
    if (op == QLatin1String("get")) {
        if (target->isMethod(ids[0]))
            return QJsonObject{{QStringLiteral("$method"), true}};
    } else if (op == QLatin1String("put")) {
        flags = DISPATCH_PROPERTYPUT;
        params.rgvarg = {fromWire(request.value(QStringLiteral("value")))};
        params.rgdispidNamedArgs = {DISPID_PROPERTYPUT};
    } else if (op == QLatin1String("call")) {
        flags = DISPATCH_METHOD;
        const QJsonArray args = request.value(QStringLiteral("args")).toArray();
        for (qsizetype i = args.size() - 1; i >= 0; --i)
            params.rgvarg.append(fromWire(args[i]));
    } else {
        throw NembraError(QStringLiteral("Unbekannte Anfrage: %1").arg(op));
    }
    QVariant result;
    hr = target->Invoke(ids[0], flags, params, &result, &info);
    if (hr != S_OK)
        throw NembraError(describe(hr, name, info));
    return toWire(result);
}

QByteArray ScriptBridge::handle(const QByteArray &request)
{
    QJsonObject answer;
    ++depth_;
    try {
        const QJsonDocument doc = QJsonDocument::fromJson(request);
        if (!doc.isObject())
            throw NembraError(QStringLiteral("Ungültige Anfrage"));
        const QJsonObject object = doc.object();
        for (const QJsonValue &id : object.value(QStringLiteral("release")).toArray())
            objects_.remove(id.toInt());
        answer.insert(QStringLiteral("value"), run(object));
        answer.insert(QStringLiteral("ok"), true);
    } catch (const std::exception &error) {
        answer.insert(QStringLiteral("ok"), false);
        answer.insert(QStringLiteral("error"), QString::fromUtf8(error.what()));
    }
    --depth_;
    if (depth_ == 0) {
        answer.insert(QStringLiteral("scripts"), QJsonArray::fromStringList(scripts_));
        scripts_.clear();
    }
    return QJsonDocument(answer).toJson(QJsonDocument::Compact);
}

static void initBridgeResources()
{
    // The script lives in this static library's resources, which the
    // linker only keeps when they are initialised by name.
    Q_INIT_RESOURCE(scriptbridge);
}

QString ScriptBridge::pageScript(const QString &endpoint)
{
    initBridgeResources();
    QFile file(QStringLiteral(":/scriptbridge/bridge.js"));
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll()).replace(QStringLiteral("@ENDPOINT@"), endpoint);
}
