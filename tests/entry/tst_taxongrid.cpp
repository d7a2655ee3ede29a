#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "AppFolder.h"
#include "DozadiRad.h"
#include "ErrorGuard.h"
#include "Immutable.h"
#include "ListSelectDlg.h"
#include "NembraApplication.h"
#include "RecordingMessages.h"
#include "TStringGrid.h"
#include "WidgetTest.h"

using Kind = Messages::Kind;

// Taxon input, taxon choice dialog, grid rows and the export from the form,
// driven with real key and mouse events.
class TestTaxonGrid : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void enterWithOneMatchAddsRow();
    void severalMatchesOpenTheDialog_data();
    void severalMatchesOpenTheDialog();
    void dialogDoubleClickTakesEntry();
    void taxonAlreadyInGridIsNotAdded();
    void typoOffersNearNames_data();
    void typoOffersNearNames();
    void nothingTypedIsDroppedSilently();
    void matchesShownWhileTyping();
    void typingListOfALongList();
    void seasonsNamesComeFirstWhileTyping();
    void escapeEmptiesInput();
    void nameEmptyChangesNothing();
    void deletingRows();
    void exportWritesTheFormsRecord();
    void exportCancelled();
    void exportReplacesExistingFile();
    void exportFailureKeepsOldFile();
    void exportRefusesUnrepresentableCharacter();
    void exportWithoutSystemCode();
    void exportWithTooLongGridCode();

private:
    template<class T = QWidget>
    T *control(const char *name) const
    {
        return controlOf<T>(*fx_.form, name);
    }
    TStringGrid *grid() const { return control<TStringGrid>("ArtenStrGr1"); }
    QLineEdit *input() const { return control<QLineEdit>("Edit1"); }
    void type(const QString &line)
    {
        input()->setFocus();
        QTest::keyClicks(input(), line);
        QTest::keyClick(input(), Qt::Key_Return);
    }
    // Runs f on the modal dialog as soon as it is open.
    void whenDialogOpens(std::function<void(TListSelectDlg *)> f)
    {
        QTimer::singleShot(0, this, [f] {
            auto *dialog = qobject_cast<TListSelectDlg *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            f(dialog);
        });
    }
    QStringList row(int r) const
    {
        return {grid()->Cells(0, r), grid()->Cells(1, r), grid()->Cells(2, r), grid()->Cells(3, r)};
    }
    void fillCompleteRecord();
    QByteArray readFile(const QString &path) const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    FormFixture fx_;
};

void TestTaxonGrid::init()
{
    fx_.make({"Abies alba", "Abies alba Mill.", "Achillea millefolium", "Achillea millefolium ssp. sudetica",
              "Festuca rubra", "Quercus robur"},
             {"Müller, Hans", "Schäfer, Jürgen", "Böhm, Käthe"});
    QVERIFY(showActive(*fx_.form));
}

void TestTaxonGrid::cleanup()
{
    fx_.reset();
}

void TestTaxonGrid::enterWithOneMatchAddsRow()
{
    type("ach mil sud.2.am Wegrand.5");
    QCOMPARE(grid()->RowCount(), 3);
    QCOMPARE(row(1), QStringList({"Achillea millefolium ssp. sudetica", "2", "am Wegrand", "5"}));
    QCOMPARE(row(2), QStringList({"", "", "", ""}));
    QCOMPARE(input()->text(), QString());
    QCOMPARE(grid()->Row(), 2);
    QCOMPARE(grid()->currentColumn(), 0);
    QCOMPARE(QApplication::focusWidget(), input());

    type("que rob");
    QCOMPARE(row(2), QStringList({"Quercus robur", "*", "", ""}));
    QCOMPARE(grid()->RowCount(), 4);
    QVERIFY(fx_.msgs->shown.isEmpty());
}

void TestTaxonGrid::severalMatchesOpenTheDialog_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("moveDown");
    QTest::addColumn<QString>("added"); // empty: nothing added
    QTest::newRow("Enter takes the first") << int(Qt::Key_Return) << 0 << "Abies alba";
    QTest::newRow("arrow, then Enter") << int(Qt::Key_Return) << 1 << "Abies alba Mill.";
    QTest::newRow("Esc leaves everything") << int(Qt::Key_Escape) << 0 << "";
}

void TestTaxonGrid::severalMatchesOpenTheDialog()
{
    QFETCH(int, key);
    QFETCH(int, moveDown);
    QFETCH(QString, added);
    QStringList offered;
    int selected = -1;
    QString caption;
    whenDialogOpens([&](TListSelectDlg *dialog) {
        caption = dialog->windowTitle();
        for (int i = 0; i < dialog->ListBox1()->count(); ++i)
            offered.append(dialog->ListBox1()->item(i)->text());
        selected = dialog->ListBox1()->currentRow();
        QWidget *list = dialog->ListBox1();
        for (int i = 0; i < moveDown; ++i)
            QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key(key));
    });
    type("abies alba.3");
    QCOMPARE(caption, QStringLiteral("Sippe auswählen"));
    QCOMPARE(offered, QStringList({"Abies alba", "Abies alba Mill."}));
    QCOMPARE(selected, 0);
    QVERIFY(!QApplication::activeModalWidget());
    // Each choice makes its own dialog and frees it afterwards.
    QCOMPARE(fx_.form->findChildren<TListSelectDlg *>().size(), 0);
    if (added.isEmpty()) {
        QCOMPARE(grid()->RowCount(), 2);
        QCOMPARE(input()->text(), QStringLiteral("abies alba.3"));
    } else {
        QCOMPARE(grid()->RowCount(), 3);
        QCOMPARE(row(1), QStringList({added, "3", "", ""}));
        QCOMPARE(input()->text(), QString());
    }
}

void TestTaxonGrid::dialogDoubleClickTakesEntry()
{
    whenDialogOpens([](TListSelectDlg *dialog) {
        QListWidget *list = dialog->ListBox1();
        const QRect second = list->visualItemRect(list->item(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second.center());
    });
    type("ach mil");
    QCOMPARE(row(1)[0], QStringLiteral("Achillea millefolium ssp. sudetica"));
}

void TestTaxonGrid::typoOffersNearNames_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("added"); // empty: nothing added
    QTest::newRow("Enter takes the nearest") << int(Qt::Key_Return) << "Achillea millefolium";
    QTest::newRow("Esc leaves everything") << int(Qt::Key_Escape) << "";
}

void TestTaxonGrid::typoOffersNearNames()
{
    QFETCH(int, key);
    QFETCH(QString, added);
    QStringList offered;
    QString caption;
    whenDialogOpens([&](TListSelectDlg *dialog) {
        caption = dialog->windowTitle();
        for (int i = 0; i < dialog->ListBox1()->count(); ++i)
            offered.append(dialog->ListBox1()->item(i)->text());
        QTest::keyClick(dialog->ListBox1(), Qt::Key(key));
    });
    type("Achilea milefolium.2.am Weg.3");
    QCOMPARE(caption, QStringLiteral("Sippe auswählen – ähnliche Namen"));
    QCOMPARE(offered.value(0), QStringLiteral("Achillea millefolium"));
    QVERIFY(!offered.contains("Abies alba"));
    QVERIFY(!QApplication::activeModalWidget());
    if (added.isEmpty()) {
        QCOMPARE(grid()->RowCount(), 2);
        QCOMPARE(input()->text(), QStringLiteral("Achilea milefolium.2.am Weg.3"));
    } else {
        QCOMPARE(row(1), QStringList({added, "2", "am Weg", "3"}));
        QCOMPARE(input()->text(), QString());
    }
    // A name near nothing in the list: no dialog, nothing changes.
    input()->clear();
    type("Pinus sylvestris");
    QCOMPARE(input()->text(), QStringLiteral("Pinus sylvestris"));
    QVERIFY(fx_.msgs->shown.isEmpty());
}

// A fifth part, or a taxon that is in the grid already: nothing is added, the
// line stays, and the line under the field says why.
void TestTaxonGrid::nothingTypedIsDroppedSilently()
{
    auto *hint = control<QLabel>("LabelSippenHinweis");
    const QString line = QStringLiteral("que rob.2.ca. 20 Ex. am Hang.20");
    type(line);
    QCOMPARE(grid()->RowCount(), 2);
    QCOMPARE(input()->text(), line);
    QCOMPARE(hint->text(),
             QStringLiteral("Nicht übernommen: \" am Hang.20\" ginge verloren. Eine Zeile hat "
                            "höchstens vier Teile (Name.Status.Bemerkung.Anzahl)."));
    QVERIFY(hint->isVisible());
    QVERIFY(hint->geometry().bottom() < grid()->geometry().top());
    // Typing on clears it; four parts and a trailing dot lose nothing.
    input()->clear();
    QCOMPARE(hint->text(), QString());
    type("que rob.2.ca.20.");
    QCOMPARE(row(1), QStringList({"Quercus robur", "2", "ca", "20"}));
    QCOMPARE(hint->text(), QString());

    type("que rob.3");
    QCOMPARE(grid()->RowCount(), 3);
    QCOMPARE(input()->text(), QStringLiteral("que rob.3"));
    QCOMPARE(hint->text(), QStringLiteral("\"Quercus robur\" steht schon in der Liste."));
    QVERIFY(fx_.msgs->shown.isEmpty());
}

// The list under the field shows what Enter would find, from the second
// letter on; the field keeps the keys.
void TestTaxonGrid::matchesShownWhileTyping()
{
    type("que rob"); // a row in the grid, the empty row below it
    auto *list = control<QListWidget>("ListeSippenVorschlag");
    QCOMPARE(list->accessibleName(), QStringLiteral("Passende Sippen"));
    QTest::keyClicks(input(), "a");
    QVERIFY(!list->isVisible());
    QTest::keyClicks(input(), "ch mil.3..7");
    QVERIFY(list->isVisible());
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown << list->item(i)->text();
    QCOMPARE(shown, QStringList({"Achillea millefolium", "Achillea millefolium ssp. sudetica"}));
    QCOMPARE(list->currentRow(), -1);
    QCOMPARE(QApplication::focusWidget(), input());
    // Never over the grid's empty last row, where the next taxon goes.
    const QRect lastRow(grid()->viewport()->mapTo(fx_.form.get(), grid()->visualItemRect(grid()->item(1, 0)).topLeft()),
                        grid()->visualItemRect(grid()->item(1, 0)).size());
    const QRect shownAt(list->mapTo(fx_.form.get(), QPoint(0, 0)), list->size());
    QVERIFY2(!shownAt.intersects(lastRow),
             qPrintable(QStringLiteral("%1 %2").arg(shownAt.top()).arg(lastRow.bottom())));

    QTest::keyClick(input(), Qt::Key_Down);
    QTest::keyClick(input(), Qt::Key_Down);
    QCOMPARE(list->currentRow(), 1);
    QCOMPARE(QApplication::focusWidget(), input());
    QTest::keyClick(input(), Qt::Key_Return);
    QVERIFY(fx_.msgs->shown.isEmpty());
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(row(2), QStringList({"Achillea millefolium ssp. sudetica", "3", "", "7"}));
    QCOMPARE(input()->text(), QString());
    QVERIFY(!list->isVisible());

    // Without moving into the list, Enter does what it always did: two
    // matches open the choice dialog.
    whenDialogOpens([](TListSelectDlg *dialog) { QTest::keyClick(dialog->ListBox1(), Qt::Key_Escape); });
    type("abi alb");
    QCOMPARE(grid()->RowCount(), 4);
    QVERIFY(list->isVisible());
    // Leaving the field closes the list.
    QApplication::setActiveWindow(fx_.form.get());
    QTest::keyClick(input(), Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != input());
    QVERIFY(!list->isVisible());
}

void TestTaxonGrid::typingListOfALongList()
{
    fx_.reset();
    QStringList taxa;
    for (int i = 0; i < 30; ++i)
        taxa << QStringLiteral("Carex art%1").arg(i, 2, 10, QLatin1Char('0'));
    fx_.make(taxa, {"Müller, Hans"});
    QVERIFY(showActive(*fx_.form));
    input()->setFocus();
    QTest::keyClicks(input(), "car");
    auto *list = control<QListWidget>("ListeSippenVorschlag");
    QCOMPARE(list->count(), 13);
    QCOMPARE(list->item(11)->text(), QStringLiteral("Carex art11"));
    QCOMPARE(list->item(12)->text(), QStringLiteral("… und 18 weitere"));
    QTest::keyClick(input(), Qt::Key_PageDown);
    QVERIFY(list->currentRow() > 0);
    QTest::keyClick(input(), Qt::Key_End); // the field's own key
    for (int i = 0; i < 20; ++i)
        QTest::keyClick(input(), Qt::Key_Down);
    QCOMPARE(list->currentRow(), 11); // the count line is no entry
    // Esc in the list closes it; a second Esc empties the field.
    QTest::keyClick(input(), Qt::Key_Escape);
    QVERIFY(!list->isVisible());
    QCOMPARE(input()->text(), QStringLiteral("car"));
    QTest::keyClick(input(), Qt::Key_Escape);
    QCOMPARE(input()->text(), QString());
}

// Names the season's saved records took come first in the list while
// typing, the most used first; the choice dialog keeps the list order.
void TestTaxonGrid::seasonsNamesComeFirstWhileTyping()
{
    fx_.form.reset();
    fx_.app->write("Nembra-Sippen.txt", "3\tAchillea millefolium ssp. sudetica\nkeine Zahl\n");
    fx_.form = std::make_unique<TForm1>(fx_.app->path());
    QVERIFY(showActive(*fx_.form));
    auto *list = control<QListWidget>("ListeSippenVorschlag");
    const auto shownFor = [&](const char *typed) {
        QApplication::setActiveWindow(fx_.form.get());
        input()->clear();
        input()->setFocus();
        QTest::keyClicks(input(), typed);
        QStringList shown;
        if (!list->isVisible())
            return shown;
        for (int i = 0; i < list->count(); ++i)
            shown << list->item(i)->text();
        return shown;
    };
    QCOMPARE(shownFor("ach mil"), QStringList({"Achillea millefolium ssp. sudetica", "Achillea millefolium"}));
    QStringList offered;
    whenDialogOpens([&](TListSelectDlg *dialog) {
        for (int i = 0; i < dialog->ListBox1()->count(); ++i)
            offered.append(dialog->ListBox1()->item(i)->text());
        QTest::keyClick(dialog->ListBox1(), Qt::Key_Escape);
    });
    QTest::keyClick(input(), Qt::Key_Return);
    QCOMPARE(offered, QStringList({"Achillea millefolium", "Achillea millefolium ssp. sudetica"}));

    // A saved record counts its taxa.
    input()->clear();
    fillCompleteRecord();
    fx_.msgs->savePath = fx_.app->path() + "Data/saison.csv";
    QVERIFY(fx_.form->DatenSpeichern());
    QCOMPARE(readFile(fx_.app->path() + "Nembra-Sippen.txt"),
             QByteArray("4\tAchillea millefolium ssp. sudetica\n1\tQuercus robur\n"));
    QCOMPARE(shownFor("que"), QStringList({"Quercus robur"}));

    // Reset from the menu, after the question: the list order again.
    fx_.msgs->answers = {Messages::Answer::Yes};
    control<QAction>("MenuItemResetTaxonUse")->trigger();
    QCOMPARE(fx_.msgs->shown.constLast().kind, Kind::Confirmation);
    QVERIFY(!QFile::exists(fx_.app->path() + "Nembra-Sippen.txt"));
    QCOMPARE(shownFor("ach mil"), QStringList({"Achillea millefolium", "Achillea millefolium ssp. sudetica"}));
}

void TestTaxonGrid::taxonAlreadyInGridIsNotAdded()
{
    type("que rob");
    // Another letter case of the same name counts as the same taxon.
    grid()->setCells(0, 1, "QUERCUS ROBUR");
    type("que rob.2");
    QCOMPARE(grid()->RowCount(), 3);
    QCOMPARE(input()->text(), QStringLiteral("que rob.2"));
    QVERIFY(fx_.msgs->shown.isEmpty());
}

void TestTaxonGrid::escapeEmptiesInput()
{
    input()->setFocus();
    QTest::keyClicks(input(), "abi alba.2");
    QTest::keyClick(input(), Qt::Key_Escape);
    QCOMPARE(input()->text(), QString());
    QCOMPARE(grid()->RowCount(), 2);
}

void TestTaxonGrid::nameEmptyChangesNothing()
{
    type(".2");
    QCOMPARE(grid()->RowCount(), 2);
    QCOMPARE(input()->text(), QStringLiteral(".2"));
    type("Unbekannt");
    QCOMPARE(grid()->RowCount(), 2);
    QVERIFY(fx_.msgs->shown.isEmpty());
}

void TestTaxonGrid::deletingRows()
{
    type("que rob");
    type("fes rub");
    type("ach mil sud");
    QCOMPARE(grid()->RowCount(), 5);

    auto clickDelete = [&](int r) {
        grid()->setCurrentCell(0, r);
        QTest::mouseClick(control("BtnSippeLoeschen"), Qt::LeftButton);
    };
    clickDelete(2);
    QCOMPARE(grid()->RowCount(), 4);
    QCOMPARE(row(1)[0], QStringLiteral("Quercus robur"));
    QCOMPARE(row(2)[0], QStringLiteral("Achillea millefolium ssp. sudetica"));
    QCOMPARE(row(3)[0], QString());
    clickDelete(3); // the empty last row
    QCOMPARE(grid()->RowCount(), 4);
    TForm1::DeleteGridRow(0, grid()); // the header
    QCOMPARE(grid()->RowCount(), 4);
    QCOMPARE(grid()->Cells(0, 0), QStringLiteral("Sippenname"));

    QTest::mouseClick(control("BtnAlleSippenLoeschen"), Qt::LeftButton);
    QCOMPARE(grid()->RowCount(), 2);
    QCOMPARE(row(1), QStringList({"", "", "", ""}));
    QVERIFY(fx_.msgs->shown.isEmpty());
}

void TestTaxonGrid::fillCompleteRecord()
{
    type("ach mil sud.2.am \"alten\" Weg.5");
    type("que rob");
    control<QLineEdit>("Edit3")->setText("Große Ähre");
    control<QLineEdit>("Edit4")->setText("01.05.2010");
    control<QLineEdit>("Edit5")->setText("49,45187N;6,66071E");
    control<QComboBox>("ComboBox1")->setCurrentIndex(0);
    control<QLineEdit>("Edit2")->setText("25");
    control<QLineEdit>("Edit6")->setText("5706/143");
    control<QLineEdit>("Edit7")->setText("240");
    control<QComboBox>("LMDImageComboBox1")->setCurrentIndex(1);
    control<QPlainTextEdit>("Memo1")->setPlainText("Hang mit \"Eichen\"\nund  Buchen");
    auto *observers = control<QListWidget>("CheckListBox1");
    observers->item(0)->setCheckState(Qt::Checked);
    observers->item(2)->setCheckState(Qt::Checked);
}

void TestTaxonGrid::exportWritesTheFormsRecord()
{
    fillCompleteRecord();
    const QString target = fx_.app->path() + "Data/Mueller,_Hans-01_05_2010_001.csv";
    fx_.msgs->savePath = target;
    QVERIFY(fx_.form->DatenSpeichern());

    QCOMPARE(fx_.msgs->saveDialogs.size(), 1);
    const Messages::SaveDialog &dialog = fx_.msgs->saveDialogs[0];
    QCOMPARE(dialog.title, QStringLiteral("Daten speichern"));
    QCOMPARE(dialog.directory, fx_.app->path() + "Data/");
    QCOMPARE(dialog.filterName, QStringLiteral("Komma getrennter Text"));
    QCOMPARE(dialog.filterPattern, QStringLiteral("*.csv"));
    QCOMPARE(dialog.defaultSuffix, QStringLiteral("csv"));
    QCOMPARE(dialog.fileName, QStringLiteral("Mueller,_Hans-01_05_2010_001"));

    QFile expected(QFINDTESTDATA("data/export_complete.csv"));
    QVERIFY(expected.open(QIODevice::ReadOnly));
    QCOMPARE(readFile(target), expected.readAll());
    QCOMPARE(fx_.msgs->shown.size(), 1);
    QCOMPARE(fx_.msgs->shown[0].kind, Kind::Information);
    QCOMPARE(fx_.msgs->shown[0].caption, QStringLiteral("Informationen"));
    QCOMPARE(fx_.msgs->shown[0].text, "Datei gespeichert: " + target);
    // The form keeps its contents for the next variant of the event.
    QCOMPARE(grid()->RowCount(), 4);
    QCOMPARE(control<QLineEdit>("Edit3")->text(), QStringLiteral("Große Ähre"));

    // The next proposal takes the next number; a name without extension gets ".csv".
    fx_.msgs->savePath = fx_.app->path() + "Data/zweite";
    QVERIFY(fx_.form->DatenSpeichern());
    QCOMPARE(fx_.msgs->saveDialogs[1].fileName, QStringLiteral("Mueller,_Hans-01_05_2010_002"));
    QVERIFY(QFile::exists(fx_.app->path() + "Data/zweite.csv"));
}

void TestTaxonGrid::exportCancelled()
{
    fillCompleteRecord();
    fx_.msgs->savePath.clear();
    QVERIFY(fx_.form->DatenSpeichern());
    QCOMPARE(fx_.msgs->texts(), QStringList{"Speichern abgebrochen"});
    QCOMPARE(fx_.msgs->shown[0].kind, Kind::Information);
    QCOMPARE(QDir(fx_.app->path() + "Data").entryList(QDir::Files), QStringList());
}

void TestTaxonGrid::exportReplacesExistingFile()
{
    fillCompleteRecord();
    const QString target = fx_.app->path() + "Data/alt.csv";
    fx_.app->write("Data/alt.csv",
                   "alter Inhalt, viel l\xE4nger als die neue Datei ........................................"
                   "........................................................................");
    const QByteArray old = readFile(target);
    const QString question = "Die Datei \"" + target + "\" existiert bereits.\n\rSoll sie ersetzt werden?";

    // Cancelled: the old file stays. The name without its extension is the
    // same file.
    fx_.msgs->savePath = fx_.app->path() + "Data/alt";
    fx_.msgs->answers = {Messages::Answer::Cancel};
    QVERIFY(fx_.form->DatenSpeichern());
    QCOMPARE(fx_.msgs->texts(), QStringList({question, "Speichern abgebrochen"}));
    QCOMPARE(fx_.msgs->shown[0].kind, Kind::Confirmation);
    QCOMPARE(readFile(target), old);

    // Confirmed: replaced.
    fx_.msgs->shown.clear();
    fx_.msgs->savePath = target;
    QVERIFY(fx_.form->DatenSpeichern());
    QCOMPARE(fx_.msgs->texts(), QStringList({question, "Datei gespeichert: " + target}));
    QFile expected(QFINDTESTDATA("data/export_complete.csv"));
    QVERIFY(expected.open(QIODevice::ReadOnly));
    QCOMPARE(readFile(target), expected.readAll());
}

void TestTaxonGrid::exportFailureKeepsOldFile()
{
    fillCompleteRecord();
    // As root nothing is refused for want of rights: the folder of the chosen
    // path is a plain file.
    fx_.app->write("Data/ordner", "kein Ordner");
    fx_.msgs->savePath = fx_.app->path() + "Data/ordner/x.csv";
    // Through the button's way into the handler, as the user meets it.
    bool result = true;
    QTimer::singleShot(0, this, [&] { guarded([&] { result = fx_.form->DatenSpeichern(); }); });
    QTest::qWait(50);
    QCOMPARE(fx_.msgs->shown.size(), 1);
    QCOMPARE(fx_.msgs->shown[0].kind, Kind::AppError);
    QVERIFY2(fx_.msgs->shown[0].text.startsWith("Datei \"" + fx_.app->path()
                                                + "Data/ordner/x.csv\" kann nicht erstellt werden. "),
             qPrintable(fx_.msgs->shown[0].text));
    QVERIFY(fx_.msgs->shown[0].text.size()
            > QStringLiteral("Datei \"\" kann nicht erstellt werden. ").size() + fx_.msgs->savePath.size());
    QCOMPARE(readFile(fx_.app->path() + "Data/ordner"), QByteArray("kein Ordner"));

    // An existing file that cannot be replaced keeps its old content.
    fx_.app->write("Data/alt.csv", "alter Inhalt");
    {
        ImmutableFile locked(fx_.app->path() + "Data/alt.csv");
        if (locked.ok()) {
            const qsizetype before = fx_.msgs->shown.size();
            fx_.msgs->savePath = fx_.app->path() + "Data/alt.csv";
            guarded([&] { fx_.form->DatenSpeichern(); });
            QCOMPARE(fx_.msgs->shown.constLast().kind, Kind::AppError);
            QVERIFY(fx_.msgs->shown.constLast().text.startsWith("Datei \"" + fx_.msgs->savePath
                                                                + "\" kann nicht erstellt werden. "));
            QCOMPARE(readFile(fx_.msgs->savePath), QByteArray("alter Inhalt"));
            // The question before replacing it, and the error.
            QCOMPARE(fx_.msgs->shown.size(), before + 2);
            fx_.msgs->shown.resize(before);
        }
    }
    QFile::remove(fx_.app->path() + "Data/alt.csv");

    // An existing target that cannot be replaced (a folder stands there) is
    // left as it was, and no temporary file stays behind.
    QDir().mkpath(fx_.app->path() + "Data/besetzt.csv");
    fx_.msgs->savePath = fx_.app->path() + "Data/besetzt.csv";
    guarded([&] { fx_.form->DatenSpeichern(); });
    QCOMPARE(fx_.msgs->shown.size(), 2);
    QCOMPARE(fx_.msgs->shown[1].kind, Kind::AppError);
    QVERIFY(QFileInfo(fx_.app->path() + "Data/besetzt.csv").isDir());
    QCOMPARE(QDir(fx_.app->path() + "Data").entryList(QDir::Files | QDir::Hidden), QStringList{"ordner"});
}

void TestTaxonGrid::exportRefusesUnrepresentableCharacter()
{
    fillCompleteRecord();
    control<QLineEdit>("Edit3")->setText("Wrocław");
    fx_.msgs->savePath = fx_.app->path() + "Data/x.csv";
    QVERIFY(fx_.form->DatenSpeichern());
    QCOMPARE(fx_.msgs->shown.size(), 1);
    QCOMPARE(fx_.msgs->shown[0].kind, Kind::Warning);
    QCOMPARE(fx_.msgs->shown[0].text,
             QStringLiteral("Das Zeichen \"ł\" im Feld \"Fundort\" kann in der Datei nicht gespeichert werden."
                            "\n\rSpeichern wird abgebrochen"));
    QVERIFY(fx_.msgs->saveDialogs.isEmpty());
    QVERIFY(!QFile::exists(fx_.app->path() + "Data/x.csv"));
}

void TestTaxonGrid::exportWithoutSystemCode()
{
    fillCompleteRecord();
    control<QComboBox>("ComboBox1")->setEditText("Gauss-Krueger");
    fx_.msgs->savePath = fx_.app->path() + "Data/x.csv";
    QVERIFY(!fx_.form->DatenSpeichern());
    QCOMPARE(fx_.msgs->texts(),
             QStringList{"Raumreferenzsystem konnte nicht extrahiert werden\n\rSpeichern wird abgebrochen"});
    QCOMPARE(fx_.msgs->shown[0].caption, QStringLiteral("Warnung"));
    QVERIFY(fx_.msgs->saveDialogs.isEmpty());
    control<QComboBox>("ComboBox1")->setEditText("System (LTLNX)");
    QVERIFY(!fx_.form->DatenSpeichern());
    QCOMPARE(fx_.msgs->shown.size(), 2);
}

void TestTaxonGrid::exportWithTooLongGridCode()
{
    fillCompleteRecord();
    control<QComboBox>("ComboBox2")->setEditText("Raster (MTBQYX)");
    const QString target = fx_.app->path() + "Data/x.csv";
    fx_.msgs->savePath = target;
    QVERIFY(fx_.form->DatenSpeichern());
    QCOMPARE(fx_.msgs->shown[0].text,
             QStringLiteral("Rastersystem konnte nicht extrahiert werden\n\rSpeichere leere Angabe"));
    QCOMPARE(fx_.msgs->shown[0].kind, Kind::Warning);
    const QList<QByteArray> lines = readFile(target).split('\n');
    QVERIFY(lines[1].contains("\"25\",\"FlorKart Kurznotiz\",\"\",\"Hang"));
}

NEMBRA_WIDGET_TEST_MAIN(TestTaxonGrid)

#include "tst_taxongrid.moc"
