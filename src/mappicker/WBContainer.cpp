#include "WBContainer.h"

#include <memory>

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMenu>
#include <QStyle>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "BoundedWait.h"
#include "ErrorGuard.h"
#include "MapDocument.h"
#include "MapService.h"
#include "ScriptBridge.h"

namespace {

const QUrl DocumentUrl(QStringLiteral("http://localhost/"));
const char *const HostStyleScript = "nembra-host-style";
const char *const BridgeScript = "nembra-external";

// The host's page: it stays on the program's document; links the user
// clicks open in the system's browser.
class HostPage : public QWebEnginePage {
public:
    HostPage(QWebEngineProfile *profile, QWebEngineView *view)
        : QWebEnginePage(profile, view)
    {
        connect(this, &QWebEnginePage::loadFinished, this, [this] { ownLoad_ = false; });
        watchInput(view);
    }

    // The map container's page takes main-frame loads only from the
    // program (expectOwnLoad before each); other hosts' pages take the
    // documents their owners give them.
    void restrictToOwnLoads() { restricted_ = true; }
    void expectOwnLoad() { ownLoad_ = true; }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override
    {
        if (!isMainFrame)
            return url.scheme() == QLatin1String("about") || url.scheme() == QLatin1String("data");
        if (type == NavigationTypeLinkClicked) {
            // Links of the page (such as the map's attribution) open in the
            // system's browser, and only when the user just clicked or
            // pressed a key in the view: a script's a.click() opens nothing.
            const QString scheme = url.scheme();
            if (userJustActed()
                && (scheme == QLatin1String("http") || scheme == QLatin1String("https")
                    || scheme == QLatin1String("mailto")))
                QDesktopServices::openUrl(url);
            return false;
        }
        // Only the document the program loads itself, which arrives as data
        // under its URL; a page or server elsewhere never gets the bridge.
        const bool document = url.scheme() == QLatin1String("data") || url == DocumentUrl;
        if (restricted_)
            return ownLoad_ && document;
        return document || url.toString() == QLatin1String("about:blank");
    }
    QWebEnginePage *createWindow(WebWindowType) override { return nullptr; }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::ChildAdded:
            if (auto *child = qobject_cast<QWidget *>(static_cast<QChildEvent *>(event)->child()))
                child->installEventFilter(this);
            break;
        case QEvent::MouseButtonRelease:
        case QEvent::KeyPress:
            lastInput_.start();
            break;
        default:
            break;
        }
        return QWebEnginePage::eventFilter(watched, event);
    }

private:
    // The view draws the page in a child widget made later; the filter
    // follows the children as they come.
    void watchInput(QWidget *view)
    {
        view->installEventFilter(this);
        for (QWidget *child : view->findChildren<QWidget *>())
            child->installEventFilter(this);
    }
    bool userJustActed() const { return lastInput_.isValid() && lastInput_.elapsed() < UserActionMs; }

    static constexpr int UserActionMs = 1500;
    bool restricted_ = false;
    bool ownLoad_ = false;
    QElapsedTimer lastInput_;
};

QString jsString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

} // namespace

// --- TNulWBContainer ---

TNulWBContainer::TNulWBContainer(QWebEngineView *HostedBrowser)
    : fHostedBrowser(HostedBrowser)
{
    Q_ASSERT_X(HostedBrowser, "TNulWBContainer", "Assertion fehlgeschlagen");
    AttachClientSite(true);
}

TNulWBContainer::~TNulWBContainer()
{
    AttachClientSite(false);
}

void TNulWBContainer::AttachClientSite(bool attach)
{
    QWebEngineView *view = fHostedBrowser;
    if (!view)
        return;
    if (attach) {
        if (!dynamic_cast<HostPage *>(view->page()) || view->page()->profile() != MapService::profile())
            view->setPage(new HostPage(MapService::profile(), view));
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
            guarded([&] {
                QWebEngineView *v = fHostedBrowser;
                if (v && ShowContextMenu(v->mapToGlobal(pos)) == S_FALSE)
                    v->createStandardContextMenu()->popup(v->mapToGlobal(pos));
            });
        });
        attached_ = true;
        applyHostInfo();
    } else {
        disconnect(view, nullptr, this, nullptr);
        view->setContextMenuPolicy(Qt::DefaultContextMenu);
        QWebEngineScriptCollection &scripts = view->page()->scripts();
        for (const char *name : {HostStyleScript, BridgeScript})
            for (const QWebEngineScript &s : scripts.find(QString::fromLatin1(name)))
                scripts.remove(s);
        attached_ = false;
    }
}

HRESULT TNulWBContainer::ShowContextMenu(const QPoint &)
{
    return S_FALSE;
}

HRESULT TNulWBContainer::GetHostInfo(DOCHOSTUIINFO &)
{
    return S_OK;
}

HRESULT TNulWBContainer::GetExternal(DispatchRef &ppDispatch)
{
    ppDispatch = DispatchRef();
    return E_FAIL;
}

void TNulWBContainer::applyHostInfo()
{
    QWebEngineView *view = fHostedBrowser;
    if (!view || !attached_)
        return;
    DOCHOSTUIINFO info;
    if (GetHostInfo(info) != S_OK)
        info = DOCHOSTUIINFO();
    view->settings()->setAttribute(QWebEngineSettings::ShowScrollBars, !(info.dwFlags & DOCHOSTUIFLAG_SCROLL_NO));

    // Border, text selection and the host's style sheet, for every document.
    QString css;
    if (info.cbSize && !(info.dwFlags & DOCHOSTUIFLAG_NO3DBORDER))
        css += QStringLiteral("html { border: 2px inset #a0a0a0; box-sizing: border-box; } ");
    if (info.dwFlags & DOCHOSTUIFLAG_DIALOG)
        css += QStringLiteral("* { -webkit-user-select: none !important; user-select: none !important; } ");
    css += info.pchHostCss;

    QWebEngineScriptCollection &scripts = view->page()->scripts();
    for (const QWebEngineScript &s : scripts.find(QString::fromLatin1(HostStyleScript)))
        scripts.remove(s);
    if (css.isEmpty())
        return;
    QWebEngineScript style;
    style.setName(QString::fromLatin1(HostStyleScript));
    style.setInjectionPoint(QWebEngineScript::DocumentReady);
    style.setWorldId(QWebEngineScript::ApplicationWorld);
    style.setRunsOnSubFrames(false);
    style.setSourceCode(
        QStringLiteral("(function(){var s=document.createElement('style');s.id='nembra-host-style';"
                       "s.textContent=%1;(document.head||document.documentElement).appendChild(s);})();")
            .arg(jsString(css)));
    scripts.insert(style);
}

// --- TWBContainer ---

TWBContainer::TWBContainer(QWebEngineView *HostedBrowser)
    : TNulWBContainer(HostedBrowser)
{
    applyHostInfo();
}

bool TWBContainer::applicationUsesNativeStyle()
{
    const QString name = QApplication::style() ? QApplication::style()->name().toLower() : QString();
    return !name.isEmpty() && name != QLatin1String("fusion") && name != QLatin1String("windows");
}

HRESULT TWBContainer::GetHostInfo(DOCHOSTUIINFO &info)
{
    info = DOCHOSTUIINFO();
    info.cbSize = 20;
    if (!ShowScrollBars)
        info.dwFlags |= DOCHOSTUIFLAG_SCROLL_NO;
    if (!Show3DBorder)
        info.dwFlags |= DOCHOSTUIFLAG_NO3DBORDER;
    if (!AllowTextSelection)
        info.dwFlags |= DOCHOSTUIFLAG_DIALOG;
    // The desktop always offers themes here; the flag says whether the
    // program draws with them.
    info.dwFlags |= applicationUsesNativeStyle() ? DOCHOSTUIFLAG_THEME : DOCHOSTUIFLAG_NOTHEME;
    info.pchHostCss = CSS;
    info.hasHostCss = true;
    return S_OK;
}

HRESULT TWBContainer::ShowContextMenu(const QPoint &screenPos)
{
    if (!UseCustomCtxMenu)
        return S_FALSE;
    if (PopupMenu)
        PopupMenu->popup(screenPos);
    return S_OK;
}

// --- TWBGoogleMaps ---

TWBGoogleMaps::TWBGoogleMaps(QWebEngineView *HostedBrowser)
    : TWBContainer(HostedBrowser)
    , bridge_(std::make_unique<ScriptBridge>())
{
    Show3DBorder = false;
    ShowScrollBars = false;
    applyHostInfo();
    bridgeId_ = MapService::registerBridge(bridge_.get());
    bridge_->setExternalProvider([this](DispatchRef &d) { return GetExternal(d); });

    // The page's external object, and only in the map container's pages.
    QWebEngineScript external;
    external.setName(QString::fromLatin1(BridgeScript));
    external.setInjectionPoint(QWebEngineScript::DocumentCreation);
    external.setWorldId(QWebEngineScript::MainWorld);
    external.setRunsOnSubFrames(false);
    external.setSourceCode(ScriptBridge::pageScript(MapService::bridgeEndpoint(bridgeId_)));
    HostedBrowser->page()->scripts().insert(external);

    QWebEnginePage *page = HostedBrowser->page();
    if (auto *host = dynamic_cast<HostPage *>(page))
        host->restrictToOwnLoads();
    connect(page, &QWebEnginePage::loadStarted, this, [this] { readyState_ = 1; });
    connect(page, &QWebEnginePage::loadFinished, this, [this](bool) { readyState_ = 4; });
    connect(page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                if (status != QWebEnginePage::NormalTerminationStatus)
                    rendererGone_ = true;
            });
}

TWBGoogleMaps::~TWBGoogleMaps()
{
    MapService::unregisterBridge(bridgeId_);
    bridge_->releaseAll();
}

void TWBGoogleMaps::LoadDefaultGoogleMapsDocument(const QString &Lat, const QString &Long)
{
    LoadHTML(MapDocument::compose(Lat, Long, MapService::config().apiHost));
    fLoadedGoogleMaps = true;
}

void TWBGoogleMaps::PrepareEngine()
{
    QWebEngineView *view = HostedBrowser();
    if (!view || preparing_ || readyState_ != 0)
        return;
    preparing_ = true;
    auto *page = view->page();
    QObject *once = new QObject(this);
    connect(page, &QWebEnginePage::loadFinished, once, [this, once] {
        preparing_ = false;
        readyState_ = 0;
        once->deleteLater();
    });
    if (auto *host = dynamic_cast<HostPage *>(page))
        host->expectOwnLoad();
    // The map API in it: the renderer compiles it now, not at the first map.
    const QByteArray document = "<html><head><script src=\"http://" + MapService::config().apiHost.toUtf8()
        + "/maps?file=api&amp;v=2\"></script></head><body></body></html>";
    page->setContent(document, QStringLiteral("text/html"), DocumentUrl);
}

void TWBGoogleMaps::LoadHTML(const QString &HTMLCode)
{
    QWebEngineView *view = HostedBrowser();
    if (!view)
        return;
    if (preparing_) {
        // The engine is still starting: the map document follows its empty
        // one, or the end of the first load would be taken for its own.
        // Like the load below, the window stays usable meanwhile.
        BoundedWait prepared(LoadTimeoutMs, BoundedWait::Input::Allowed);
        prepared.wakeOn(view->page(), &QWebEnginePage::loadFinished).until([this] { return !preparing_; });
    }
    applyHostInfo();
    loadedBytes_ = MapDocument::bytesOf(HTMLCode);
    bridge_->releaseAll();
    readyState_ = 1;
    rendererGone_ = false;
    // Every event is processed while the document loads: the page's own
    // script calls back into the program meanwhile, and the user can still
    // close a picker whose page hangs.
    BoundedWait wait(LoadTimeoutMs, BoundedWait::Input::Allowed);
    wait.wakeOn(view->page(), &QWebEnginePage::loadFinished);
    if (auto *page = dynamic_cast<HostPage *>(view->page()))
        page->expectOwnLoad();
    view->page()->setContent(loadedBytes_, QStringLiteral("text/html;charset=windows-1252"), DocumentUrl);
    wait.until([this] { return readyState_ >= 3; });
}

void TWBGoogleMaps::ExecJS(const QString &javascript)
{
    QWebEngineView *view = HostedBrowser();
    if (!view || readyState_ == 0)
        return;
    if (bridge_->inCall()) {
        // The page waits in a call to the program: the script runs in the
        // page when that call returns, and a failure throws there.
        bridge_->queueScript(javascript);
        return;
    }
    if (rendererGone_)
        throw NembraError(QStringLiteral("Die Karte antwortet nicht mehr"));
    const QString wrapped = QStringLiteral("(function(){try{(0,eval)(%1);return null;}catch(e){return String(e);}})()")
                                .arg(jsString(javascript));
    // Shared with the callback, which may come after this call gave up.
    struct Outcome {
        bool done = false;
        QVariant value;
        QPointer<BoundedWait> wait;
    };
    auto outcome = std::make_shared<Outcome>();
    // As the load: the page's script may call into the program while it runs.
    BoundedWait wait(ScriptTimeoutMs, BoundedWait::Input::Allowed);
    outcome->wait = &wait;
    view->page()->runJavaScript(wrapped, QWebEngineScript::MainWorld, [outcome](const QVariant &result) {
        outcome->value = result;
        outcome->done = true;
        if (outcome->wait)
            outcome->wait->wake();
    });
    wait.wakeOn(view->page(), &QWebEnginePage::renderProcessTerminated);
    wait.until([this, &outcome] { return outcome->done || rendererGone_; });
    outcome->wait = nullptr;
    if (!outcome->done)
        throw NembraError(QStringLiteral("Die Karte antwortet nicht mehr"));
    if (outcome->value.isValid() && !outcome->value.isNull())
        throw NembraError(outcome->value.toString());
}

HRESULT TWBGoogleMaps::GetExternal(DispatchRef &ppDispatch)
{
    ppDispatch = DispatchRef();
    if (!OnGetExternal)
        return E_FAIL;
    return OnGetExternal(ppDispatch);
}

QString TWBGoogleMaps::bridgeEndpoint() const
{
    return MapService::bridgeEndpoint(bridgeId_);
}
