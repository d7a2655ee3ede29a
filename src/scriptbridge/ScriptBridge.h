#pragma once

#include <functional>

#include <QByteArray>
#include <QHash>
#include <QJsonValue>
#include <QStringList>

#include "Automation.h"

// The page side of the dispatch objects: page script sends each property
// read, write and call as one request (JSON) and gets the answer back before
// it goes on. Dispatch objects handed to the page are kept in a table by
// number until the page releases them.
//
// Requests:  {"op":"external"}                     the page's external object
//            {"op":"get","obj":N,"name":"x"}       read x (a method: {"$method":true})
//            {"op":"put","obj":N,"name":"x","value":v}
//            {"op":"call","obj":N,"name":"x","args":[…]}
//            "release":[N,…] with any request: objects the page no longer holds
// Answers:   {"ok":true,"value":v,"scripts":[…]} or {"ok":false,"error":"…","scripts":[…]}
// Values:    text, number, true/false, null, or {"$dispatch":N}.
class ScriptBridge {
public:
    // Produces the page's external object; E_FAIL (or an empty reference)
    // when the page has none.
    using ExternalProvider = std::function<HRESULT(DispatchRef &ppDispatch)>;

    void setExternalProvider(ExternalProvider provider) { provider_ = std::move(provider); }

    QByteArray handle(const QByteArray &request);

    // Script that native code runs while a call from the page is under way
    // cannot run before that call returns: it goes back with the answer and
    // the page runs it before the call returns to page script.
    bool inCall() const { return depth_ > 0; }
    void queueScript(const QString &script) { scripts_.append(script); }

    int liveObjects() const { return int(objects_.size()); }
    void releaseAll() { objects_.clear(); }

    // The script that makes window.external a proxy over this bridge, which
    // page script reaches by synchronous requests to `endpoint`.
    static QString pageScript(const QString &endpoint);

private:
    QJsonValue toWire(const QVariant &value);
    QVariant fromWire(const QJsonValue &value) const;
    QJsonValue run(const QJsonObject &request);

    ExternalProvider provider_;
    QHash<int, DispatchRef> objects_;
    int nextId_ = 1;
    int depth_ = 0;
    QStringList scripts_;
};
