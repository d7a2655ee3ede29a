#pragma once

#include <functional>

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWebEngineView>

#include "Automation.h"

class QMenu;
class QPoint;

class ScriptBridge;

// The host information the browser view presents a page with.
inline constexpr quint32 DOCHOSTUIFLAG_DIALOG = 0x1;
inline constexpr quint32 DOCHOSTUIFLAG_NO3DBORDER = 0x4;
inline constexpr quint32 DOCHOSTUIFLAG_SCROLL_NO = 0x8;
inline constexpr quint32 DOCHOSTUIFLAG_THEME = 0x40000;
inline constexpr quint32 DOCHOSTUIFLAG_NOTHEME = 0x80000;

struct DOCHOSTUIINFO {
    quint32 cbSize = 0;
    quint32 dwFlags = 0;
    quint32 dwDoubleClick = 0;
    QString pchHostCss;
    bool hasHostCss = false; // an empty style sheet is still one
};

// The neutral host of a browser view: attached when made, detached before it
// goes. It answers every question of the browser neutrally: the browser's
// own context menu, no host style sheet, no external object for the page.
class TNulWBContainer : public QObject {
    Q_OBJECT
public:
    explicit TNulWBContainer(QWebEngineView *HostedBrowser);
    ~TNulWBContainer() override;

    QWebEngineView *HostedBrowser() const { return fHostedBrowser; }
    bool attached() const { return attached_; }

    // S_FALSE: the browser shows its own menu; S_OK: the host took the click.
    virtual HRESULT ShowContextMenu(const QPoint &screenPos);
    virtual HRESULT GetHostInfo(DOCHOSTUIINFO &info);
    virtual HRESULT GetExternal(DispatchRef &ppDispatch);

    // Puts the host information into effect for the documents loaded from now on.
    void applyHostInfo();

protected:
    void AttachClientSite(bool attach);

private:
    QPointer<QWebEngineView> fHostedBrowser;
    bool attached_ = false;
};

// The host with presentation options, read when a document is loaded.
class TWBContainer : public TNulWBContainer {
    Q_OBJECT
public:
    explicit TWBContainer(QWebEngineView *HostedBrowser);

    bool UseCustomCtxMenu = false;
    bool ShowScrollBars = true;
    bool Show3DBorder = true;
    bool AllowTextSelection = true;
    QString CSS;
    // The view's own pop-up menu, shown instead of the browser's when
    // UseCustomCtxMenu is set; none shows nothing.
    QPointer<QMenu> PopupMenu;

    HRESULT ShowContextMenu(const QPoint &screenPos) override;
    HRESULT GetHostInfo(DOCHOSTUIINFO &info) override;

    // Whether the application draws with the desktop's native style.
    static bool applicationUsesNativeStyle();
};

// The map picker's host: no border and no scroll bars, the map document,
// script run in the page, and the page's external object from a handler.
class TWBGoogleMaps : public TWBContainer {
    Q_OBJECT
public:
    using TOnGetExternalProc = std::function<HRESULT(DispatchRef &ppDispatch)>;

    explicit TWBGoogleMaps(QWebEngineView *HostedBrowser);
    ~TWBGoogleMaps() override;

    bool LoadedGoogleMaps() const { return fLoadedGoogleMaps; }
    TOnGetExternalProc OnGetExternal;

    void LoadDefaultGoogleMapsDocument(const QString &Lat, const QString &Long);
    void LoadHTML(const QString &HTMLCode);
    // Starts the browser engine and the page's renderer with an empty
    // document of the program's own, without waiting: the map document
    // loaded later finds both running.
    void PrepareEngine();
    // Runs script in the page and waits for it; an exception in the page is
    // raised here. Without a document nothing happens. A page whose renderer
    // died, or that does not answer within ScriptTimeoutMs, fails the call.
    void ExecJS(const QString &javascript);
    static constexpr int ScriptTimeoutMs = 5000;
    static constexpr int LoadTimeoutMs = 20000;
    // The page's renderer process ended (crash, kill); the document must be
    // loaded again.
    bool rendererGone() const { return rendererGone_; }
    HRESULT GetExternal(DispatchRef &ppDispatch) override;

    // 0 none, 1 loading, 4 complete.
    int ReadyState() const { return readyState_; }
    // What the browser was given last.
    const QByteArray &loadedBytes() const { return loadedBytes_; }
    ScriptBridge &bridge() { return *bridge_; }
    QString bridgeEndpoint() const;

private:
    bool fLoadedGoogleMaps = false;
    int readyState_ = 0;
    bool rendererGone_ = false;
    bool preparing_ = false;
    QByteArray loadedBytes_;
    std::unique_ptr<ScriptBridge> bridge_;
    int bridgeId_ = 0;
};
