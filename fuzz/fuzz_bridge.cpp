// The bridge's request decoding: any request gets a JSON answer, and the
// native side survives it.
#include <QJsonDocument>
#include <QJsonObject>
#include <QObject>

#include "FuzzInput.h"
#include "ScriptBridge.h"
#include "Wrappers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool registered = [] {
        registerWrappers(ClassMap());
        return true;
    }();
    (void)registered;
    static QObject root;
    if (root.objectName().isEmpty()) {
        root.setObjectName(QStringLiteral("Form1"));
        auto *child = new QObject(&root);
        child->setObjectName(QStringLiteral("Edit1"));
    }
    ScriptBridge bridge;
    bridge.setExternalProvider([](DispatchRef &d) {
        d = DispatchRef(new TAutoObjectDispatch(ClassMap().FindObjectWrapper(root.metaObject()).Connect(&root), true));
        return S_OK;
    });
    const QByteArray request(reinterpret_cast<const char *>(data), qsizetype(size));
    // Each input is a series of requests, one per line, against one bridge.
    for (const QByteArray &line : request.split('\n')) {
        const QByteArray answer = bridge.handle(line);
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(answer, &error);
        FUZZ_ASSERT(error.error == QJsonParseError::NoError && doc.isObject());
        FUZZ_ASSERT(doc.object().contains(QStringLiteral("ok")));
    }
    return 0;
}
