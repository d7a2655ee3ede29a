#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <csignal>

#include <unistd.h>

#include "RecordDraft.h"
#include "TStringGrid.h"
#include "WidgetTest.h"

using Kind = Messages::Kind;

namespace {

const QStringList Taxa = {"Abies alba", "Achillea millefolium ssp. sudetica", "Quercus robur"};
const QStringList Observers = {"Müller, Hans", "Schäfer, Jürgen", "Böhm, Käthe"};

// Types a whole record into the form with real keys, as a user would.
void typeRecord(TForm1 &form)
{
    auto type = [&](const char *name, const QString &text, bool enter = false) {
        QWidget *w = controlOf(form, name);
        w->setFocus();
        QTest::keyClicks(w, text);
        if (enter)
            QTest::keyClick(w, Qt::Key_Return);
    };
    type("Edit1", "abi alb.2.am Weg.5", true);
    type("Edit1", "que rob", true);
    type("Edit3", "Große Ähre");
    type("Edit4", "01.05.2010");
    type("Edit5", "49,45187N;6,66072E");
    controlOf<QComboBox>(form, "ComboBox1")->setCurrentIndex(0);
    type("Edit2", "25");
    type("Edit6", "5408/132");
    controlOf<QComboBox>(form, "ComboBox2")->setCurrentIndex(0);
    controlOf<QListWidget>(form, "CheckListBox1")->item(2)->setCheckState(Qt::Checked);
    controlOf<QComboBox>(form, "LMDImageComboBox1")->setCurrentIndex(2);
    type("Edit7", "300-450");
    controlOf<QPlainTextEdit>(form, "Memo1")->setPlainText("Hang\nsonnig");
}

// Everything the user sees of the record, to compare two forms.
QStringList shownRecord(const TForm1 &form)
{
    QStringList out;
    for (const char *name : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7"})
        out << QString::fromLatin1(name) + '=' + controlOf<QLineEdit>(form, name)->text();
    for (const char *name : {"ComboBox1", "ComboBox2", "LMDImageComboBox1"})
        out << QString::fromLatin1(name) + '=' + controlOf<QComboBox>(form, name)->currentText();
    out << "Memo1=" + controlOf<QPlainTextEdit>(form, "Memo1")->toPlainText();
    auto *observers = controlOf<QListWidget>(form, "CheckListBox1");
    for (int i = 0; i < observers->count(); ++i)
        out << observers->item(i)->text() + (observers->item(i)->checkState() == Qt::Checked ? " [x]" : " [ ]");
    auto *grid = controlOf<TStringGrid>(form, "ArtenStrGr1");
    for (int row = 0; row < grid->RowCount(); ++row)
        out << QStringList{grid->Cells(0, row), grid->Cells(1, row), grid->Cells(2, row), grid->Cells(3, row)}.join(
            '|');
    return out;
}

QString draftPath(const AppFolder &app)
{
    return app.path() + QLatin1String(Draft::FileName);
}

// The child process of killedProgramsRecordIsOfferedBack: holds a typed
// record until it is killed.
int runChild(int argc, char *argv[], const QString &folder)
{
    NembraApplication app(argc, argv);
    RecordingMessages msgs;
    TForm1 form(folder);
    showActive(form);
    typeRecord(form);
    QTextStream(stdout) << shownRecord(form).join('\n') << "\n--\n" << Qt::flush;
    return QCoreApplication::exec();
}

} // namespace

// The unsaved record survives a crash, a kill and the title-bar close.
class TestDraft : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { fx_.reset(); }
    void killedProgramsRecordIsOfferedBack();
    void titleBarCloseKeepsTheRecord();
    void declinedDraftIsPutAside();
    void unreadableDraftIsKeptAside();
    void savedOrEmptiedRecordLeavesNoDraft();
    void everyDeclinedDraftIsKept();
    void draftWithoutItsTimeNamesTheFileTime();
    void lostProtectionIsSaidOnceAndAtTheClose();
    void twoCopiesKeepTwoDrafts();
    void savedRecordIsNotOfferedAgain_data();
    void savedRecordIsNotOfferedAgain();
    void failedSaveIsOfferedAgain();
    void unreadableDraftThatCannotMoveIsSaidSo();

private:
    FormFixture fx_;
};

void TestDraft::killedProgramsRecordIsOfferedBack()
{
    AppFolder app;
    app.writeTaxa(Taxa);
    app.writeObservers(Observers);
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("NEMBRA_DRAFT_CHILD", app.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForStarted());
    QByteArray typed;
    QTRY_VERIFY_WITH_TIMEOUT((typed += child.readAllStandardOutput()).contains("\n--\n"), 10000);
    // At most a second after the last change the draft is on disk.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(draftPath(app)), 3000);
    QTest::qWait(TForm1::DraftDelayMs + 200);
    ::kill(pid_t(child.processId()), SIGKILL);
    QVERIFY(child.waitForFinished());

    RecordingMessages msgs;
    TForm1 form(app.path());
    QCOMPARE(msgs.shown.size(), 1);
    QCOMPARE(msgs.shown[0].kind, Kind::Confirmation);
    QVERIFY2(msgs.shown[0].text.startsWith("Es gibt einen nicht gespeicherten Datensatz vom "),
             qPrintable(msgs.shown[0].text));
    QVERIFY(msgs.shown[0].text.endsWith(" Uhr.\n\rSoll er wiederhergestellt werden?"));
    const QStringList expected = QString::fromUtf8(typed.left(typed.indexOf("\n--\n"))).split('\n');
    QCOMPARE(shownRecord(form).join('\n'), expected.join('\n'));
    QVERIFY(expected.contains("Quercus robur|*||"));
    QVERIFY(expected.contains("Böhm, Käthe [x]"));
}

void TestDraft::titleBarCloseKeepsTheRecord()
{
    fx_.make(Taxa, Observers);
    QVERIFY(showActive(*fx_.form));
    typeRecord(*fx_.form);
    const QStringList typed = shownRecord(*fx_.form);
    // Closed at once, before the second has passed.
    fx_.form->close();
    QVERIFY(QFile::exists(draftPath(*fx_.app)));
    fx_.form.reset();
    fx_.form = std::make_unique<TForm1>(fx_.app->path());
    QCOMPARE(fx_.msgs->shown.size(), 1);
    QCOMPARE(shownRecord(*fx_.form), typed);
    fx_.reset();
}

void TestDraft::declinedDraftIsPutAside()
{
    fx_.make(Taxa, Observers);
    typeRecord(*fx_.form);
    fx_.form->writeDraft();
    const QByteArray draft = [&] {
        QFile f(draftPath(*fx_.app));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    QVERIFY(!draft.isEmpty());
    fx_.form.reset();
    fx_.msgs->answers = {Messages::Answer::Cancel};
    fx_.form = std::make_unique<TForm1>(fx_.app->path());
    QVERIFY(!QFile::exists(draftPath(*fx_.app)));
    QFile aside(fx_.app->path() + "Nembra-Entwurf-verworfen.json");
    QVERIFY(aside.open(QIODevice::ReadOnly));
    QCOMPARE(aside.readAll(), draft);
    fx_.reset();
}

void TestDraft::unreadableDraftIsKeptAside()
{
    fx_.make(Taxa, Observers);
    fx_.form.reset();
    fx_.app->write(Draft::FileName, "{ kaputt");
    fx_.form = std::make_unique<TForm1>(fx_.app->path());
    QVERIFY(!fx_.form->terminateRequested());
    QCOMPARE(fx_.msgs->shown.size(), 1);
    QCOMPARE(fx_.msgs->shown[0].kind, Kind::Warning);
    QVERIFY(!QFile::exists(draftPath(*fx_.app)));
    const QStringList kept = QDir(fx_.app->path()).entryList({"Nembra-Entwurf-unlesbar-*.json"});
    QCOMPARE(kept.size(), 1);
    QVERIFY(fx_.msgs->shown[0].text.contains(kept[0]));
    QFile f(fx_.app->path() + kept[0]);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("{ kaputt"));
    fx_.reset();
}

void TestDraft::savedOrEmptiedRecordLeavesNoDraft()
{
    fx_.make(Taxa, Observers);
    QVERIFY(showActive(*fx_.form));
    typeRecord(*fx_.form);
    fx_.form->writeDraft();
    QVERIFY(QFile::exists(draftPath(*fx_.app)));
    fx_.msgs->savePath = fx_.app->path() + "Data/x.csv";
    QTest::mouseClick(controlOf(*fx_.form, "BtnSpeichern"), Qt::LeftButton);
    QVERIFY(QFile::exists(fx_.msgs->savePath));
    QVERIFY(!QFile::exists(draftPath(*fx_.app)));

    // Changed again, then emptied by hand: back to the empty form, no draft.
    controlOf<QLineEdit>(*fx_.form, "Edit3")->setText("anderswo");
    fx_.form->writeDraft();
    QVERIFY(QFile::exists(draftPath(*fx_.app)));
    for (const char *name : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7"})
        controlOf<QLineEdit>(*fx_.form, name)->clear();
    controlOf<QComboBox>(*fx_.form, "ComboBox1")->setCurrentIndex(2);
    controlOf<QComboBox>(*fx_.form, "ComboBox2")->setCurrentIndex(1);
    controlOf<QComboBox>(*fx_.form, "LMDImageComboBox1")->setCurrentIndex(-1);
    controlOf<QPlainTextEdit>(*fx_.form, "Memo1")->clear();
    controlOf<QListWidget>(*fx_.form, "CheckListBox1")->item(2)->setCheckState(Qt::Unchecked);
    QTest::mouseClick(controlOf(*fx_.form, "BtnAlleSippenLoeschen"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(draftPath(*fx_.app)), 3000);
    fx_.reset();
}

namespace {

QByteArray contentOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

void TestDraft::everyDeclinedDraftIsKept()
{
    fx_.make(Taxa, Observers);
    QByteArray drafts[2];
    for (QByteArray &draft : drafts) {
        typeRecord(*fx_.form);
        controlOf<QLineEdit>(*fx_.form, "Edit3")->setText(&draft == drafts ? "erster" : "zweiter");
        fx_.form->writeDraft();
        draft = contentOf(draftPath(*fx_.app));
        fx_.form.reset();
        fx_.msgs->shown.clear();
        fx_.msgs->answers = {Messages::Answer::Cancel};
        fx_.form = std::make_unique<TForm1>(fx_.app->path());
        // The buttons say what they do.
        QCOMPARE(fx_.msgs->shown.size(), 1);
        QCOMPARE(fx_.msgs->shown[0].buttons.yes, QStringLiteral("&Wiederherstellen"));
        QCOMPARE(fx_.msgs->shown[0].buttons.no, QStringLiteral("&Verwerfen"));
    }
    QVERIFY(!QFile::exists(draftPath(*fx_.app)));
    QCOMPARE(contentOf(fx_.app->path() + "Nembra-Entwurf-verworfen.json"), drafts[0]);
    QCOMPARE(contentOf(fx_.app->path() + "Nembra-Entwurf-verworfen-2.json"), drafts[1]);
    fx_.reset();
}

void TestDraft::draftWithoutItsTimeNamesTheFileTime()
{
    fx_.make(Taxa, Observers);
    fx_.form.reset();
    RecordDraft draft;
    draft.texts.insert("Edit3", "ohne Zeit");
    fx_.app->write(Draft::FileName, Draft::toBytes(draft));
    const QDateTime written(QDate(2024, 6, 3), QTime(17, 45));
    QFile file(draftPath(*fx_.app));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(written, QFileDevice::FileModificationTime));
    file.close();
    fx_.form = std::make_unique<TForm1>(fx_.app->path());
    QCOMPARE(fx_.msgs->texts(),
             QStringList{"Es gibt einen nicht gespeicherten Datensatz vom 03.06.2024, 17:45 Uhr.\n\r"
                         "Soll er wiederhergestellt werden?"});
    QCOMPARE(controlOf<QLineEdit>(*fx_.form, "Edit3")->text(), QStringLiteral("ohne Zeit"));
    fx_.reset();
}

void TestDraft::lostProtectionIsSaidOnceAndAtTheClose()
{
    fx_.make(Taxa, Observers);
    QVERIFY(showActive(*fx_.form));
    // A folder where the draft goes: no write can replace it, not even root's.
    QVERIFY(QDir().mkdir(draftPath(*fx_.app)));
    typeRecord(*fx_.form);
    fx_.form->writeDraft();
    controlOf<QLineEdit>(*fx_.form, "Edit3")->setText("noch einmal");
    fx_.form->writeDraft();
    QCOMPARE(fx_.msgs->shown.size(), 1);
    QCOMPARE(fx_.msgs->shown[0].kind, Kind::Warning);
    QVERIFY2(fx_.msgs->shown[0].text.startsWith("Der Datensatz kann zur Zeit nicht als Entwurf gesichert werden: "),
             qPrintable(fx_.msgs->shown[0].text));

    // The title-bar close asks, Enter keeps the window.
    fx_.msgs->shown.clear();
    fx_.msgs->answers = {Messages::Answer::Cancel};
    QVERIFY(!fx_.form->close());
    QVERIFY(fx_.form->isVisible());
    QCOMPARE(fx_.msgs->shown.size(), 1);
    QCOMPARE(fx_.msgs->shown[0].kind, Kind::Confirmation);
    QVERIFY(fx_.msgs->shown[0].text.endsWith("Beim Beenden geht er verloren. Trotzdem beenden?"));
    QVERIFY(!fx_.msgs->shown[0].buttons.yesIsDefault);
    fx_.msgs->answers = {Messages::Answer::Yes};
    QVERIFY(fx_.form->close());

    // Once the draft can be written again, nothing more is asked.
    fx_.form.reset();
    QVERIFY(QDir().rmdir(draftPath(*fx_.app)));
    fx_.msgs->shown.clear();
    fx_.form = std::make_unique<TForm1>(fx_.app->path());
    QVERIFY(showActive(*fx_.form));
    typeRecord(*fx_.form);
    QVERIFY(fx_.form->close());
    QVERIFY(fx_.msgs->shown.isEmpty());
    fx_.reset();
}

void TestDraft::twoCopiesKeepTwoDrafts()
{
    fx_.make(Taxa, Observers);
    // A second copy started on the same folder while the first runs.
    auto second = std::make_unique<TForm1>(fx_.app->path());
    typeRecord(*fx_.form);
    controlOf<QLineEdit>(*fx_.form, "Edit3")->setText("erste Kopie");
    fx_.form->writeDraft();
    typeRecord(*second);
    controlOf<QLineEdit>(*second, "Edit3")->setText("zweite Kopie");
    second->writeDraft();
    QVERIFY(second->draftPath() != fx_.form->draftPath());
    const QStringList first = shownRecord(*fx_.form), other = shownRecord(*second);
    // Both end without a save (a crash would leave the same).
    fx_.form.reset();
    second.reset();

    // The next start offers both: the first declined, the second taken.
    fx_.msgs->shown.clear();
    fx_.msgs->answers = {Messages::Answer::Cancel, Messages::Answer::Yes};
    fx_.form = std::make_unique<TForm1>(fx_.app->path());
    QCOMPARE(fx_.msgs->shown.size(), 2);
    QCOMPARE(shownRecord(*fx_.form), other);
    QVERIFY(contentOf(fx_.app->path() + "Nembra-Entwurf-verworfen.json").contains("erste Kopie"));
    QVERIFY(contentOf(draftPath(*fx_.app)).contains("zweite Kopie"));
    QVERIFY(!QFile::exists(fx_.app->path() + "Nembra-Entwurf-2.json"));
    Q_UNUSED(first);
    fx_.reset();
}

void TestDraft::savedRecordIsNotOfferedAgain_data()
{
    QTest::addColumn<bool>("fileAsSaved");
    QTest::newRow("file holds the record") << true;
    QTest::newRow("file differs: the save did not finish") << false;
}

// The draft names the file before the file is written; a save that fails
// leaves a draft that is offered again.
void TestDraft::failedSaveIsOfferedAgain()
{
    fx_.make(Taxa, Observers);
    QVERIFY(showActive(*fx_.form));
    typeRecord(*fx_.form);
    const QString csv = fx_.app->path() + "Data/fehlt/x.csv";
    fx_.msgs->savePath = csv;
    QTest::mouseClick(controlOf(*fx_.form, "BtnSpeichern"), Qt::LeftButton);
    QVERIFY(!QFile::exists(csv));
    const std::optional<RecordDraft> left = Draft::fromBytes(contentOf(draftPath(*fx_.app)));
    QVERIFY(left);
    QCOMPARE(left->savedTo, csv);
    fx_.form.reset();
    fx_.msgs->shown.clear();
    fx_.form = std::make_unique<TForm1>(fx_.app->path());
    QCOMPARE(fx_.msgs->shown.size(), 1);
    QCOMPARE(fx_.msgs->shown[0].kind, Kind::Confirmation);
}

// A kill between the finished CSV file and the removal of the draft.
void TestDraft::savedRecordIsNotOfferedAgain()
{
    QFETCH(bool, fileAsSaved);
    fx_.make(Taxa, Observers);
    QVERIFY(showActive(*fx_.form));
    typeRecord(*fx_.form);
    fx_.form->writeDraft();
    const QByteArray draftBefore = contentOf(draftPath(*fx_.app));
    const QString csv = fx_.app->path() + "Data/x.csv";
    fx_.msgs->savePath = csv;
    QTest::mouseClick(controlOf(*fx_.form, "BtnSpeichern"), Qt::LeftButton);
    QVERIFY(QFile::exists(csv));
    fx_.form.reset();
    // What the draft said just before the file was written, as the kill left it.
    std::optional<RecordDraft> left = Draft::fromBytes(draftBefore);
    QVERIFY(left);
    left->savedTo = csv;
    left->savedSha256 = QString::fromLatin1(
        QCryptographicHash::hash(contentOf(csv), QCryptographicHash::Sha256).toHex());
    fx_.app->write(Draft::FileName, Draft::toBytes(*left));
    if (!fileAsSaved) {
        QFile f(csv);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("\"halb");
    }

    fx_.msgs->shown.clear();
    fx_.form = std::make_unique<TForm1>(fx_.app->path());
    if (fileAsSaved) {
        QVERIFY(fx_.msgs->shown.isEmpty());
        QVERIFY(!QFile::exists(draftPath(*fx_.app)));
        QVERIFY(QFile::exists(fx_.app->path() + "Nembra-Entwurf-gespeichert.json"));
    } else {
        QCOMPARE(fx_.msgs->shown.size(), 1);
        QCOMPARE(fx_.msgs->shown[0].kind, Kind::Confirmation);
    }
    fx_.reset();
}

// "… wurde als … aufbewahrt" only when it was: in a folder the user may not
// write to, the file keeps its name and the message says why.
void TestDraft::unreadableDraftThatCannotMoveIsSaidSo()
{
    if (::geteuid() == 0)
        QSKIP("root may rename in any folder; runs as a normal user in tst_draft_user");
    fx_.make(Taxa, Observers);
    fx_.form.reset();
    fx_.app->write(Draft::FileName, "{ kaputt");
    const QString folder = fx_.app->path();
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    fx_.form = std::make_unique<TForm1>(folder);
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QCOMPARE(fx_.msgs->texts(),
             QStringList{"Der nicht gespeicherte Datensatz der letzten Sitzung kann nicht gelesen werden.\n\r"
                         "Die Datei \""
                         + draftPath(*fx_.app) + "\" bleibt, wo sie ist: Zugriff verweigert."});
    QCOMPARE(contentOf(draftPath(*fx_.app)), QByteArray("{ kaputt"));
}

int main(int argc, char *argv[])
{
    const QString child = qEnvironmentVariable("NEMBRA_DRAFT_CHILD");
    if (!child.isEmpty())
        return runChild(argc, argv, child);
    NembraApplication app(argc, argv);
    TestDraft test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_draft.moc"
