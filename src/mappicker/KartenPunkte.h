#pragma once

#include <memory>
#include <optional>

#include <QDialog>

#include "AppSettings.h"
#include "Automation.h"
#include "Elevation.h"
#include "MapPick.h"

namespace Ui {
class TForm2;
}
class QLineEdit;
class QMenu;
class QWebEngineView;
class TWBGoogleMaps;

// The map picker: the map page on the left, the picked coordinate and its
// altitude on the right. Made hidden at start; the browser is made when the
// picker is first shown, so the engine costs nothing before the map is used.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    // settingsDir is the folder of Nembra.ini (the program's folder when the
    // program runs beside its files).
    explicit TForm2(const QString &settingsDir, QWidget *parent = nullptr);
    ~TForm2() override;

    bool allowResizeHandler() const { return fAllowResizeHandler; }
    TWBGoogleMaps *WBGoogleMaps() const { return fWBGoogleMaps.get(); }
    QWebEngineView *WebBrowser1() const { return webBrowser_; }
    QLineEdit *Edit1() const;
    QLineEdit *EditHoehe() const;

    ElevationService &elevationService() { return elevation_; }

    // Shows the picker modally, with the grid cell and the Gauss-Krüger
    // coordinate the request names: the coordinate text of "Edit1" and the
    // cell shown when the user took them over with "Zurück", else nothing.
    std::optional<MapPickResult> pickCoordinate(const MapPickRequest &request = {});
    QLineEdit *EditRaster() const;
    QLineEdit *EditGK() const;

    void ClearMarkers();
    void SetMarker(const QString &sLat, const QString &sLong);
    void SetMapCenter(const QString &sLat, const QString &sLong);
    void GetMapCenter();
    HRESULT WBOnGetExternal(DispatchRef &ppDispatch);
    AppSettings::MapLocation ReadStartLocation() const;
    void WriteStartLocation(const QString &sLat, const QString &sLong);

    // The altitude of a coordinate "lat, lng", with the service's account
    // from the settings file.
    ElevationOutcome elevationOf(const QString &Coordinate);
    // A point clicked on the map: shown at once, its altitude looked up soon.
    void pickPoint(const QString &sLat, const QString &sLong);
    bool lookingUp() const { return lookingUp_ || lookupScheduled_; }

    // Makes the browser now (normally done at the first show).
    void createBrowser();
    // Makes the browser and starts its engine while the program is idle,
    // so that the first opening of the map does not wait for it.
    void warmUp();
    // The map's own menu: loads the map again where it stands, with the
    // marker of the point in "Edit1".
    void reloadMap();
    QMenu *mapMenu() const { return mapMenu_; }

    void FormCreate();
    void FormDestroy();
    void FormShow();
    void OnShowCallback();
    void FormResize();
    void FormClose();

    // Every way of closing ("Zurück", Esc, the close button) asks the page
    // for its centre first.
    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;

private:
    void runLookups();
    // The grid cell and Gauss-Krüger fields for the point in "Edit1".
    void showGridFields();
    void showMapFocus(bool focused);

    Ui::TForm2 *m_ui;
    QString settingsDir_;
    bool done = false;
    bool fAllowResizeHandler = false;
    std::unique_ptr<TWBGoogleMaps> fWBGoogleMaps;
    QWebEngineView *webBrowser_ = nullptr;
    ElevationService elevation_;
    QString writeError_;
    QString pendingPoint_;
    bool lookupScheduled_ = false;
    bool lookingUp_ = false;
    QMenu *mapMenu_ = nullptr;
    bool focusMapAtLoad_ = false;
    MapPickRequest request_;
};

// The single map picker of the program, which the page's calls reach.
extern TForm2 *Form2;

// The page's external object: the receivers of the map page's calls.
class TExtJavaScript : public TObjectWrapper {
    Q_OBJECT
public:
    using TObjectWrapper::TObjectWrapper;
    Q_INVOKABLE void NewCoordinate(const QString &sLat, const QString &sLong);
    Q_INVOKABLE void NewCenterCoordinate(const QString &sLat, const QString &sLong);
};
