// A position from a GPS file or a photo, taken into the form from the menu:
// the open dialog, the choice of a waypoint by keyboard, which fields are
// filled, the question before a typed reference is replaced, and bad files.
#include <ctime>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>

#include "AppSettings.h"
#include "PositionChoice.h"
#include "PositionFixture.h"
#include "WidgetTest.h"

using namespace PositionFixture;
using Kind = Messages::Kind;
using Answer = Messages::Answer;

class TestPositionImport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void secondWaypointByKeyboard();
    void escapeInTheChoiceChangesNothing();
    void doubleClickTakesAWaypoint();
    void typedReferenceReplacedOnlyAfterTheQuestion();
    void photoFillsPositionAltitudeDateAndRadius();
    void photoDateInTheFutureIsRefused();
    void badFilesLeaveTheFormAsItWas_data();
    void badFilesLeaveTheFormAsItWas();
    void cancelledDialogChangesNothing();

private:
    template<class T = QWidget>
    T *control(const char *name) const
    {
        return controlOf<T>(*fx_.form, name);
    }
    QString text(const char *name) const { return control<QLineEdit>(name)->text(); }
    QString file(const QString &name, const QByteArray &bytes) const
    {
        const QString path = dir_.filePath(name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return path;
    }
    // Ctrl+G with the given file chosen in the open dialog; whileOpen runs on
    // the choice dialog when one opens.
    void importFile(const QString &path, std::function<void(TPositionChoice *)> whileOpen = {})
    {
        fx_.msgs->openPath = path;
        choiceSeen_ = false;
        if (whileOpen)
            QTimer::singleShot(0, this, [this, whileOpen] {
                auto *dialog = qobject_cast<TPositionChoice *>(QApplication::activeModalWidget());
                if (!dialog)
                    return;
                choiceSeen_ = true;
                // As the window manager would activate it.
                QVERIFY(showActive(*dialog));
                whileOpen(dialog);
                if (dialog->isVisible()) // a failed check: the test goes on
                    dialog->reject();
            });
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_G, Qt::ControlModifier);
        // The window manager gives the form back the keyboard.
        QApplication::setActiveWindow(fx_.form.get());
    }

    FormFixture fx_;
    QTemporaryDir dir_;
    bool choiceSeen_ = false;
};

void TestPositionImport::initTestCase()
{
    // GPX times are UTC; the form takes the local date.
    qputenv("TZ", "Europe/Berlin");
    tzset();
}

void TestPositionImport::init()
{
    fx_.make({"Achillea millefolium"}, {"Müller, Hans"});
    fx_.fixToday(QDate(2026, 12, 11));
    QVERIFY(showActive(*fx_.form));
    control("Edit3")->setFocus();
}

void TestPositionImport::cleanup()
{
    fx_.reset();
}

void TestPositionImport::secondWaypointByKeyboard()
{
    control<QComboBox>("ComboBox1")->setCurrentIndex(5); // a map-sheet system before
    const QString gpx = file("Tag.gpx", threeWaypoints());
    QStringList rows;
    importFile(gpx, [&](TPositionChoice *dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Position wählen"));
        auto *list = controlOf<QTreeWidget>(*dialog, "PositionList");
        QCOMPARE(QApplication::focusWidget(), list);
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = list->topLevelItem(i);
            rows << QStringList{item->text(0), item->text(1), item->text(2), item->text(3)}.join(u'|');
        }
        QCOMPARE(list->currentItem(), list->topLevelItem(0));
        // Typing a name's start jumps to it; Down and Enter take the second.
        QTest::keyClicks(list, "003");
        QCOMPARE(list->currentItem(), list->topLevelItem(2));
        QTest::keyClick(list, Qt::Key_Home);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
    });
    QVERIFY(choiceSeen_);
    QCOMPARE(fx_.msgs->openDialogs.size(), 1);
    QCOMPARE(fx_.msgs->openDialogs[0].title, QStringLiteral("Position aus Datei"));
    QVERIFY(fx_.msgs->openDialogs[0].filters[0].contains(QStringLiteral("*.gpx")));
    QVERIFY(fx_.msgs->openDialogs[0].filters[0].contains(QStringLiteral("*.jpg")));
    // Local times: 08:15 UTC is 10:15 in Berlin in June.
    QCOMPARE(rows,
             QStringList({"001|01.06.2026 10:15:30|49,45187N;6,66071E|182 m",
                          "002 Hang|02.06.2026 00:30:00|49,50000N;7,00000E|312 m", "003||12,50000S;45,25000W|"}));
    QCOMPARE(text("Edit5"), QStringLiteral("49,50000N;7,00000E"));
    QCOMPARE(control<QComboBox>("ComboBox1")->currentIndex(), 0);
    QCOMPARE(text("Edit7"), QStringLiteral("312"));
    QCOMPARE(text("Edit4"), QStringLiteral("02.06.2026"));
    QCOMPARE(text("Edit2"), QString()); // a waypoint has no positioning error
    QCOMPARE(focusedControl(), QStringLiteral("Edit5"));
    QVERIFY(fx_.msgs->shown.isEmpty());

    // The next dialog opens in the folder of this file.
    QCOMPARE(AppSettings::positionFolder(fx_.app->path()), dir_.path());
    fx_.msgs->openPath.clear();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_G, Qt::ControlModifier);
    QCOMPARE(fx_.msgs->openDialogs.constLast().directory, dir_.path());
}

void TestPositionImport::escapeInTheChoiceChangesNothing()
{
    const ObservationRecord before = fx_.form->currentRecord();
    importFile(file("Tag.gpx", threeWaypoints()),
               [](TPositionChoice *dialog) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); });
    QVERIFY(choiceSeen_);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(fx_.form->currentRecord() == before);
    QVERIFY(fx_.msgs->shown.isEmpty());
}

void TestPositionImport::doubleClickTakesAWaypoint()
{
    importFile(file("Tag.gpx", threeWaypoints()), [](TPositionChoice *dialog) {
        auto *list = controlOf<QTreeWidget>(*dialog, "PositionList");
        const QRect third = list->visualItemRect(list->topLevelItem(2));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, third.center());
    });
    QVERIFY(choiceSeen_);
    QCOMPARE(text("Edit5"), QStringLiteral("12,50000S;45,25000W"));
    // Nothing of what the waypoint lacks is filled.
    QCOMPARE(text("Edit7"), QString());
    QCOMPARE(text("Edit4"), QString());
}

void TestPositionImport::typedReferenceReplacedOnlyAfterTheQuestion()
{
    control<QComboBox>("ComboBox1")->setCurrentIndex(0);
    control<QLineEdit>("Edit5")->setText(QStringLiteral("50,00000N;8,00000E"));
    control<QLineEdit>("Edit7")->setText(QStringLiteral("200"));
    control<QLineEdit>("Edit4")->setText(QStringLiteral("03.05.2026"));
    const QString gpx = file("Einer.gpx",
                             gpx11("<wpt lat=\"49.5\" lon=\"7\"><ele>312</ele>"
                                   "<time>2026-06-01T10:00:00Z</time></wpt>"));
    fx_.msgs->answers = {Answer::Cancel};
    importFile(gpx);
    QCOMPARE(fx_.msgs->shown.size(), 1);
    const RecordingMessages::Shown &question = fx_.msgs->shown[0];
    QCOMPARE(question.kind, Kind::Confirmation);
    QCOMPARE(question.caption, QStringLiteral("Bestätigen"));
    QCOMPARE(question.text,
             QStringLiteral("Der Raumbezug \"50,00000N;8,00000E\" wird durch die Position aus "
                            "der Datei ersetzt:\n\r49,50000N;7,00000E"));
    QVERIFY(!question.buttons.yesIsDefault);
    QCOMPARE(text("Edit5"), QStringLiteral("50,00000N;8,00000E"));

    fx_.msgs->answers = {Answer::Yes};
    importFile(gpx);
    QCOMPARE(text("Edit5"), QStringLiteral("49,50000N;7,00000E"));
    // What the user typed stays.
    QCOMPARE(text("Edit7"), QStringLiteral("200"));
    QCOMPARE(text("Edit4"), QStringLiteral("03.05.2026"));
}

void TestPositionImport::photoFillsPositionAltitudeDateAndRadius()
{
    importFile(file("IMG_2041.JPG", jpeg(merzig())));
    QVERIFY(!choiceSeen_);
    QVERIFY(fx_.msgs->shown.isEmpty());
    QCOMPARE(text("Edit5"), QStringLiteral("49,45186N;6,66071E"));
    QCOMPARE(control<QComboBox>("ComboBox1")->currentIndex(), 0);
    QCOMPARE(text("Edit7"), QStringLiteral("312"));
    QCOMPARE(text("Edit4"), QStringLiteral("01.06.2026"));
    QCOMPARE(text("Edit2"), QStringLiteral("5")); // 4.2 m, rounded up

    // A photo without a position says so and changes nothing.
    fx_.form->BtnAlleSippenLoeschenClick(nullptr);
    const ObservationRecord before = fx_.form->currentRecord();
    Tags dateOnly;
    dateOnly.dateTimeOriginal = "2026:06:01 14:05:09";
    importFile(file("IMG_2042.JPG", jpeg(dateOnly)));
    QCOMPARE(fx_.msgs->texts().constLast(), QStringLiteral("Das Foto enthält keine Position."));
    QCOMPARE(fx_.msgs->shown.constLast().kind, Kind::Warning);
    QVERIFY(fx_.form->currentRecord() == before);
}

void TestPositionImport::photoDateInTheFutureIsRefused()
{
    Tags later = merzig();
    later.dateTimeOriginal = "2027:01:02 08:00:00";
    later.horizontalError = Rational{3, 10};
    importFile(file("IMG_2043.JPG", jpeg(later)));
    // Refused as a typed date is; the rest is taken.
    QCOMPARE(fx_.msgs->shown.size(), 1);
    QCOMPARE(fx_.msgs->shown[0].kind, Kind::Warning);
    QCOMPARE(text("Edit4"), QString());
    QCOMPARE(text("Edit5"), QStringLiteral("49,45186N;6,66071E"));
    QCOMPARE(text("Edit2"), QStringLiteral("1")); // at least one metre
}

void TestPositionImport::badFilesLeaveTheFormAsItWas_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("size"); // sparse to this size, or -1
    QTest::addColumn<QString>("message");
    QTest::newRow("not XML") << QByteArray("49,5;7,0\n") << qint64(-1)
                             << QStringLiteral("Die Datei ist keine XML-Datei (Zeile 1).");
    QTest::newRow("not GPX") << QByteArray("<?xml version=\"1.0\"?><kml/>") << qint64(-1)
                             << QStringLiteral("Die Datei ist keine GPX-Datei.");
    QTest::newRow("no points") << gpx11("<metadata/>") << qint64(-1)
                               << QStringLiteral("Die GPX-Datei enthält keine Wegpunkte und keine Trackpunkte.");
    QTest::newRow("out of range") << gpx11("<wpt lat=\"49\" lon=\"181\"/>") << qint64(-1)
                                  << QStringLiteral("Die GPX-Datei enthält ungültige Koordinaten (1. Punkt).");
    const QByteArray photo = jpeg(merzig());
    QTest::newRow("truncated JPEG") << photo.left(photo.indexOf("Exif") + 30) << qint64(-1)
                                    << QStringLiteral("Das Foto ist unvollständig oder beschädigt.");
    QTest::newRow("gigabytes of GPX") << gpx11(QByteArray()) << (qint64(2) << 30)
                                      << QStringLiteral("Die Datei kann nicht gelesen werden: "
                                                        "Die Datei ist größer als 64 MB.");
    QTest::newRow("a folder") << QByteArray() << qint64(-2)
                              << QStringLiteral("Die Datei kann nicht gelesen werden: "
                                                "Es ist keine gewöhnliche Datei.");
}

void TestPositionImport::badFilesLeaveTheFormAsItWas()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, size);
    QFETCH(QString, message);
    control<QLineEdit>("Edit3")->setText(QStringLiteral("Merzig, Hang"));
    const ObservationRecord before = fx_.form->currentRecord();
    QString path = file("bad.gpx", bytes);
    if (size >= 0)
        QVERIFY(QFile::resize(path, size));
    if (size == -2)
        path = dir_.path();
    importFile(path);
    QCOMPARE(fx_.msgs->texts(), QStringList{message});
    QCOMPARE(fx_.msgs->shown[0].kind, Kind::Warning);
    QVERIFY(fx_.form->currentRecord() == before);
}

void TestPositionImport::cancelledDialogChangesNothing()
{
    const ObservationRecord before = fx_.form->currentRecord();
    importFile(QString());
    QCOMPARE(fx_.msgs->openDialogs.size(), 1);
    QVERIFY(fx_.msgs->shown.isEmpty());
    QVERIFY(fx_.form->currentRecord() == before);
    QCOMPARE(AppSettings::positionFolder(fx_.app->path()), QString());
}

NEMBRA_WIDGET_TEST_MAIN(TestPositionImport)
#include "tst_positionimport.moc"
