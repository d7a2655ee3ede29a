#include <csignal>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "AppFolder.h"
#include "BrowserTest.h"
#include "DozadiRad.h"
#include "Elevation.h"
#include "ElevationServer.h"
#include "KartenPunkte.h"
#include "MapGrid.h"
#include "NembraApplication.h"
#include "NembraError.h"
#include "Ping5.h"
#include "RecordingMessages.h"
#include "WBContainer.h"
#include "WidgetTest.h"

using BrowserTest::eval;
using BrowserTest::waitFor;
using Kind = Messages::Kind;

namespace {
} // namespace

// The map picker in a real browser, opened from the observation form's map
// button with the connectivity check against 127.0.0.1 and a loopback
// server standing in for the elevation service.
class TestMapPicker : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void elevation_data();
    void elevation();
    void elevationRequestNamesTheAccount();
    void firstOpeningAtDefaultCentre();
    void clickShowsCoordinateMarkerAndAltitude();
    void returnTakesOverTheCoordinate_data();
    void returnTakesOverTheCoordinate();
    void closingStoresTheCentre();
    void failedCentreWriteNamesItsReason();
    void secondOpeningKeepsTheMap();
    void failedConnectivityOpensNothing();
    void pageValuesMustBePlainNumbers();
    void keyboardStartsOnTheMapAndEscCloses();
    void reloadKeepsTheMapAndItsMarker();
    void gridCellAndGaussKruegerOfTheClick_data();
    void gridCellAndGaussKruegerOfTheClick();
    void warmedUpEngineOpensTheMap_data();
    void warmedUpEngineOpensTheMap();
    void wholeFlowThroughTheProgram();
    void impatientClicksGiveOneLookupForTheNewestPoint();
    void deadRendererDoesNotHangThePicker();

private:
    // Opens the picker with the map button and runs steps inside it once the
    // map has loaded; steps end by closing the picker.
    void openPicker(const std::function<void()> &steps);
    QWebEnginePage *page() const { return picker_->WebBrowser1()->page(); }
    void clickMap(QPoint at = QPoint());
    void reportClick(const QString &lat, const QString &lng);
    // The altitude the picker shows for a point, looked up as a click on the
    // map looks it up (no document is needed for that).
    QString altitudeShownFor(const QString &lat, const QString &lng)
    {
        picker_->createBrowser();
        picker_->pickPoint(lat, lng);
        if (!QTest::qWaitFor([this] { return !picker_->lookingUp(); }, 5000))
            qWarning("the lookup did not end");
        return picker_->EditHoehe()->text();
    }
    QLineEdit *formEdit(const char *name) const { return controlOf<QLineEdit>(*form_, name); }
    QString iniText() const
    {
        QFile f(app_->path() + "Nembra.ini");
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
    }

    std::unique_ptr<AppFolder> app_;
    std::unique_ptr<RecordingMessages> msgs_;
    std::unique_ptr<ElevationServer> server_;
    std::unique_ptr<TForm1> form_;
    std::unique_ptr<TForm2> picker_;
};

void TestMapPicker::init()
{
    app_ = std::make_unique<AppFolder>();
    app_->writeTaxa({"Abies alba"});
    app_->writeObservers({"Müller, Hans"});
    QDir().mkpath(app_->path() + "Data");
    msgs_ = std::make_unique<RecordingMessages>();
    server_ = std::make_unique<ElevationServer>();
    PingInitialise();
    form_ = std::make_unique<TForm1>(app_->path());
    form_->setPingHost("127.0.0.1");
    // Where no ICMP socket is allowed, a listener on this machine plays the
    // tile host of the connectivity check.
    form_->setTileProbe("127.0.0.1", server_->port());
    picker_ = std::make_unique<TForm2>(app_->path(), form_.get());
    picker_->elevationService().host = server_->host();
    picker_->elevationService().openHost = server_->host();
    picker_->elevationService().scheme = "http";
    picker_->elevationService().user = "test";
    picker_->elevationService().timeoutMs = 1500;
    form_->setMapPicker([picker = picker_.get()](const MapPickRequest &r) { return picker->pickCoordinate(r); });
    form_->show();
    QApplication::setActiveWindow(form_.get());
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
}

void TestMapPicker::cleanup()
{
    picker_.reset();
    form_.reset();
    server_.reset();
    msgs_.reset();
    app_.reset();
}

void TestMapPicker::openPicker(const std::function<void()> &steps)
{
    bool ran = false;
    // The steps belong to an object of this function's own: they never run
    // after the function returned (the picker may not have opened at all).
    QObject scope;
    QTimer::singleShot(0, &scope, [&] {
        QVERIFY(QTest::qWaitForWindowExposed(picker_.get()));
        QVERIFY(picker_->WebBrowser1());
        QTRY_VERIFY_WITH_TIMEOUT(picker_->allowResizeHandler(), 15000);
        QVERIFY(waitFor(page(), "typeof map === 'object' && map !== null && !!map._map"));
        // The map has taken on the height the picker gave its element.
        QVERIFY(waitFor(page(), "map._map.getSize().y === document.getElementById('map').offsetHeight"));
        ran = true;
        steps();
        if (picker_->isVisible())
            picker_->reject();
    });
    QTest::mouseClick(controlOf<QToolButton>(*form_, "LMDButton1"), Qt::LeftButton);
    QVERIFY(ran);
}

void TestMapPicker::clickMap(QPoint at)
{
    QWidget *surface = picker_->WebBrowser1()->focusProxy();
    if (at.isNull())
        at = QPoint(picker_->WebBrowser1()->width() / 2, picker_->WebBrowser1()->height() / 2);
    QTest::mouseMove(surface, at);
    QTest::mouseClick(surface, Qt::LeftButton, {}, at);
}

void TestMapPicker::reportClick(const QString &lat, const QString &lng)
{
    // The page's own call, as its click handler makes it.
    eval(page(), QStringLiteral("external.newCoordinate('%1', '%2')").arg(lat, lng));
}

void TestMapPicker::elevation_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("altitude");
    QTest::addColumn<QString>("warning");
    QTest::newRow("altitude with line end") << 200 << QByteArray("123\r\n") << "123"
                                            << "";
    QTest::newRow("error status: a warning") << 500 << QByteArray("kaputt") << ""
                                             << "Unbekannter Fehler";
}

void TestMapPicker::elevation()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, altitude);
    QFETCH(QString, warning);
    server_->status = status;
    server_->body = body;
    QCOMPARE(altitudeShownFor("49.45187", "6.660718"), altitude);
    QCOMPARE(msgs_->texts(), warning.isEmpty() ? QStringList() : QStringList{warning});
    if (!warning.isEmpty())
        QCOMPARE(msgs_->shown[0].kind, Kind::Warning);
}

void TestMapPicker::elevationRequestNamesTheAccount()
{
    app_->writeIni("[Map]\r\nGeoNamesUser=feldbiologe\r\n");
    altitudeShownFor("50.1", "8.2");
    QCOMPARE(server_->paths, QList<QByteArray>{"/srtm3?lat=50.1&lng=8.2&username=feldbiologe"});
}

void TestMapPicker::firstOpeningAtDefaultCentre()
{
    openPicker([&] {
        QCOMPARE(picker_->windowTitle(), QStringLiteral("Google Maps Koordinaten Picker"));
        QCOMPARE(picker_->pos(), picker_->screen()->availableGeometry().topLeft());
        QCOMPARE(eval(page(), "map.getCenter().y").toDouble(), 49.45187);
        QCOMPARE(eval(page(), "map.getCenter().x").toDouble(), 6.6607189);
        QCOMPARE(eval(page(), "map.getZoom()").toInt(), 14);
        // The map fills the browser view.
        QCOMPARE(eval(page(), "document.getElementById('map').offsetHeight").toInt(), picker_->WebBrowser1()->height());
        // No text of the picker is cut in its font.
        for (QLabel *label : picker_->findChildren<QLabel *>())
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width(),
                     qPrintable(label->text()));
        auto *back = controlOf<QPushButton>(*picker_, "BtnReturnData");
        QVERIFY(back->fontMetrics().horizontalAdvance(back->text()) + 8 <= back->width());
        // Enter on the focused "Zurück" presses it.
        back->setFocus();
        QTest::keyClick(back, Qt::Key_Return);
    });
    QVERIFY(!picker_->isVisible());
    QCOMPARE(formEdit("Edit5")->text(), QString());
    QCOMPARE(form_->focusWidget(), formEdit("Edit5"));
    QVERIFY(msgs_->shown.isEmpty());
}

void TestMapPicker::clickShowsCoordinateMarkerAndAltitude()
{
    openPicker([&] {
        clickMap();
        QTRY_VERIFY_WITH_TIMEOUT(!picker_->EditHoehe()->text().isEmpty(), 5000);
        const QString coordinate = picker_->Edit1()->text();
        const QStringList parts = coordinate.split(", ");
        QCOMPARE(parts.size(), 2);
        // The middle of the view is the map's centre, also after the map was fitted to the view.
        QVERIFY2(qAbs(parts[0].toDouble() - 49.45187) < 0.0002 && qAbs(parts[1].toDouble() - 6.6607189) < 0.0002,
                 qPrintable(coordinate));
        QCOMPARE(picker_->EditHoehe()->text(), QStringLiteral("123"));
        QCOMPARE(server_->paths,
                 QList<QByteArray>{("/srtm3?lat=" + parts[0] + "&lng=" + parts[1] + "&username=test").toLatin1()});
        QVERIFY(waitFor(page(), "markersArray.length === 1"));

        // A second click moves the one marker.
        server_->body = "200\r\n";
        clickMap(QPoint(picker_->WebBrowser1()->width() / 2 + 60, picker_->WebBrowser1()->height() / 2 + 40));
        QTRY_COMPARE_WITH_TIMEOUT(picker_->EditHoehe()->text(), QStringLiteral("200"), 5000);
        QVERIFY(picker_->Edit1()->text() != coordinate);
        QVERIFY(waitFor(page(),
                        "markersArray.length === 1 && document.querySelectorAll('.leaflet-marker-icon').length === 1"));
        const double markerLat = eval(page(), "markersArray[0].getLatLng().y").toDouble();
        QVERIFY(qAbs(markerLat - picker_->Edit1()->text().split(", ")[0].toDouble()) < 1e-6);
    });
    QVERIFY(msgs_->shown.isEmpty());
}

void TestMapPicker::returnTakesOverTheCoordinate_data()
{
    QTest::addColumn<QString>("lat");
    QTest::addColumn<QString>("lng");
    QTest::addColumn<QString>("reference");
    QTest::newRow("start position") << "49.451870"
                                    << "6.6607189"
                                    << "49,45187N;6,66071E";
    QTest::newRow("south and west") << "-33.868"
                                    << "-70.12345"
                                    << "33,868S;70,12345W";
    QTest::newRow("north and west") << "52.1"
                                    << "-0.5"
                                    << "52,1N;0,5W";
}

void TestMapPicker::returnTakesOverTheCoordinate()
{
    QFETCH(QString, lat);
    QFETCH(QString, lng);
    QFETCH(QString, reference);
    formEdit("Edit3")->setFocus();
    openPicker([&] {
        reportClick(lat, lng);
        QTRY_COMPARE(picker_->Edit1()->text(), lat + ", " + lng);
        QTest::mouseClick(controlOf<QPushButton>(*picker_, "BtnReturnData"), Qt::LeftButton);
    });
    QCOMPARE(formEdit("Edit5")->text(), reference);
    QCOMPARE(controlOf<QComboBox>(*form_, "ComboBox1")->currentText(), QStringLiteral("Breite/Länge - WGS84 (LTLN)"));
    QCOMPARE(form_->focusWidget(), formEdit("Edit5"));

    // The close button takes nothing over.
    formEdit("Edit5")->setText("3512345;5412345");
    controlOf<QComboBox>(*form_, "ComboBox1")->setCurrentIndex(2);
    openPicker([&] { picker_->close(); });
    QCOMPARE(formEdit("Edit5")->text(), QStringLiteral("3512345;5412345"));
    QCOMPARE(controlOf<QComboBox>(*form_, "ComboBox1")->currentIndex(), 2);
    QCOMPARE(form_->focusWidget(), formEdit("Edit5"));
}

void TestMapPicker::failedCentreWriteNamesItsReason()
{
    QVERIFY(QDir().mkdir(app_->path() + "Nembra.ini"));
    QString message;
    try {
        TExtJavaScript(qApp).NewCenterCoordinate("50.1", "8.2");
    } catch (const NembraError &e) {
        message = e.message();
    }
    QCOMPARE(message,
             "In " + app_->path()
                 + "Nembra.ini kann nicht geschrieben werden: "
                   "Die Datei kann nicht gelesen werden: Es ist keine gewöhnliche Datei.");
}

void TestMapPicker::closingStoresTheCentre()
{
    app_->writeIni("; eigene Notiz\r\n[Settings]\r\nUSR=FALSE\r\n");
    openPicker([&] {
        eval(page(), "SetMapCenter('50.1', '8.2')");
        picker_->close();
    });
    // The centre as the page reports it (at most 9 characters of each number).
    const QString ini = iniText();
    const AppSettings::MapLocation stored = AppSettings::readStartLocation(app_->path());
    QCOMPARE(stored.lat.toDouble(), 50.1);
    QVERIFY2(qAbs(stored.lng.toDouble() - 8.2) < 1e-6, qPrintable(ini));
    QVERIFY2(ini.contains("StartingLocationLat=50.1\r\n"), qPrintable(ini));
    QVERIFY(ini.contains("; eigene Notiz") && ini.contains("USR=FALSE"));

    // The page's report arrives unchanged.
    TExtJavaScript(qApp).NewCenterCoordinate("50.1", "8.2");
    QVERIFY(iniText().contains("[Map]\r\nStartingLocationLat=50.1\r\nStartingLocationLong=8.2\r\n"));

    // The next run of the program opens there.
    picker_ = std::make_unique<TForm2>(app_->path(), form_.get());
    picker_->elevationService().host = server_->host();
    picker_->elevationService().scheme = "http";
    picker_->elevationService().user = "test";
    form_->setMapPicker([picker = picker_.get()](const MapPickRequest &r) { return picker->pickCoordinate(r); });
    openPicker([&] {
        QCOMPARE(eval(page(), "map.getCenter().y").toDouble(), 50.1);
        QCOMPARE(eval(page(), "map.getCenter().x").toDouble(), 8.2);
        picker_->close();
    });
}

void TestMapPicker::secondOpeningKeepsTheMap()
{
    openPicker([&] {
        reportClick("49.46", "6.67");
        QTRY_COMPARE(picker_->EditHoehe()->text(), QStringLiteral("123"));
        eval(page(), "SetMapCenter('49.5', '6.7')");
        QTest::mouseClick(controlOf<QPushButton>(*picker_, "BtnReturnData"), Qt::LeftButton);
    });
    formEdit("Edit5")->clear();
    openPicker([&] {
        QCOMPARE(eval(page(), "map.getCenter().y").toDouble(), 49.5);
        QCOMPARE(eval(page(), "markersArray.length").toInt(), 1);
        QCOMPARE(picker_->Edit1()->text(), QStringLiteral("49.46, 6.67"));
        QCOMPARE(picker_->EditHoehe()->text(), QStringLiteral("123"));
        QTest::mouseClick(controlOf<QPushButton>(*picker_, "BtnReturnData"), Qt::LeftButton);
    });
    QCOMPARE(formEdit("Edit5")->text(), QStringLiteral("49,46N;6,67E"));
}

void TestMapPicker::failedConnectivityOpensNothing()
{
    PingInitialise(nullptr);
    form_->setTileProbe("127.0.0.1", 9);
    formEdit("Edit3")->setFocus();
    QTest::mouseClick(controlOf<QToolButton>(*form_, "LMDButton1"), Qt::LeftButton);
    QVERIFY(!picker_->isVisible());
    QVERIFY(!picker_->WebBrowser1());
    QCOMPARE(msgs_->shown.size(), 1);
    QVERIFY(msgs_->shown[0].text.startsWith("Sie haben vermutlich keine Verbindung mit dem Internet"));
    QCOMPARE(form_->focusWidget(), formEdit("Edit5"));
}

void TestMapPicker::pageValuesMustBePlainNumbers()
{
    // A damaged or crafted start position never reaches the map document:
    // the map opens at the default centre.
    app_->writeIni("[Map]\r\nStartingLocationLat=49.4);alert(1);//\r\nStartingLocationLong=def\r\n");
    openPicker([&] {
        QCOMPARE(eval(page(), "map.getCenter().y").toDouble(), 49.45187);
        QCOMPARE(eval(page(), "map.getCenter().x").toDouble(), 6.6607189);
        // A page that reports something else than a number is refused: no
        // point in the picker, no marker, no line in the settings file.
        const QString refused = eval(page(),
                                     "(function(){ try { external.newCoordinate('1\\r\\n[Settings]', '2');"
                                     " return 'taken'; } catch (e) { return String(e); } })()")
                                    .toString();
        QVERIFY2(refused.contains("Ungültige Koordinate"), qPrintable(refused));
        QCOMPARE(picker_->Edit1()->text(), QString());
        QCOMPARE(eval(page(), "markersArray.length").toInt(), 0);
        eval(page(), "map.getCenter = function(){ return { y: '50.1\\r\\n[Settings]\\r\\nUSR=FALSE', x: '7' }; }");
        picker_->Edit1()->setText("49.451870, 6.6607189");
        QTest::mouseClick(controlOf<QPushButton>(*picker_, "BtnReturnData"), Qt::LeftButton);
    });
    QVERIFY(!picker_->isVisible());
    // The point is taken over all the same; the crafted centre is not stored.
    QCOMPARE(formEdit("Edit5")->text(), QStringLiteral("49,45187N;6,66071E"));
    QVERIFY2(!iniText().contains("Settings"), qPrintable(iniText()));
    QVERIFY(msgs_->shown.isEmpty());
}

void TestMapPicker::keyboardStartsOnTheMapAndEscCloses()
{
    openPicker([&] {
        QWidget *view = picker_->WebBrowser1();
        QApplication::setActiveWindow(picker_.get());
        QWidget *focused = picker_->focusWidget();
        QVERIFY(focused && (focused == view || view->isAncestorOf(focused)));
        // A frame in the highlight colour shows that the keys go to the map,
        // and goes when the focus moves on.
        QWidget *host = controlOf<QWidget>(*picker_, "BrowserHost");
        const QColor highlight = picker_->palette().color(QPalette::Highlight);
        QCOMPARE(host->grab().toImage().pixelColor(0, 0), highlight);
        picker_->Edit1()->setFocus();
        QTRY_VERIFY(host->grab().toImage().pixelColor(0, 0) != highlight);
        view->setFocus();
        QTRY_COMPARE(host->grab().toImage().pixelColor(0, 0), highlight);

        // Esc with the map focused closes the picker as its close button
        // does: the point is not taken over.
        picker_->Edit1()->setText("50.1, 7.2");
        QTest::keyClick(view->focusProxy(), Qt::Key_Escape);
        QTRY_VERIFY(!picker_->isVisible());
    });
    QCOMPARE(formEdit("Edit5")->text(), QString());
}

void TestMapPicker::reloadKeepsTheMapAndItsMarker()
{
    openPicker([&] {
        reportClick("49.5", "6.7");
        QCOMPARE(eval(page(), "markersArray.length").toInt(), 1);
        // A right click on the map offers the map's one command, in German.
        QMenu *menu = picker_->mapMenu();
        QSignalSpy shown(menu, &QMenu::aboutToShow);
        QTest::mouseClick(picker_->WebBrowser1()->focusProxy(), Qt::RightButton, {}, QPoint(100, 100));
        QTRY_COMPARE(shown.size(), 1);
        QCOMPARE(menu->actions().size(), 1);
        QCOMPARE(menu->actions().constFirst()->text(), QStringLiteral("Karte &neu laden"));
        menu->hide();
        eval(page(), "window.before = true");
        menu->actions().constFirst()->trigger();
        QVERIFY(waitFor(page(), "typeof map === 'object' && map !== null && !!map._map"));
        QCOMPARE(eval(page(), "window.before === true").toBool(), false); // a new document
        QCOMPARE(eval(page(), "markersArray.length").toInt(), 1);
        QCOMPARE(eval(page(), "map.getCenter().y").toDouble(), 49.5);
        QCOMPARE(eval(page(), "document.getElementById('map').offsetHeight").toInt(), picker_->WebBrowser1()->height());
        QVERIFY(waitFor(page(), "map._map.getSize().y === document.getElementById('map').offsetHeight"));
    });
}

void TestMapPicker::gridCellAndGaussKruegerOfTheClick_data()
{
    QTest::addColumn<int>("gridSystem"); // index of ComboBox2: 0 QQQ, 1 QYX
    QTest::addColumn<QString>("typedGrid");
    QTest::newRow("minute field into an empty grid reference") << 1 << "";
    QTest::newRow("64th into an empty grid reference") << 0 << "";
    QTest::newRow("a typed grid reference stays") << 1 << "5408/111";
}

void TestMapPicker::gridCellAndGaussKruegerOfTheClick()
{
    QFETCH(int, gridSystem);
    QFETCH(QString, typedGrid);
    controlOf<QComboBox>(*form_, "ComboBox1")->setCurrentIndex(1); // GKr2
    controlOf<QComboBox>(*form_, "ComboBox2")->setCurrentIndex(gridSystem);
    formEdit("Edit6")->setText(typedGrid);
    const MapGrid::LatLng point{49.451870, 6.6607189};
    const auto notation = gridSystem == 0 ? MapGrid::Notation::QQQ : MapGrid::Notation::QYX;
    const QString cell = MapGrid::cellOf(point, notation).value_or("?");
    const QString gk = MapGrid::gaussKrueger(point, 2).value_or("?");
    QVERIFY(cell.startsWith("6505/"));
    openPicker([&] {
        QVERIFY(picker_->EditRaster()->isReadOnly() && picker_->EditGK()->isReadOnly());
        QVERIFY(picker_->EditGK()->isVisible());
        QCOMPARE(controlOf<QLabel>(*picker_, "LabelRaster")->text(),
                 gridSystem == 0 ? QStringLiteral("Raster (QQQ)") : QStringLiteral("Raster (QYX)"));
        QCOMPARE(controlOf<QLabel>(*picker_, "LabelGK")->text(), QStringLiteral("Gauß-Krüger (GKr2)"));
        reportClick("49.451870", "6.6607189");
        QCOMPARE(picker_->EditRaster()->text(), cell);
        QCOMPARE(picker_->EditGK()->text(), gk);
        QVERIFY(gk.startsWith("2"));
        QTest::mouseClick(controlOf<QPushButton>(*picker_, "BtnReturnData"), Qt::LeftButton);
    });
    QCOMPARE(formEdit("Edit5")->text(), QStringLiteral("49,45187N;6,66071E"));
    QCOMPARE(controlOf<QComboBox>(*form_, "ComboBox1")->currentIndex(), 0);
    QCOMPARE(formEdit("Edit6")->text(), typedGrid.isEmpty() ? cell : typedGrid);
}

void TestMapPicker::warmedUpEngineOpensTheMap_data()
{
    QTest::addColumn<bool>("waitForEngine");
    QTest::newRow("opened while the engine starts") << false;
    QTest::newRow("opened after it started") << true;
}

void TestMapPicker::warmedUpEngineOpensTheMap()
{
    QFETCH(bool, waitForEngine);
    picker_->warmUp();
    QVERIFY(picker_->WebBrowser1());
    if (waitForEngine) {
        QSignalSpy started(page(), &QWebEnginePage::loadFinished);
        QVERIFY(started.wait(10000));
    }
    openPicker([&] {
        QCOMPARE(eval(page(), "map.getCenter().y").toDouble(), 49.45187);
        reportClick("49.5", "6.7");
        QCOMPARE(eval(page(), "markersArray.length").toInt(), 1);
        QTest::mouseClick(controlOf<QPushButton>(*picker_, "BtnReturnData"), Qt::LeftButton);
    });
    QCOMPARE(formEdit("Edit5")->text(), QStringLiteral("49,5N;6,7E"));
    QVERIFY(msgs_->shown.isEmpty());
}

void TestMapPicker::wholeFlowThroughTheProgram()
{
    // The record as the user enters it, the location from the map.
    QTest::keyClicks(formEdit("Edit1"), "abi alba");
    QTest::keyClick(formEdit("Edit1"), Qt::Key_Return);
    formEdit("Edit3")->setText("Wegrand");
    formEdit("Edit4")->setText("01.05.2010");
    formEdit("Edit2")->setText("25");
    controlOf<QListWidget>(*form_, "CheckListBox1")->item(0)->setCheckState(Qt::Checked);
    QString picked;
    openPicker([&] {
        clickMap();
        QTRY_VERIFY_WITH_TIMEOUT(!picker_->EditHoehe()->text().isEmpty(), 5000);
        picked = picker_->Edit1()->text();
        QTest::mouseClick(controlOf<QPushButton>(*picker_, "BtnReturnData"), Qt::LeftButton);
    });
    const QString reference = formEdit("Edit5")->text();
    QVERIFY2(reference.endsWith("E") && reference.contains("N;"), qPrintable(reference));
    const QString target = app_->path() + "Data/flow.csv";
    msgs_->savePath = target;
    QTest::mouseClick(controlOf<QPushButton>(*form_, "BtnSpeichern"), Qt::LeftButton);
    QCOMPARE(msgs_->texts(), QStringList{"Datei gespeichert: " + target});
    QFile csv(target);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QByteArray content = csv.readAll();
    QVERIFY2(content.contains("\"" + reference.toLatin1() + "\",\"LTLN\""), content.constData());
}

void TestMapPicker::impatientClicksGiveOneLookupForTheNewestPoint()
{
    openPicker([&] {
        server_->delayMs = 600;
        server_->status = 500;
        // Three clicks, the later two while the first point's altitude is
        // still on its way: the page makes them on its own timers.
        eval(page(),
             "external.newCoordinate('49.1', '6.1');"
             "setTimeout(function() { external.newCoordinate('49.2', '6.2'); }, 150);"
             "setTimeout(function() { external.newCoordinate('49.3', '6.3'); }, 300);");
        QTRY_COMPARE_WITH_TIMEOUT(picker_->Edit1()->text(), QStringLiteral("49.3, 6.3"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!picker_->lookingUp(), 5000);
        // The first lookup, then only the newest point's; one box at most.
        QCOMPARE(server_->paths,
                 QList<QByteArray>({"/srtm3?lat=49.1&lng=6.1&username=test", "/srtm3?lat=49.3&lng=6.3&username=test"}));
        QCOMPARE(msgs_->texts(), QStringList{"Unbekannter Fehler"});
        QVERIFY(waitFor(page(), "markersArray.length === 1 && markersArray[0].getLatLng().y === 49.3"));
    });
}

void TestMapPicker::deadRendererDoesNotHangThePicker()
{
    openPicker([&] {
        reportClick("49.46", "6.67");
        QTRY_COMPARE(picker_->EditHoehe()->text(), QStringLiteral("123"));
        const qint64 pid = page()->renderProcessPid();
        QVERIFY(pid > 0);
        ::kill(pid_t(pid), SIGKILL);
        QTRY_VERIFY_WITH_TIMEOUT(picker_->WBGoogleMaps()->rendererGone(), 5000);
        // "Zurück" asks the dead page for its centre: it returns at once and
        // takes the coordinate over.
        QTest::mouseClick(controlOf<QPushButton>(*picker_, "BtnReturnData"), Qt::LeftButton);
        QVERIFY(!picker_->isVisible());
    });
    QCOMPARE(formEdit("Edit5")->text(), QStringLiteral("49,46N;6,67E"));
    // The next showing loads the document again, and the map answers.
    openPicker([&] {
        QVERIFY(!picker_->WBGoogleMaps()->rendererGone());
        reportClick("49.47", "6.68");
        QTRY_COMPARE(picker_->Edit1()->text(), QStringLiteral("49.47, 6.68"));
        QVERIFY(waitFor(page(), "markersArray.length === 1"));
    });
}

NEMBRA_BROWSER_TEST_MAIN(NembraApplication, TestMapPicker)

#include "tst_mappicker.moc"
