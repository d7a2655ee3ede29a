#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <QTimer>
#include <QToolButton>
#include <sys/stat.h>

#include "AppFolder.h"
#include "DozadiRad.h"
#include "ErrorGuard.h"
#include "KeyPressFilter.h"
#include "NembraApplication.h"
#include "RecordingMessages.h"
#include "TStringGrid.h"
#include "WidgetTest.h"

using Kind = Messages::Kind;

class TestObservationForm : public QObject {
    Q_OBJECT
private slots:
    void windowBelongsToItsMenuEntry();
    void controlsAndInitialContents();
    void requiredFieldsAreYellow_data();
    void requiredFieldsAreYellow();
    void tabOrderFollowsTheForm();
    void tabIntoObserversHighlightsFirst();
    void endAsksFirst_data();
    void endAsksFirst();
    void titleBarCloseEndsAtOnce();
    void missingListsEndTheProgram_data();
    void missingListsEndTheProgram();
    void usageNoticeHasBothSections();
    void errorInHandlerIsShownAndProgramGoesOn();
};

namespace {

template<class T = QWidget>
T *control(QWidget &form, const char *name)
{
    return controlOf<T>(form, name);
}

// Runs the application's event loop as the program does; StillRunning when
// the program did not end by itself within a while.
constexpr int StillRunning = 99;
int runEventLoop()
{
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, qApp, [] { QCoreApplication::exit(StillRunning); });
    guard.start(1000);
    return QCoreApplication::exec();
}

} // namespace

void TestObservationForm::controlsAndInitialContents()
{
    AppFolder app;
    app.writeDefaultLists();
    RecordingMessages msgs;
    TForm1 form(app.path());
    QVERIFY(msgs.shown.isEmpty());
    QVERIFY(!form.terminateRequested());
    QCOMPARE(form.windowTitle(), QStringLiteral("Nembra"));
    QCOMPARE(form.RefID(), 1);

    const struct {
        const char *name;
        QRect geometry;
    } placed[] = {
        {"Edit3", {85, 13, 244, 21}},
        {"Edit4", {512, 13, 121, 21}},
        {"Edit5", {85, 45, 148, 21}},
        {"ComboBox1", {360, 45, 177, 21}},
        {"Edit2", {574, 45, 59, 21}},
        {"Edit6", {85, 72, 148, 21}},
        {"ComboBox2", {360, 72, 177, 21}},
        {"CheckListBox1", {85, 99, 148, 86}},
        {"LMDImageComboBox1", {386, 101, 151, 24}},
        {"Edit7", {543, 101, 90, 21}},
        {"Memo1", {282, 147, 351, 62}},
        {"Edit1", {114, 236, 263, 21}},
        {"ArtenStrGr1", {16, 271, 507, 233}},
        {"BtnSippeLoeschen", {529, 271, 104, 25}},
        {"BtnAlleSippenLoeschen", {529, 302, 104, 25}},
        {"BtnSpeichern", {529, 448, 104, 25}},
        {"BtnEnde", {529, 479, 104, 25}},
        {"LMDButton1", {239, 40, 26, 26}},
    };
    for (const auto &p : placed) {
        QWidget *w = control(form, p.name);
        QCOMPARE(w->geometry(), p.geometry);
        QCOMPARE(w->parentWidget()->objectName(), QStringLiteral("Panel1"));
    }
    for (const char *edit : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7"})
        QVERIFY(control<QLineEdit>(form, edit)->text().isEmpty());
    QCOMPARE(control<QToolButton>(form, "LMDButton1")->toolTip(),
             QStringLiteral("Koordinatenpicker aufrufen (Strg+K)"));

    auto *systems = control<QComboBox>(form, "ComboBox1");
    QCOMPARE(systems->count(), 7);
    QCOMPARE(systems->itemText(0), QStringLiteral("Breite/Länge - WGS84 (LTLN)"));
    QCOMPARE(systems->itemText(5), QStringLiteral("MTBQQQ -Quadrantenteilung (QQQ)"));
    QCOMPARE(systems->currentText(), QStringLiteral("Gauß-Krüger-Streifen 3 (GKr3)"));
    QVERIFY(systems->isEditable());
    auto *grids = control<QComboBox>(form, "ComboBox2");
    QCOMPARE(grids->count(), 2);
    QCOMPARE(grids->currentText(), QStringLiteral("MTBQYX - Minutenfelder (QYX)"));

    auto *sampleTypes = control<QComboBox>(form, "LMDImageComboBox1");
    QCOMPARE(sampleTypes->currentIndex(), -1);
    QCOMPARE(sampleTypes->currentText(), QString());
    const QStringList stored = {"Florist. Kartierung|0", "FlorKart Kurznotiz|2", "FlorKart Einzelnotiz|1",
                                "FlorKart Punktdaten|3"};
    QCOMPARE(sampleTypes->count(), 4);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(sampleTypes->itemData(i).toString(), stored[i]);
        QCOMPARE(sampleTypes->itemText(i), stored[i].section(u'|', 0, 0));
        QVERIFY(!sampleTypes->itemIcon(i).isNull());
    }

    auto *observers = control<QListWidget>(form, "CheckListBox1");
    QCOMPARE(observers->count(), 3);
    const QStringList expected = {"Müller, Hans", "Schäfer, Jürgen", "Böhm, Käthe"};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(observers->item(i)->text(), expected[i]);
        QCOMPARE(observers->item(i)->checkState(), Qt::Unchecked);
    }
    QCOMPARE(form.QuarnelList(), expected);
    QCOMPARE(form.TaxList().size(), 2);

    auto *grid = control<TStringGrid>(form, "ArtenStrGr1");
    QCOMPARE(grid->RowCount(), 2);
    QCOMPARE(grid->columnCount(), 4);
    const QStringList headers = {"Sippenname", "Status", "Bemerkung", "Anzahl"};
    const int widths[] = {200, 45, 160, 45};
    for (int col = 0; col < 4; ++col) {
        QCOMPARE(grid->Cells(col, 0), headers[col]);
        QCOMPARE(grid->columnWidth(col), widths[col]);
        QCOMPARE(grid->Cells(col, 1), QString());
    }
    QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);

    // Menu: Datei (Position aus Datei…, Zählung der Sippen zurücksetzen…,
    // Speichern, Beenden), Hilfe (Info über die Nutzung, Über...).
    auto *file = control<QMenu>(form, "MenuItemFile");
    auto *help = control<QMenu>(form, "MenuItemHelp");
    // Displayed as the words; the mnemonic's "&" only underlines a letter.
    auto shown = [](QString text) { return text.remove(u'&'); };
    QCOMPARE(shown(file->title()), QStringLiteral("Datei"));
    QCOMPARE(shown(help->title()), QStringLiteral("Hilfe"));
    QCOMPARE(file->actions().size(), 4);
    QCOMPARE(file->actions()[0]->objectName(), QStringLiteral("MenuItemPositionFile"));
    QCOMPARE(file->actions()[1]->objectName(), QStringLiteral("MenuItemResetTaxonUse"));
    QCOMPARE(file->actions()[2]->objectName(), QStringLiteral("MenuItemSave"));
    QCOMPARE(shown(file->actions()[3]->text()), QStringLiteral("Beenden"));
    QCOMPARE(shown(help->actions()[0]->text()), QStringLiteral("Info über die Nutzung"));
    QCOMPARE(shown(help->actions()[1]->text()), QStringLiteral("Über..."));
}

void TestObservationForm::requiredFieldsAreYellow_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<bool>("radiusYellow");
    QTest::newRow("no settings file") << QByteArray() << true;
    QTest::newRow("USR FALSE") << QByteArray("[Settings]\r\nUSR=FALSE\r\n") << false;
    QTest::newRow("USR false") << QByteArray("[Settings]\r\nUSR=false\r\n") << true;
}

void TestObservationForm::requiredFieldsAreYellow()
{
    QFETCH(QByteArray, ini);
    QFETCH(bool, radiusYellow);
    AppFolder app;
    app.writeDefaultLists();
    if (!ini.isEmpty())
        app.writeIni(ini);
    RecordingMessages msgs;
    TForm1 form(app.path());
    const QColor yellow(255, 255, 0);
    for (const char *name : {"Edit3", "Edit4", "Edit5", "ComboBox1", "CheckListBox1", "LMDImageComboBox1", "Edit1"})
        QVERIFY2(control(form, name)->palette().color(QPalette::Base) == yellow, name);
    for (const char *name : {"Edit6", "ComboBox2", "Edit7", "Memo1"})
        QVERIFY2(control(form, name)->palette().color(QPalette::Base) != yellow, name);
    QCOMPARE(control(form, "Edit2")->palette().color(QPalette::Base), radiusYellow ? yellow : QColor(Qt::white));
}

void TestObservationForm::tabOrderFollowsTheForm()
{
    AppFolder app;
    app.writeDefaultLists();
    RecordingMessages msgs;
    TForm1 form(app.path());
    QVERIFY(showActive(form));
    QCOMPARE(form.centralWidget()->size(), QSize(652, 528));
    QCOMPARE(QApplication::focusWidget(), control(form, "Edit3"));
    const QStringList order = {"Edit4",
                               "Edit5",
                               "ComboBox1",
                               "Edit2",
                               "Edit6",
                               "ComboBox2",
                               "CheckListBox1",
                               "LMDImageComboBox1",
                               "Edit7",
                               "Memo1",
                               "Edit1",
                               "ArtenStrGr1",
                               "BtnSippeLoeschen",
                               "BtnAlleSippenLoeschen",
                               "BtnSpeichern",
                               "BtnEnde",
                               "LMDButton1",
                               "Edit3"};
    auto focusedControl = [] {
        QWidget *w = QApplication::focusWidget();
        // An editable combo box takes the focus in its line edit.
        if (w && qobject_cast<QComboBox *>(w->parentWidget()))
            w = w->parentWidget();
        return w ? w->objectName() : QString();
    };
    for (const QString &next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(focusedControl(), next);
    }
    QVERIFY(msgs.shown.isEmpty());
}

void TestObservationForm::tabIntoObserversHighlightsFirst()
{
    AppFolder app;
    app.writeDefaultLists();
    RecordingMessages msgs;
    TForm1 form(app.path());
    QVERIFY(showActive(form));
    auto *observers = control<QListWidget>(form, "CheckListBox1");
    observers->setCurrentRow(2);
    observers->item(1)->setCheckState(Qt::Checked);
    control(form, "ComboBox2")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), observers);
    QCOMPARE(observers->currentRow(), 0);
    QCOMPARE(observers->item(1)->checkState(), Qt::Checked);
}

void TestObservationForm::endAsksFirst_data()
{
    QTest::addColumn<bool>("viaMenu");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closed");
    QTest::newRow("button, Abbrechen") << false << int(Messages::Answer::Cancel) << false;
    QTest::newRow("button, Ja") << false << int(Messages::Answer::Yes) << true;
    QTest::newRow("menu, Abbrechen") << true << int(Messages::Answer::Cancel) << false;
    QTest::newRow("menu, Ja") << true << int(Messages::Answer::Yes) << true;
}

void TestObservationForm::endAsksFirst()
{
    QFETCH(bool, viaMenu);
    QFETCH(int, answer);
    QFETCH(bool, closed);
    AppFolder app;
    app.writeDefaultLists();
    RecordingMessages msgs;
    msgs.answers = {Messages::Answer(answer)};
    TForm1 form(app.path());
    QVERIFY(showActive(form));
    QTest::keyClicks(control(form, "Edit3"), QStringLiteral("Wegrand"));
    QTimer::singleShot(0, &form, [&] {
        if (viaMenu)
            control<QAction>(form, "MenuItemEnd")->trigger();
        else
            QTest::mouseClick(control(form, "BtnEnde"), Qt::LeftButton);
    });
    QCOMPARE(runEventLoop(), closed ? 0 : StillRunning);

    QCOMPARE(msgs.shown.size(), 1);
    QCOMPARE(msgs.shown[0].kind, Kind::Confirmation);
    QCOMPARE(msgs.shown[0].caption, QStringLiteral("Bestätigen"));
    QCOMPARE(msgs.shown[0].text,
             QStringLiteral("Sie möchten das Programm beenden? \n\rHaben Sie Ihre Daten gespeichert?\n\r"
                            "Wenn nicht, klicken Sie auf \"Abbrechen\" und speichern Sie zuerst!"));
    QCOMPARE(form.isVisible(), !closed);
    QCOMPARE(control<QLineEdit>(form, "Edit3")->text(), QStringLiteral("Wegrand"));
}

void TestObservationForm::titleBarCloseEndsAtOnce()
{
    AppFolder app;
    app.writeDefaultLists();
    RecordingMessages msgs;
    TForm1 form(app.path());
    QVERIFY(showActive(form));
    QTest::keyClicks(control(form, "Edit3"), QStringLiteral("ungespeichert"));
    QTimer::singleShot(0, &form, [&] { form.close(); });
    QCOMPARE(runEventLoop(), 0);
    QVERIFY(msgs.shown.isEmpty());
}

void TestObservationForm::missingListsEndTheProgram_data()
{
    QTest::addColumn<bool>("taxa");
    QTest::addColumn<bool>("observers");
    QTest::addColumn<QStringList>("warnings");
    const QString taxaMissing = QStringLiteral("Artendatei nicht gefunden\n\rProgramm wird beendet");
    const QString observersMissing = QStringLiteral(
        "Datei mit Liste der Beobachter nicht gefunden\n\rProgramm wird beendet");
    QTest::newRow("taxon list missing") << false << true << QStringList{taxaMissing};
    QTest::newRow("observer list missing") << true << false << QStringList{observersMissing};
    QTest::newRow("both missing") << false << false << QStringList{taxaMissing, observersMissing};
    QTest::newRow("taxon list is a FIFO") << false << true
                                          << QStringList{"Artendatei \"%1RefList/TaxList.txt\" kann nicht gelesen "
                                                         "werden: Es ist keine gewöhnliche Datei.\n\rProgramm wird "
                                                         "beendet"};
}

void TestObservationForm::missingListsEndTheProgram()
{
    QFETCH(bool, taxa);
    QFETCH(bool, observers);
    QFETCH(QStringList, warnings);
    AppFolder app;
    if (taxa)
        app.writeTaxa({"Abies alba"});
    if (observers)
        app.writeObservers({"Müller, Hans"});
    if (QTest::currentDataTag() == QByteArray("taxon list is a FIFO")) {
        QVERIFY(::mkfifo(QFile::encodeName(app.path() + "RefList/TaxList.txt").constData(), 0600) == 0);
        warnings[0] = warnings[0].arg(app.path());
    }
    RecordingMessages msgs;
    TForm1 form(app.path());
    QCOMPARE(msgs.texts(), warnings);
    for (const auto &shown : msgs.shown) {
        QCOMPARE(shown.kind, Kind::Warning);
        QCOMPARE(shown.caption, QStringLiteral("Warnung"));
    }
    QVERIFY(form.terminateRequested());
    // The rest of the start still ran: the grid is set up.
    QCOMPARE(controlOf<TStringGrid>(form, "ArtenStrGr1")->RowCount(), 2);

    // The event loop ends as soon as it starts, before the user can work.
    QCOMPARE(runEventLoop(), 0);
}

void TestObservationForm::usageNoticeHasBothSections()
{
    AppFolder app;
    app.writeDefaultLists();
    RecordingMessages msgs;
    TForm1 form(app.path());
    control<QMenu>(form, "MenuItemHelp")->actions()[0]->trigger();
    QCOMPARE(msgs.shown.size(), 1);
    QCOMPARE(msgs.shown[0].kind, Kind::Information);
    QCOMPARE(msgs.shown[0].caption, QStringLiteral("Informationen"));
    const QString text = msgs.shown[0].text;
    QVERIFY(text.startsWith(QStringLiteral("NUTZUNGSVEREINBARUNG\n\r\n\r")));
    QVERIFY(text.contains(QStringLiteral("\n\rHAFTUNGSHINWEIS\n\r\n\r")));
}

void TestObservationForm::errorInHandlerIsShownAndProgramGoesOn()
{
    RecordingMessages msgs;
    QLineEdit edit;
    int calls = 0;
    new KeyPressFilter(&edit, [&](QObject *, QChar &key) {
        ++calls;
        if (key == u'x')
            throw NembraError(QStringLiteral("Datei \"/x\" kann nicht erstellt werden."));
    });
    edit.show();
    QTest::keyClick(&edit, Qt::Key_X);
    QTest::keyClick(&edit, Qt::Key_A);
    QCOMPARE(calls, 2);
    QCOMPARE(msgs.shown.size(), 1);
    QCOMPARE(msgs.shown[0].kind, Kind::AppError);
    QCOMPARE(msgs.shown[0].caption, QStringLiteral("Nembra"));
    QCOMPARE(msgs.shown[0].text, QStringLiteral("Datei \"/x\" kann nicht erstellt werden."));
    // The failing handler ended; the next key went on as usual.
    QVERIFY(edit.text().endsWith(u'a'));

    // A slot's error is caught where the slot starts, before it could unwind
    // through Qt's frames.
    QPushButton button;
    connect(&button, &QPushButton::clicked, [] { guarded([] { throw NembraError(QStringLiteral("unerwartet")); }); });
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(msgs.shown.size(), 2);
    QCOMPARE(msgs.shown[1].text, QStringLiteral("unerwartet"));
    QVERIFY(button.isVisible());
}

// Docks and task bars find the menu entry of the window: by the desktop
// file's id (Wayland) and by the window class (X11).
void TestObservationForm::windowBelongsToItsMenuEntry()
{
    QFile entry(QStringLiteral(NEMBRA_SOURCE_DIR "/packaging/de.nembra.Nembra.desktop"));
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(entry.readAll());
    QCOMPARE(QGuiApplication::desktopFileName() + ".desktop", QFileInfo(entry.fileName()).fileName());
    QVERIFY(text.contains("\nStartupWMClass=" + QCoreApplication::applicationName() + "\n"));
}

NEMBRA_WIDGET_TEST_MAIN(TestObservationForm)

#include "tst_observationform.moc"
