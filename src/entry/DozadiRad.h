#pragma once

#include <functional>
#include <optional>

#include <QDate>
#include <QHash>
#include <QMainWindow>
#include <QRect>
#include <QStringList>
#include <QTimer>

#include "AppPaths.h"
#include "DraftKeeper.h"
#include "MapPick.h"
#include "Messages.h"
#include "ObservationRecord.h"
#include "Ping5.h"
#include "RecordCheck.h"
#include "RecordDraft.h"
#include "TaxonLookup.h"
#include "Verdict.h"

namespace Ui {
class TForm1;
}
struct FieldPosition;
class QCloseEvent;
class QLabel;
class QScrollArea;
class QObject;
class QLineEdit;
class QListWidget;
class TFormAbout;
class TStringGrid;

// The observation form: the main window with every field of one survey event
// and the taxon grid. It owns the two reference lists for the whole run.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // appDir is the folder of the program (with or without a trailing
    // separator); the reference lists and the settings file lie beside it.
    explicit TForm1(const QString &appDir, QWidget *parent = nullptr);
    // The files where paths says.
    explicit TForm1(const AppPaths &paths, QWidget *parent = nullptr);
    ~TForm1() override;

    const AppPaths &paths() const { return paths_; }
    const QStringList &TaxList() const { return TaxList_; }
    const QStringList &QuarnelList() const { return QuarnelList_; }
    int RefID() const { return RefID_; }

    // True once FormCreate found a reference list missing: the program ends
    // as soon as its event loop starts.
    bool terminateRequested() const { return terminateRequested_; }

    void setAboutBox(TFormAbout *about) { aboutBox_ = about; }
    // Opens the map picker: the coordinate text ("lat, lng") taken over, or
    // nothing when the user left without taking one.
    using MapPicker = std::function<std::optional<MapPickResult>(const MapPickRequest &)>;
    void setMapPicker(MapPicker picker) { mapPicker_ = std::move(picker); }

    bool ReadIniUSR() const;

    // Today's date as the checks see it, read when a check runs.
    void setTodayProvider(std::function<QDate()> provider) { today_ = std::move(provider); }
    QDate today() const { return today_(); }

    // Keystroke filters and key handling of the event fields.
    void Edit2KeyPress(QObject *Sender, QChar &Key);
    void Edit3KeyPress(QObject *Sender, QChar &Key);
    void Edit4KeyPress(QObject *Sender, QChar &Key);
    void Edit4Exit(QObject *Sender);
    void Edit5KeyPress(QObject *Sender, QChar &Key);
    void Edit6KeyPress(QObject *Sender, QChar &Key);
    void Edit7KeyPress(QObject *Sender, QChar &Key);
    void ComboBox1KeyDown(QObject *Sender, int &Key, Qt::KeyboardModifiers Shift);
    void ComboBox2KeyDown(QObject *Sender, int &Key, Qt::KeyboardModifiers Shift);
    void ComboBox1Exit(QObject *Sender);
    void ComboBox2Exit(QObject *Sender);

    // Validators: each shows its own message and returns the verdict.
    bool ZeitraumOK(const QString &cZeitraumStr);
    QString ParseZeitraum(const QString &cZeitraumStr) const;
    bool IsLTLNOk(const QString &str);
    bool IsGKrOk(const QString &str, const QString &stripnr);
    bool IsMTBQQQOk(const QString &str);
    bool IsMTBQYXOk(const QString &str);
    bool IsSpRefOK();
    bool IsGridOK();
    bool IsHoeheOK(const QString &cHoehenstr);
    int val(const QString &str);

    // Connectivity check before the map opens: one ICMP echo to a public host.
    static constexpr auto DefaultPingHost = "www.google.com";
    static constexpr std::uint16_t PingTimeout = 2000;
    void setPingHost(const QString &host) { pingHost_ = host; }
    const QString &pingHost() const { return pingHost_; }
    // When no echo can be sent or none comes back, a TCP connection to the
    // host of the start map type's tiles decides, within the same limit.
    static constexpr auto DefaultTileHost = "server.arcgisonline.com";
    static constexpr quint16 DefaultTilePort = 443;
    void setTileProbe(const QString &host, quint16 port)
    {
        tileHost_ = host;
        tilePort_ = port;
    }
    bool PingHostname(const QString &Hostname, const QString &PingMode);
    void PingCallback(TAsyncPingResult Result);

    // Saving: the checks of the fields, the completeness check, then the export.
    bool fieldChecksPass();
    // After the completeness check: the spatial reference and the grid
    // reference name the same place, or the user saves all the same.
    bool locationsAgree();
    bool DatenVollstaendig();
    void BtnSpeichernClick(QObject *Sender);
    void MenuItemSaveClick(QObject *Sender);

    // Taxon input and grid.
    void Edit1KeyPress(QObject *Sender, QChar &Key);
    QStringList FindTaxa(const QString &sTaxkurz) const;
    void BtnSippeLoeschenClick(QObject *Sender);
    void BtnAlleSippenLoeschenClick(QObject *Sender);
    static void DeleteGridRow(int Row, TStringGrid *Grid);

    // Export of the record as a CSV file into the data folder.
    bool DatenSpeichern();
    ObservationRecord currentRecord() const;
    QString dataDir() const { return paths_.dataDir; }

    void CheckListBox1Enter(QObject *Sender);
    void BtnEndeClick(QObject *Sender);
    void MenuItemEndClick(QObject *Sender);
    void MenuItemUsageClick(QObject *Sender);
    void MenuItemAboutClick(QObject *Sender);
    void LMDButton1Click(QObject *Sender);
    // A position from a GPS file or a photo: the coordinate, and the
    // altitude, date and uncertainty radius where their fields are empty.
    void MenuItemPositionFileClick(QObject *Sender);
    void takePosition(const FieldPosition &position);
    // Forgets which taxa this season's records took, after a question.
    void MenuItemResetTaxonUseClick(QObject *Sender);

    static QString usageNotice();

    // The unsaved record kept in the draft folder, written at most
    // DraftDelayMs after each change and offered back at the next start.
    static constexpr int DraftDelayMs = DraftKeeper::DelayMs;
    QString draftPath() const;
    RecordDraft captureDraft() const;
    void restoreDraft(const RecordDraft &draft);
    void writeDraft();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void setupControls();
    bool report(const Verdict &verdict, Messages::Kind kind);
    // Filters a key of an event field: Escape empties it, Enter moves on when
    // enterAccepted (if given) says so. False when the key was swallowed.
    static bool fieldKey(QLineEdit *edit, QChar &Key, const char16_t *allowed,
                         const std::function<bool()> &enterAccepted = {});
    // Leaving a system combo by Tab or Enter checks its reference field.
    static void comboKeyDown(int &Key, Qt::KeyboardModifiers Shift, QLineEdit *reference,
                             const std::function<bool()> &check, const std::function<void()> &moveOn);
    QWidget *fieldWidget(RecordField field) const;
    // False when the taxon is in the grid already.
    bool addTaxon(const QString &taxon, const TaxonInput &input);
    void showTaxonHint(const QString &text);
    // The choice dialog over entries (with its own caption when given);
    // false when the user cancelled.
    bool chooseTaxon(const QStringList &entries, const QString &caption, QString &chosen);
    // True, with a beep and the line under the field, when the line holds
    // text beyond its fourth part.
    bool refuseLostText(const QString &line);
    // Adds the taxon, or beeps and says that it is in the grid already.
    void takeTaxon(const QString &taxon, const TaxonInput &input);
    // The list of matches shown while typing a taxon name.
    static constexpr int TypingListEntries = 12;
    void setupTypingList();
    void refreshTypingList();
    void placeTypingList();
    int typingEntries() const;
    void takeTypingEntry(const QString &taxon);
    void requestTerminate();
    QString searchedFolders() const;
    // Reads a reference list and says what is wrong with it; false when the
    // program cannot go on without it.
    bool loadList(const QString &fileName, const QString &what, QStringList &entries);
    void setupDraft();
    void offerDraft();
    // A window larger than laid out: the grid and the description grow, the
    // buttons keep their places at the right and bottom edges.
    void setupGrowth();
    void growTo(const QSize &contentSize);
    void fitToScreen();
    QRect storedGeometry() const;
    // The taxon rows deleted last, for Ctrl+Z.
    struct DeletedTaxon {
        int row; // in grid numbering
        TaxonRow taxon;
    };
    TaxonRow taxonAt(int row) const;
    void setTaxonAt(int row, const TaxonRow &taxon);
    void restoreDeletedTaxa();
    void showTaxonCount();
    // The one-line fields of the record, taxon input first.
    QList<QLineEdit *> recordEdits() const;

    Ui::TForm1 *m_ui;
    AppPaths paths_;
    QStringList TaxList_;
    QStringList QuarnelList_;
    TaxonIndex taxonIndex_;
    int RefID_ = 0;
    bool terminateRequested_ = false;
    TFormAbout *aboutBox_ = nullptr;
    MapPicker mapPicker_;
    QString pingHost_ = QString::fromLatin1(DefaultPingHost);
    QString tileHost_ = QString::fromLatin1(DefaultTileHost);
    quint16 tilePort_ = DefaultTilePort;
    std::function<QDate()> today_ = [] { return QDate::currentDate(); };
    DraftKeeper *draft_ = nullptr;
    QWidget *content_ = nullptr;
    QHash<QWidget *, QRect> laidOut_;
    bool shown_ = false;
    QList<DeletedTaxon> deletedTaxa_;
    QLabel *taxonCount_ = nullptr;
    QLabel *taxonHint_ = nullptr;
    QListWidget *typingList_ = nullptr;
    // How often each taxon went into a saved record this season.
    QHash<QString, int> usedTaxa_;
    // The grid reference the last map pick put into Edit6.
    QString gridFromPick_;
};
