#include "KartenPunkte.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>
#include <QWebEngineView>

#include "BoundedWait.h"
#include "ErrorGuard.h"
#include "FormFont.h"
#include "KeyPressFilter.h"
#include "MapDocument.h"
#include "NembraError.h"
#include "PickedCoordinate.h"
#include "WBContainer.h"
#include "ui_KartenPunkte.h"

TForm2 *Form2 = nullptr;

namespace {
const QEvent::Type FirstShowEvent = QEvent::Type(QEvent::User + 0x235);
} // namespace

TForm2::TForm2(const QString &settingsDir, QWidget *parent)
    : QDialog(parent)
    , m_ui(new Ui::TForm2)
    , settingsDir_(settingsDir.endsWith(u'/') ? settingsDir : settingsDir + u'/')
{
    m_ui->setupUi(this);
    applyFormFont(this, 0, 11);
    resize(662, 504);
    m_ui->Splitter1->setStretchFactor(0, 1);
    m_ui->Splitter1->setStretchFactor(1, 0);
    m_ui->Splitter1->setSizes({662 - 157 - m_ui->Splitter1->handleWidth(), 157});
    enterPressesButtons(this);
    // The frame around the map shows where the keyboard is.
    m_ui->BrowserHost->setAutoFillBackground(true);
    showMapFocus(false);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        showMapFocus(webBrowser_ && now && (now == webBrowser_ || webBrowser_->isAncestorOf(now)));
    });
    connect(m_ui->Edit1, &QLineEdit::textChanged, this, [this] { guarded([this] { showGridFields(); }); });
    connect(m_ui->BtnReturnData, &QPushButton::clicked, this, [this] { guarded([this] { accept(); }); });
    Form2 = this;
    FormCreate();
}

TForm2::~TForm2()
{
    FormDestroy();
    if (Form2 == this)
        Form2 = nullptr;
    delete m_ui;
}

QLineEdit *TForm2::Edit1() const
{
    return m_ui->Edit1;
}

QLineEdit *TForm2::EditHoehe() const
{
    return m_ui->EditHoehe;
}

QLineEdit *TForm2::EditRaster() const
{
    return m_ui->EditRaster;
}

QLineEdit *TForm2::EditGK() const
{
    return m_ui->EditGK;
}

std::optional<MapPickResult> TForm2::pickCoordinate(const MapPickRequest &request)
{
    request_ = request;
    m_ui->LabelRaster->setText(!request.grid                                 ? QStringLiteral("Raster")
                                   : *request.grid == MapGrid::Notation::QYX ? QStringLiteral("Raster (QYX)")
                                                                             : QStringLiteral("Raster (QQQ)"));
    m_ui->LabelGK->setText(request.strip ? QStringLiteral("Gauß-Krüger (GKr%1)").arg(request.strip)
                                         : QStringLiteral("Gauß-Krüger"));
    m_ui->LabelGK->setVisible(request.strip != 0);
    m_ui->EditGK->setVisible(request.strip != 0);
    showGridFields();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return MapPickResult{m_ui->Edit1->text(), m_ui->EditRaster->text()};
}

void TForm2::showGridFields()
{
    // "Edit1" as the page writes it ("lat, lng"); the user may edit it.
    std::optional<MapGrid::LatLng> point;
    if (const auto plain = plainPoint(m_ui->Edit1->text()))
        point = MapGrid::LatLng{plain->lat.toDouble(), plain->lng.toDouble()};
    const auto cell = point && request_.grid ? MapGrid::cellOf(*point, *request_.grid) : std::nullopt;
    const auto gk = point && request_.strip ? MapGrid::gaussKrueger(*point, request_.strip) : std::nullopt;
    m_ui->EditRaster->setText(cell.value_or(QString()));
    m_ui->EditGK->setText(gk.value_or(QString()));
}

void TForm2::FormCreate()
{
    // The map container and its browser come with the first show.
}

void TForm2::createBrowser()
{
    if (fWBGoogleMaps)
        return;
    webBrowser_ = new QWebEngineView(m_ui->BrowserHost);
    webBrowser_->setObjectName(QStringLiteral("WebBrowser1"));
    m_ui->BrowserLayout->addWidget(webBrowser_);
    fWBGoogleMaps = std::make_unique<TWBGoogleMaps>(webBrowser_);
    fWBGoogleMaps->OnGetExternal = [this](DispatchRef &d) { return WBOnGetExternal(d); };
    // The map needs one command of its own, not the browser's menu for web
    // pages (back, forward, view source).
    mapMenu_ = new QMenu(this);
    mapMenu_->setObjectName(QStringLiteral("MapMenu"));
    mapMenu_->addAction(QStringLiteral("Karte &neu laden"), this, [this] { guarded([this] { reloadMap(); }); });
    fWBGoogleMaps->UseCustomCtxMenu = true;
    fWBGoogleMaps->PopupMenu = mapMenu_;
    // The view keeps Esc for the page; the picker closes on it all the same.
    webBrowser_->installEventFilter(this);
    for (QWidget *child : webBrowser_->findChildren<QWidget *>())
        child->installEventFilter(this);
    setTabOrder(webBrowser_, m_ui->Edit1);
    setTabOrder(m_ui->Edit1, m_ui->EditHoehe);
    setTabOrder(m_ui->EditHoehe, m_ui->EditRaster);
    setTabOrder(m_ui->EditRaster, m_ui->EditGK);
    setTabOrder(m_ui->EditGK, m_ui->BtnReturnData);
}

void TForm2::warmUp()
{
    if (fWBGoogleMaps)
        return; // made already, by an earlier warm-up or by the map itself
    createBrowser();
    fWBGoogleMaps->PrepareEngine();
}

bool TForm2::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ChildAdded && watched == webBrowser_) {
        if (auto *child = qobject_cast<QWidget *>(static_cast<QChildEvent *>(event)->child()))
            child->installEventFilter(this);
    } else if ((event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)
               && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape
               && static_cast<QKeyEvent *>(event)->modifiers() == Qt::NoModifier) {
        if (event->type() == QEvent::KeyPress)
            reject();
        event->accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TForm2::showMapFocus(bool focused)
{
    QPalette palette = m_ui->BrowserHost->palette();
    palette.setColor(QPalette::Window,
                     focused ? palette.color(QPalette::Highlight) : this->palette().color(QPalette::Window));
    m_ui->BrowserHost->setPalette(palette);
}

void TForm2::reloadMap()
{
    if (!fWBGoogleMaps)
        return;
    // The centre the map shows now becomes the start position, as at a close.
    try {
        GetMapCenter();
    } catch (const std::exception &) {
    }
    OnShowCallback();
    if (const auto point = plainPoint(m_ui->Edit1->text())) {
        SetMarker(point->lat, point->lng);
        SetMapCenter(point->lat, point->lng);
    }
}

void TForm2::FormDestroy()
{
    // The container detaches from the view before the view goes.
    fWBGoogleMaps.reset();
}

void TForm2::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    guarded([this] { FormShow(); });
}

void TForm2::FormShow()
{
    if (QScreen *screen = this->screen()) {
        // On a screen smaller than the picker it takes the room there is.
        const QSize frame = frameGeometry().size() - geometry().size();
        resize(size().boundedTo(screen->availableGeometry().size() - frame));
        move(screen->availableGeometry().topLeft());
    }
    if (done) {
        if (webBrowser_)
            webBrowser_->setFocus(Qt::ActiveWindowFocusReason);
        // The page's renderer died since the last showing: the document
        // comes again, at the centre last stored.
        if (fWBGoogleMaps && fWBGoogleMaps->rendererGone())
            QCoreApplication::postEvent(this, new QEvent(FirstShowEvent));
        return;
    }
    createBrowser();
    // The map comes first in the tab order, and the keyboard starts there.
    focusMapAtLoad_ = true;
    QCoreApplication::postEvent(this, new QEvent(FirstShowEvent));
    done = true;
}

bool TForm2::event(QEvent *event)
{
    if (event->type() == FirstShowEvent) {
        guarded([this] { OnShowCallback(); });
        return true;
    }
    return QDialog::event(event);
}

void TForm2::OnShowCallback()
{
    const AppSettings::MapLocation start = ReadStartLocation();
    fWBGoogleMaps->LoadDefaultGoogleMapsDocument(start.lat, start.lng);
    // The page's surface exists now: at the first showing the keyboard
    // starts on the map.
    if (std::exchange(focusMapAtLoad_, false))
        webBrowser_->setFocus(Qt::ActiveWindowFocusReason);
    fAllowResizeHandler = true;
    FormResize();
}

void TForm2::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    guarded([this] { FormResize(); });
}

void TForm2::FormResize()
{
    if (!fAllowResizeHandler || !fWBGoogleMaps || !fWBGoogleMaps->LoadedGoogleMaps())
        return;
    // Not for ever: a page that never finishes loading is left as it is.
    // Every event is processed, so the page's callbacks run and the window
    // can be closed while the page loads; its state is asked every 50 ms.
    BoundedWait loaded(TWBGoogleMaps::LoadTimeoutMs, BoundedWait::Input::Allowed);
    loaded.pollEvery(50).until([this] { return fWBGoogleMaps->ReadyState() >= 4; });
    if (fWBGoogleMaps->ReadyState() < 4 || fWBGoogleMaps->rendererGone())
        return;
    fWBGoogleMaps->ExecJS(MapDocument::resizeScript(webBrowser_->height()));
}

void TForm2::accept()
{
    guarded([this] { FormClose(); });
    QDialog::accept();
}

void TForm2::reject()
{
    guarded([this] { FormClose(); });
    QDialog::reject();
}

void TForm2::FormClose()
{
    // A point still waiting for its altitude goes with the window.
    pendingPoint_.clear();
    writeError_.clear();
    try {
        GetMapCenter();
    } catch (const std::exception &) {
        // No map in the page (no connection): there is no centre to store,
        // and the window closes all the same.
    }
    if (!writeError_.isEmpty())
        throw NembraError(writeError_);
}

void TForm2::ClearMarkers()
{
    fWBGoogleMaps->ExecJS(MapDocument::clearMarkersScript());
}

void TForm2::SetMarker(const QString &sLat, const QString &sLong)
{
    fWBGoogleMaps->ExecJS(MapDocument::setMarkerScript(sLat, sLong));
}

void TForm2::SetMapCenter(const QString &sLat, const QString &sLong)
{
    fWBGoogleMaps->ExecJS(MapDocument::setMapCenterScript(sLat, sLong));
}

void TForm2::GetMapCenter()
{
    if (fWBGoogleMaps)
        fWBGoogleMaps->ExecJS(MapDocument::getMapCenterScript());
}

HRESULT TForm2::WBOnGetExternal(DispatchRef &ppDispatch)
{
    ppDispatch = DispatchRef(new TAutoObjectDispatch(new TExtJavaScript(QCoreApplication::instance()), true));
    return S_OK;
}

AppSettings::MapLocation TForm2::ReadStartLocation() const
{
    return AppSettings::readStartLocation(settingsDir_);
}

void TForm2::WriteStartLocation(const QString &sLat, const QString &sLong)
{
    QString reason;
    if (!AppSettings::writeStartLocation(settingsDir_, {sLat, sLong}, &reason)) {
        const QString message = QStringLiteral("In %1 kann nicht geschrieben werden: %2")
                                    .arg(AppSettings::settingsPath(settingsDir_), reason);
        writeError_ = message;
        throw NembraError(message);
    }
}

ElevationOutcome TForm2::elevationOf(const QString &Coordinate)
{
    ElevationService service = elevation_;
    // The account in the settings picks GeoNames; without one the public
    // service answers.
    const QString account = AppSettings::geoNamesUser(settingsDir_);
    if (!account.isEmpty())
        service.user = account;
    return LookupElevation(Coordinate, service);
}

void TForm2::pickPoint(const QString &sLat, const QString &sLong)
{
    const QString coordinate = sLat + QStringLiteral(", ") + sLong;
    m_ui->Edit1->setText(coordinate);
    m_ui->EditHoehe->clear();
    ClearMarkers();
    SetMarker(sLat, sLong);
    // The altitude is looked up after the page's call has returned, so the
    // page stays free; a click while a lookup runs replaces the point that
    // waits, and only the newest point's altitude (or failure) is shown.
    pendingPoint_ = coordinate;
    if (lookupScheduled_ || lookingUp_)
        return;
    lookupScheduled_ = true;
    QTimer::singleShot(0, this, [this] { guarded([this] { runLookups(); }); });
}

void TForm2::runLookups()
{
    lookupScheduled_ = false;
    lookingUp_ = true;
    const auto done = qScopeGuard([this] { lookingUp_ = false; });
    while (!pendingPoint_.isEmpty()) {
        const QString coordinate = std::exchange(pendingPoint_, QString());
        const ElevationOutcome outcome = elevationOf(coordinate);
        if (!pendingPoint_.isEmpty())
            continue; // superseded while it ran
        m_ui->EditHoehe->setText(outcome.altitude);
        if (outcome.failure != ElevationOutcome::Failure::None)
            messages().show(Messages::Kind::Warning, outcome.message);
    }
}

namespace {

// The page's numbers go into the form, the settings file and the next map
// document; only plain numbers in range are taken.
PlainPoint pagePoint(const QString &sLat, const QString &sLong)
{
    const auto point = plainPoint(sLat, sLong);
    if (!point)
        throw NembraError(QStringLiteral("Ungültige Koordinate"));
    return *point;
}

} // namespace

void TExtJavaScript::NewCoordinate(const QString &sLat, const QString &sLong)
{
    const auto [lat, lng] = pagePoint(sLat, sLong);
    if (TForm2 *picker = Form2)
        picker->pickPoint(lat, lng);
}

void TExtJavaScript::NewCenterCoordinate(const QString &sLat, const QString &sLong)
{
    const auto [lat, lng] = pagePoint(sLat, sLong);
    if (Form2)
        Form2->WriteStartLocation(lat, lng);
}
