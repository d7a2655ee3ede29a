#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>

#include "AppFolder.h"
#include "DozadiRad.h"
#include "MapGrid.h"
#include "NembraApplication.h"
#include "RecordingMessages.h"
#include "TStringGrid.h"
#include "WidgetTest.h"

using Kind = Messages::Kind;

// The keystroke filters, the checks on Enter, Tab and leaving a field, and the
// completeness check before saving, driven with real key events.
class TestFieldValidation : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void filtersSwallowAndPass_data();
    void filtersSwallowAndPass();
    void escapeEmpties_data();
    void escapeEmpties();
    void enterMovesOn_data();
    void enterMovesOn();
    void dateNormalisedOnEnter();
    void invalidDateKeepsTheFocus();
    void boxTakingTheFocusIsNoLeaving();
    void spatialReferenceCheckedInCombo_data();
    void spatialReferenceCheckedInCombo();
    void gridReferenceCheckedInCombo_data();
    void gridReferenceCheckedInCombo();
    void altitudeOnEnter_data();
    void altitudeOnEnter();
    void completenessInOrder();
    void optionalRadius_data();
    void optionalRadius();
    void pastedRadiusThatIsNoInteger();
    void completeRecordHandsOverToExport();
    void saveRunsTheFieldChecksFirst_data();
    void saveRunsTheFieldChecksFirst();
    void pastedLineBreaksBecomeBlanks();
    void pastedCellIsItsValue_data();
    void pastedCellIsItsValue();
    void saveChecksCompletenessFirst();
    void gridReferenceFollowsThePick();
    void coordinatesAsGpsUnitsWriteThem_data();
    void coordinatesAsGpsUnitsWriteThem();
    void locationsMustAgreeBeforeSaving_data();
    void locationsMustAgreeBeforeSaving();
    void inputMethodAndAltGrFiltered();

private:
    template<class T = QWidget>
    T *control(const char *name) const
    {
        return controlOf<T>(*fx_.form, name);
    }
    QLineEdit *edit(const char *name) const { return control<QLineEdit>(name); }
    static QString focused() { return focusedControl(); }
    void focusAndType(const char *name, const QString &text)
    {
        QWidget *w = control(name);
        w->setFocus();
        for (QChar c : text) {
            // QTest types ASCII only; other characters go as a key with text.
            if (c.unicode() < 128)
                QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(c),
                                    Qt::NoModifier);
        }
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    void addTaxon()
    {
        focusAndType("Edit1", "abi alba");
        press(Qt::Key_Return);
    }
    // A complete record with one taxon; the save dialog will answer with the
    // path returned.
    QString fillRecord()
    {
        addTaxon();
        edit("Edit3")->setText("Wegrand");
        edit("Edit4")->setText("01.05.2010");
        edit("Edit5")->setText("3512345;5412345");
        edit("Edit2")->setText("25");
        control<QListWidget>("CheckListBox1")->item(1)->setCheckState(Qt::Checked);
        fx_.msgs->savePath = fx_.app->path() + "Data/x.csv";
        return fx_.msgs->savePath;
    }

    FormFixture fx_;
};

void TestFieldValidation::init()
{
    fx_.make({"Abies alba"}, {"Müller, Hans", "Schäfer, Jürgen"});
    fx_.fixToday(QDate(2011, 3, 15));
    QVERIFY(showActive(*fx_.form));
}

void TestFieldValidation::cleanup()
{
    fx_.reset();
}

void TestFieldValidation::filtersSwallowAndPass_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::newRow("Edit5 swallows a n . blank") << "Edit5"
                                                << "a5n.1 2"
                                                << "512";
    QTest::newRow("Edit5 passes , ; N E S W - /") << "Edit5"
                                                  << "49,5N;6,6E-S/W"
                                                  << "49,5N;6,6E-S/W";
    QTest::newRow("Edit5 swallows umlauts and lower case") << "Edit5"
                                                           << "äe5"
                                                           << "5";
    QTest::newRow("Edit4 date characters only") << "Edit4"
                                                << "1a.5/2 x-,3"
                                                << "1.5/2-3";
    QTest::newRow("Edit6 digits and slash") << "Edit6"
                                            << "5408/1a-,N "
                                            << "5408/1";
    QTest::newRow("Edit7 digits and dash") << "Edit7"
                                           << "4a5 .0-x9"
                                           << "450-9";
    QTest::newRow("Edit2 digits only") << "Edit2"
                                       << "a-5x3 ."
                                       << "53";
    QTest::newRow("Edit3 takes everything") << "Edit3"
                                            << "Am Weg, 3. Ecke!"
                                            << "Am Weg, 3. Ecke!";
}

void TestFieldValidation::filtersSwallowAndPass()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, text);
    focusAndType(qPrintable(field), typed);
    QCOMPARE(edit(qPrintable(field))->text(), text);
    press(Qt::Key_Backspace);
    QCOMPARE(edit(qPrintable(field))->text(), text.chopped(1));
    QVERIFY(fx_.msgs->shown.isEmpty());
}

void TestFieldValidation::escapeEmpties_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("emptied");
    QTest::newRow("date") << "Edit4"
                          << "1.5" << true;
    QTest::newRow("spatial reference") << "Edit5"
                                       << "49N" << true;
    QTest::newRow("grid reference") << "Edit6"
                                    << "5408" << true;
    QTest::newRow("altitude") << "Edit7"
                              << "450" << true;
    QTest::newRow("taxon input") << "Edit1"
                                 << "abi" << true;
    QTest::newRow("radius stays") << "Edit2"
                                  << "25" << false;
    QTest::newRow("locality stays") << "Edit3"
                                    << "Weg" << false;
}

void TestFieldValidation::escapeEmpties()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(bool, emptied);
    focusAndType(qPrintable(field), typed);
    press(Qt::Key_Escape);
    QCOMPARE(edit(qPrintable(field))->text(), emptied ? QString() : typed);
}

void TestFieldValidation::enterMovesOn_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("next");
    QTest::newRow("locality") << "Edit3"
                              << "Weg"
                              << "Edit4";
    QTest::newRow("empty date") << "Edit4"
                                << ""
                                << "Edit5";
    QTest::newRow("valid date") << "Edit4"
                                << "1.3.2011"
                                << "Edit5";
    QTest::newRow("spatial reference, unchecked") << "Edit5"
                                                  << "1"
                                                  << "ComboBox1";
    QTest::newRow("radius") << "Edit2"
                            << "25"
                            << "Edit6";
    QTest::newRow("grid reference, unchecked") << "Edit6"
                                               << "1"
                                               << "ComboBox2";
    QTest::newRow("empty altitude") << "Edit7"
                                    << ""
                                    << "Memo1";
    QTest::newRow("valid altitude") << "Edit7"
                                    << "450"
                                    << "Memo1";
}

void TestFieldValidation::enterMovesOn()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, next);
    focusAndType(qPrintable(field), typed);
    press(Qt::Key_Return);
    QTRY_COMPARE(focused(), next);
    QVERIFY(fx_.msgs->shown.isEmpty());
}

void TestFieldValidation::dateNormalisedOnEnter()
{
    focusAndType("Edit4", "5/3/11-");
    press(Qt::Key_Return);
    QCOMPARE(edit("Edit4")->text(), QStringLiteral("05.03.2011-"));
    QTRY_COMPARE(focused(), QStringLiteral("Edit5"));
    // Leaving by Tab normalises as well.
    focusAndType("Edit4", QString());
    edit("Edit4")->setText("1.5.10-3.5.10");
    press(Qt::Key_Tab);
    QTRY_COMPARE(focused(), QStringLiteral("Edit5"));
    QCOMPARE(edit("Edit4")->text(), QStringLiteral("01.05.2010-03.05.2010"));
    QVERIFY(fx_.msgs->shown.isEmpty());
}

void TestFieldValidation::invalidDateKeepsTheFocus()
{
    focusAndType("Edit4", "16.3.2011");
    press(Qt::Key_Return);
    QCOMPARE(fx_.msgs->texts(), QStringList{"Datumsangabe nicht korrekt: \n\rSie haben in der Zukunft kartiert!"});
    QCOMPARE(fx_.msgs->shown[0].kind, Kind::Warning);
    QCOMPARE(fx_.msgs->shown[0].caption, QStringLiteral("Warnung"));
    QCOMPARE(focused(), QStringLiteral("Edit4"));
    QCOMPARE(edit("Edit4")->text(), QStringLiteral("16.3.2011"));

    // Tab away: the check runs again and the focus comes back.
    press(Qt::Key_Tab);
    QTRY_COMPARE(focused(), QStringLiteral("Edit4"));
    QCOMPARE(fx_.msgs->shown.size(), 2);
    // So does a click into another field.
    QTest::mouseClick(edit("Edit3"), Qt::LeftButton);
    QTRY_COMPARE(focused(), QStringLiteral("Edit4"));
    QCOMPARE(fx_.msgs->shown.size(), 3);
    QCOMPARE(edit("Edit4")->text(), QStringLiteral("16.3.2011"));

    // An emptied field may be left without a check.
    press(Qt::Key_Escape);
    press(Qt::Key_Tab);
    QTRY_COMPARE(focused(), QStringLiteral("Edit5"));
    QCOMPARE(fx_.msgs->shown.size(), 3);

    // A pasted part that mixes digits and letters is refused, the text kept.
    edit("Edit4")->setFocus();
    edit("Edit4")->setText("1a.5.2010");
    press(Qt::Key_Return);
    QCOMPARE(fx_.msgs->shown.constLast().text,
             QStringLiteral("Datumsangabe nicht korrekt: \n\rDatum enthält eine "
                            "ungültige Tages-, Monats- oder Jahresangabe"));
    QCOMPARE(edit("Edit4")->text(), QStringLiteral("1a.5.2010"));
}

void TestFieldValidation::boxTakingTheFocusIsNoLeaving()
{
    // A real message box takes the focus into its own window; that is no
    // leaving of the date field, so the fault is shown once.
    QLineEdit box;
    fx_.msgs->onShow = [&](const RecordingMessages::Shown &) {
        box.show();
        QApplication::setActiveWindow(&box);
        box.setFocus();
        QCoreApplication::processEvents();
        box.hide();
        QApplication::setActiveWindow(fx_.form.get());
        QCoreApplication::processEvents();
    };
    focusAndType("Edit4", "16.3.2011");
    press(Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(fx_.msgs->shown.size(), 1);
    QTRY_COMPARE(focused(), QStringLiteral("Edit4"));
}

void TestFieldValidation::spatialReferenceCheckedInCombo_data()
{
    QTest::addColumn<QString>("system"); // combo text, empty: the start item
    QTest::addColumn<QString>("reference");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("message"); // empty: none
    QTest::addColumn<QString>("focus");
    const QString gkHead = QStringLiteral("Der unter \"Raumbezug\" eingegebene Wert gehört nicht \n\rzu dem "
                                          "ausgewählten Raumbezugssystem oder\n\rdie Eingabe ist fehlerhaft\n\r");
    const QString ltlnHead = QStringLiteral(
        "Der unter \"Raumbezug\" eingegebene Wert gehört nicht \n\rzu dem "
        "ausgewählten Raumbezugssystem oder\n\rdie Eingabe ist fehlerhaft;\n\r\n\r");
    const int enter = Qt::Key_Return, tab = Qt::Key_Tab, backtab = Qt::Key_Backtab;
    QTest::newRow("GKr3 valid, Enter") << ""
                                       << "3512345;5412345" << enter << ""
                                       << "Edit2";
    QTest::newRow("GKr3 valid, Tab") << ""
                                     << "3512345;5412345" << tab << ""
                                     << "Edit2";
    QTest::newRow("GKr3 wrong strip, Enter") << ""
                                             << "2512345;5412345" << enter << gkHead + "\n\rStreifennummer 3 erwartet"
                                             << "Edit5";
    QTest::newRow("GKr3 wrong strip, Tab") << ""
                                           << "2512345;5412345" << tab << gkHead + "\n\rStreifennummer 3 erwartet"
                                           << "Edit5";
    QTest::newRow("empty reference, Enter") << ""
                                            << "" << enter << ""
                                            << "Edit2";
    QTest::newRow("Shift+Tab valid") << ""
                                     << "3512345;5412345" << backtab << ""
                                     << "Edit5";
    QTest::newRow("Shift+Tab invalid") << ""
                                       << "351;5412345" << backtab << gkHead + "\n\rx-Wert hat keine 7 Stellen"
                                       << "Edit5";
    QTest::newRow("xyz checks nothing") << "xyz"
                                        << "1" << tab << ""
                                        << "Edit2";
    QTest::newRow("GKr3 LTLN runs Gauss-Krüger") << "GKr3 LTLN"
                                                 << "49N;6E" << enter
                                                 << gkHead
            + "\n\rx-Wert hat keine 7 Stellen\n\ry-Wert hat keine 7 "
              "Stellen\n\rStreifennummer 3 erwartet"
                                                 << "Edit5";
    QTest::newRow("QQQ and QYX: QYX") << "QQQ QYX"
                                      << "5408/13" << enter << "Raumbezug falsch: \n\rMinutenfeld nicht korrekt"
                                      << "Edit5";
    QTest::newRow("LTLN item") << "Breite/Länge - WGS84 (LTLN)"
                               << "49N;180E" << enter << ltlnHead + "Länge nicht zwischen 0° und 180°"
                               << "Edit5";
}

void TestFieldValidation::spatialReferenceCheckedInCombo()
{
    QFETCH(QString, system);
    QFETCH(QString, reference);
    QFETCH(int, key);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    auto *combo = control<QComboBox>("ComboBox1");
    if (!system.isEmpty())
        combo->setEditText(system);
    edit("Edit5")->setText(reference);
    combo->setFocus();
    press(Qt::Key(key), key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
    QCOMPARE(fx_.msgs->texts(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!message.isEmpty()) {
        QCOMPARE(fx_.msgs->shown[0].kind, Kind::Error);
        QCOMPARE(fx_.msgs->shown[0].caption, QStringLiteral("Fehler"));
    }
    QTRY_COMPARE(focused(), focus);
    QCOMPARE(edit("Edit5")->text(), reference);
}

void TestFieldValidation::gridReferenceCheckedInCombo_data()
{
    QTest::addColumn<QString>("reference");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("QYX invalid, Enter") << "5408/13" << int(Qt::Key_Return)
                                        << "Raumbezug falsch: \n\rMinutenfeld nicht korrekt"
                                        << "Edit6";
    QTest::newRow("QYX valid, Tab") << "5408/235" << int(Qt::Key_Tab) << ""
                                    << "CheckListBox1";
    QTest::newRow("empty, Tab") << "" << int(Qt::Key_Tab) << ""
                                << "CheckListBox1";
    QTest::newRow("Shift+Tab") << "5408/235" << int(Qt::Key_Backtab) << ""
                               << "Edit6";
}

void TestFieldValidation::gridReferenceCheckedInCombo()
{
    QFETCH(QString, reference);
    QFETCH(int, key);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    edit("Edit6")->setText(reference);
    control("ComboBox2")->setFocus();
    press(Qt::Key(key), key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
    QCOMPARE(fx_.msgs->texts(), message.isEmpty() ? QStringList() : QStringList{message});
    QTRY_COMPARE(focused(), focus);
}

void TestFieldValidation::altitudeOnEnter_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("line"); // empty: valid, focus to Memo1
    QTest::newRow("450") << "450"
                         << "";
    QTest::newRow("8848") << "8848"
                          << "";
    QTest::newRow("8849") << "8849"
                          << "Sie haben über dem Mt.Everest kartiert";
    QTest::newRow("300-450") << "300-450"
                             << "";
    QTest::newRow("450-300") << "450-300"
                             << "2. Wert der Höhenspanne unter erstem Wert";
    QTest::newRow("450-450") << "450-450"
                             << "2. Wert der Höhenspanne gleich erstem Wert";
    QTest::newRow("-450") << "-450"
                          << "Zeichen \"-\" am Anfang";
    QTest::newRow("450-") << "450-"
                          << "Zeichen \"-\" am Ende";
    QTest::newRow("1-2-3") << "1-2-3"
                           << "Zeichen \"-\" doppelt in der Höhenspanne";
}

void TestFieldValidation::altitudeOnEnter()
{
    QFETCH(QString, typed);
    QFETCH(QString, line);
    focusAndType("Edit7", typed);
    press(Qt::Key_Return);
    if (line.isEmpty()) {
        QVERIFY(fx_.msgs->shown.isEmpty());
        QCOMPARE(focused(), QStringLiteral("Memo1"));
    } else {
        QCOMPARE(fx_.msgs->texts(), QStringList{"Höhenlage nicht korrekt: \n\r" + line});
        QCOMPARE(fx_.msgs->shown[0].kind, Kind::Warning);
        QCOMPARE(focused(), QStringLiteral("Edit7"));
    }
    QCOMPARE(edit("Edit7")->text(), typed);
}

void TestFieldValidation::completenessInOrder()
{
    struct Step {
        std::function<void()> fill; // what the user enters before this save
        const char *message;
        const char *focus;
    };
    auto *observers = control<QListWidget>("CheckListBox1");
    const Step steps[] = {
        {[] {}, "Ohne Arten macht das Ganze keinen Sinn!", "Edit1"},
        {[&] { addTaxon(); }, "Sie müssen einen Fundort eingeben", "Edit3"},
        {[&] { edit("Edit3")->setText("Wegrand"); }, "Sie müssen ein Datum eingeben", "Edit4"},
        {[&] { edit("Edit4")->setText("01.05.2010"); }, "Sie müssen einen Raumbezug eingeben", "Edit5"},
        {[&] { control<QComboBox>("ComboBox1")->setEditText(""); },
         "Sie müssen einen Raumbezug und ein passendes Raumbezugssystem eingeben", "Edit5"},
        {[&] { edit("Edit5")->setText("3512345;5412345"); }, "Sie müssen ein Raumbezugssystem auswählen", "ComboBox1"},
        {[&] { control<QComboBox>("ComboBox1")->setCurrentIndex(1); },
         "Der unter \"Raumbezug\" eingegebene Wert gehört nicht \n\rzu dem ausgewählten Raumbezugssystem oder\n\rdie "
         "Eingabe ist fehlerhaft\n\r\n\rStreifennummer 2 erwartet",
         "Edit5"},
        {[&] { control<QComboBox>("ComboBox1")->setCurrentIndex(2); }, "Sie müssen einen Unschärferadius eingeben",
         "Edit2"},
        {[&] { edit("Edit2")->setText("00"); }, "Ein Unschärferadius von 0 ist nicht möglich", "Edit2"},
        {[&] {
             edit("Edit2")->setText("25");
             observers->setCurrentRow(1);
         },
         "Sie müssen mindestens einen Kartierer auswählen", "CheckListBox1"},
    };
    for (const Step &step : steps) {
        step.fill();
        fx_.msgs->shown.clear();
        control("BtnSpeichern")->setFocus();
        QTest::mouseClick(control("BtnSpeichern"), Qt::LeftButton);
        QCOMPARE(fx_.msgs->texts(), QStringList{QString::fromUtf8(step.message)});
        const bool validatorMessage = QString::fromUtf8(step.message).startsWith("Der unter");
        QCOMPARE(fx_.msgs->shown[0].kind, validatorMessage ? Kind::Error : Kind::InputCheck);
        QCOMPARE(fx_.msgs->shown[0].caption,
                 validatorMessage ? QStringLiteral("Fehler") : QStringLiteral("Eingabekontrolle"));
        QCOMPARE(focused(), QString::fromUtf8(step.focus));
        QVERIFY(fx_.msgs->saveDialogs.isEmpty());
    }
    QCOMPARE(observers->currentRow(), 0);

    // After "Alle Sippen löschen" the first message comes again.
    QTest::mouseClick(control("BtnAlleSippenLoeschen"), Qt::LeftButton);
    fx_.msgs->shown.clear();
    control<QAction>("MenuItemSave")->trigger();
    QCOMPARE(fx_.msgs->texts(), QStringList{"Ohne Arten macht das Ganze keinen Sinn!"});
}

void TestFieldValidation::optionalRadius_data()
{
    QTest::addColumn<QString>("radius");
    QTest::addColumn<QString>("message"); // empty: passes on to the export
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("0") << "0"
                       << "Ein Unschärferadius von 0 ist nicht möglich";
    QTest::newRow("25") << "25"
                        << "";
}

void TestFieldValidation::optionalRadius()
{
    QFETCH(QString, radius);
    QFETCH(QString, message);
    addTaxon();
    edit("Edit3")->setText("Wegrand");
    edit("Edit4")->setText("01.05.2010");
    edit("Edit5")->setText("3512345;5412345");
    edit("Edit2")->setText(radius);
    control<QListWidget>("CheckListBox1")->item(0)->setCheckState(Qt::Checked);
    // The settings file is read at every save.
    fx_.app->writeIni("[Settings]\r\nUSR=FALSE\r\n");
    QTest::mouseClick(control("BtnSpeichern"), Qt::LeftButton);
    if (message.isEmpty()) {
        QCOMPARE(fx_.msgs->saveDialogs.size(), 1);
        QCOMPARE(fx_.msgs->texts(), QStringList{"Speichern abgebrochen"});
    } else {
        QCOMPARE(fx_.msgs->texts(), QStringList{message});
        QVERIFY(fx_.msgs->saveDialogs.isEmpty());
    }
    fx_.app->writeIni("[Settings]\r\nUSR=TRUE\r\n");
    fx_.msgs->shown.clear();
    QTest::mouseClick(control("BtnSpeichern"), Qt::LeftButton);
    QCOMPARE(fx_.msgs->texts().constFirst(),
             radius.isEmpty() ? QStringLiteral("Sie müssen einen Unschärferadius eingeben")
                              : fx_.msgs->texts().constFirst());
}

void TestFieldValidation::pastedRadiusThatIsNoInteger()
{
    addTaxon();
    edit("Edit3")->setText("Wegrand");
    edit("Edit4")->setText("01.05.2010");
    edit("Edit5")->setText("3512345;5412345");
    edit("Edit2")->setText("99999999999");
    control<QListWidget>("CheckListBox1")->item(0)->setCheckState(Qt::Checked);
    QTest::mouseClick(control("BtnSpeichern"), Qt::LeftButton);
    QCOMPARE(fx_.msgs->texts(), QStringList{"''99999999999'' ist kein gültiger Integer-Wert"});
    QCOMPARE(fx_.msgs->shown[0].kind, Kind::AppError);
    QVERIFY(fx_.msgs->saveDialogs.isEmpty());
    QVERIFY(fx_.form->isVisible());
}

void TestFieldValidation::completeRecordHandsOverToExport()
{
    const QString target = fillRecord();
    QTest::mouseClick(control("BtnSpeichern"), Qt::LeftButton);
    QCOMPARE(fx_.msgs->saveDialogs.size(), 1);
    QCOMPARE(fx_.msgs->saveDialogs[0].fileName, QStringLiteral("Schaefer,_Juergen-01_05_2010_001"));
    QCOMPARE(fx_.msgs->texts(), QStringList{"Datei gespeichert: " + target});
    QVERIFY(QFile::exists(target));
}

void TestFieldValidation::saveRunsTheFieldChecksFirst_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message"); // empty: saved
    QTest::addColumn<QString>("after");   // the field's text afterwards
    QTest::newRow("impossible date")
        << "Edit4"
        << "99.99.2099"
        << "Datumsangabe nicht korrekt: \n\rDatum enthält eine ungültige Tages-, Monats- oder Jahresangabe"
        << "99.99.2099";
    QTest::newRow("future date") << "Edit4"
                                 << "16.3.2011"
                                 << "Datumsangabe nicht korrekt: \n\rSie haben in der Zukunft kartiert!"
                                 << "16.3.2011";
    QTest::newRow("short date normalised and saved") << "Edit4"
                                                     << "1.5.2010"
                                                     << ""
                                                     << "01.05.2010";
    QTest::newRow("altitude above Everest") << "Edit7"
                                            << "9000"
                                            << "Höhenlage nicht korrekt: \n\rSie haben über dem Mt.Everest kartiert"
                                            << "9000";
    QTest::newRow("grid reference of another system") << "Edit6"
                                                      << "5408/9"
                                                      << "?"
                                                      << "5408/9";
}

void TestFieldValidation::saveRunsTheFieldChecksFirst()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QFETCH(QString, after);
    const QString target = fillRecord();
    // Typed into the field, which keeps the focus: the menu saves.
    edit(qPrintable(field))->clear();
    focusAndType(qPrintable(field), text);
    auto *save = controlOf<QAction>(*fx_.form, "MenuItemSave");
    QVERIFY(save);
    save->trigger();
    QCOMPARE(edit(qPrintable(field))->text(), after);
    if (message.isEmpty()) {
        QVERIFY(QFile::exists(target));
        return;
    }
    QVERIFY(!QFile::exists(target));
    QCOMPARE(fx_.msgs->saveDialogs.size(), 0);
    QCOMPARE(fx_.msgs->shown.size(), 1);
    if (message != "?")
        QCOMPARE(fx_.msgs->texts(), QStringList{message});
    QCOMPARE(focused(), field);
}

void TestFieldValidation::locationsMustAgreeBeforeSaving_data()
{
    QTest::addColumn<QString>("reference");
    QTest::addColumn<int>("system"); // index of ComboBox1
    QTest::addColumn<QString>("grid");
    QTest::addColumn<int>("answer");    // to the question, when one comes
    QTest::addColumn<QString>("named"); // the cell the question names; empty: no question
    QTest::addColumn<bool>("saved");
    // 49 4.5' N, 10 2.4' E on the grid's datum: minute field 6926/123.
    const auto point = MapGrid::toWgs84({49.075, 10.04});
    QVERIFY(point);
    const QString gk3 = MapGrid::gaussKrueger(*point, 3).value_or("?");
    const int yes = int(Messages::Answer::Yes), cancel = int(Messages::Answer::Cancel);
    QTest::newRow("Gauss-Krüger in its cell") << gk3 << 2 << "6926/123" << yes << "" << true;
    QTest::newRow("Gauss-Krüger in its sheet") << gk3 << 2 << "6926" << yes << "" << true;
    QTest::newRow("next field, cancelled") << gk3 << 2 << "6926/124" << cancel << "6926/123" << false;
    QTest::newRow("next field, saved anyway") << gk3 << 2 << "6926/124" << yes << "6926/123" << true;
    QTest::newRow("LTLN far from its sheet") << "49,45187N;6,66071E" << 0 << "6926/1" << cancel << "6505/" << false;
    QTest::newRow("no grid reference") << gk3 << 2 << "" << yes << "" << true;
}

void TestFieldValidation::locationsMustAgreeBeforeSaving()
{
    QFETCH(QString, reference);
    QFETCH(int, system);
    QFETCH(QString, grid);
    QFETCH(int, answer);
    QFETCH(QString, named);
    QFETCH(bool, saved);
    const QString target = fillRecord();
    control<QComboBox>("ComboBox1")->setCurrentIndex(system);
    edit("Edit5")->setText(reference);
    edit("Edit6")->setText(grid);
    fx_.msgs->answers = {Messages::Answer(answer)};
    QTest::mouseClick(control("BtnSpeichern"), Qt::LeftButton);
    QCOMPARE(QFile::exists(target), saved);
    if (named.isEmpty()) {
        QCOMPARE(fx_.msgs->shown.constFirst().kind, Messages::Kind::Information);
        return;
    }
    const RecordingMessages::Shown &question = fx_.msgs->shown.constFirst();
    QCOMPARE(question.kind, Messages::Kind::Confirmation);
    QCOMPARE(question.caption, QStringLiteral("Bestätigen"));
    // Enter out of habit cancels; "Ja" is Alt+J away.
    QCOMPARE(question.buttons.yes, QStringLiteral("&Ja"));
    QVERIFY(!question.buttons.yesIsDefault);
    QVERIFY2(question.text.contains("\"" + grid + "\"") && question.text.contains("im Raster \"" + named),
             qPrintable(question.text));
    if (!saved) {
        QCOMPARE(fx_.msgs->shown.size(), 1);
        QCOMPARE(focused(), QStringLiteral("Edit6"));
    }
}

// A spreadsheet cell comes with a line end: what is pasted is the value,
// wherever the cursor stands; inside, a line end stays a blank.
void TestFieldValidation::pastedCellIsItsValue_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("before"); // the field's text, the cursor at "|"
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("after");
    QTest::newRow("radius with its line end") << "Edit2"
                                              << "|"
                                              << "25\n"
                                              << "25";
    QTest::newRow("coordinate with CR LF") << "Edit5"
                                           << "|"
                                           << "3512345;5412345\r\n"
                                           << "3512345;5412345";
    QTest::newRow("blanks and line ends around") << "Edit3"
                                                 << "|"
                                                 << " \r\n Wald \r\n"
                                                 << "Wald";
    QTest::newRow("into the middle") << "Edit3"
                                     << "am |Rand"
                                     << "Weg\n"
                                     << "am WegRand";
    QTest::newRow("line end inside stays a blank") << "Edit3"
                                                   << "|"
                                                   << "Wald\r\nRand\n"
                                                   << "Wald Rand";
    QTest::newRow("blanks without a line end stay") << "Edit3"
                                                    << "am|"
                                                    << " Weg "
                                                    << "am Weg ";
}

void TestFieldValidation::pastedCellIsItsValue()
{
    QFETCH(QString, field);
    QFETCH(QString, before);
    QFETCH(QString, pasted);
    QFETCH(QString, after);
    QLineEdit *target = edit(qPrintable(field));
    target->setText(QString(before).remove(u'|'));
    target->setFocus();
    target->setCursorPosition(int(before.indexOf(u'|')));
    QApplication::clipboard()->setText(pasted);
    press(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(target->text(), after);
}

// The map picker stands in as a function; the connectivity check reaches a
// listener on this machine.
void TestFieldValidation::gridReferenceFollowsThePick()
{
    QTcpServer tileHost;
    QVERIFY(tileHost.listen(QHostAddress::LocalHost));
    fx_.form->setPingHost("127.0.0.1");
    fx_.form->setTileProbe("127.0.0.1", tileHost.serverPort());
    QList<MapPickResult> picks;
    fx_.form->setMapPicker([&picks](const MapPickRequest &) -> std::optional<MapPickResult> {
        return picks.isEmpty() ? std::nullopt : std::optional(picks.takeFirst());
    });
    auto pick = [&](const QString &cell) {
        picks = {{"49.45187, 6.660718", cell}};
        QTest::mouseClick(control("LMDButton1"), Qt::LeftButton);
    };
    pick("6505/143");
    QCOMPARE(edit("Edit6")->text(), QStringLiteral("6505/143"));
    // The second pick's cell replaces the first one's, which nobody typed.
    pick("6505/144");
    QCOMPARE(edit("Edit6")->text(), QStringLiteral("6505/144"));
    // A point outside the grid leaves no cell of an earlier point behind.
    pick("");
    QCOMPARE(edit("Edit6")->text(), QString());
    pick("6505/211");
    // Typed by the user: it stays, whatever is picked.
    edit("Edit6")->setText("6505/2");
    pick("6505/144");
    QCOMPARE(edit("Edit6")->text(), QStringLiteral("6505/2"));
    QVERIFY(fx_.msgs->shown.isEmpty());
}

void TestFieldValidation::coordinatesAsGpsUnitsWriteThem_data()
{
    QTest::addColumn<int>("system"); // index of ComboBox1
    QTest::addColumn<bool>("paste");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("shown");
    QTest::newRow("LTLN typed") << 0 << false << "49.75123n;6.64321e"
                                << "49,75123N;6,64321E";
    QTest::newRow("LTLN pasted") << 0 << true << "49.75123n;6.64321e"
                                 << "49,75123N;6,64321E";
    QTest::newRow("south and west") << 0 << false << "12.5s;3.25w"
                                    << "12,5S;3,25W";
    QTest::newRow("Gauss-Krüger typed: no change") << 2 << false << "3512345.5;5412345"
                                                   << "35123455;5412345";
    QTest::newRow("grid system pasted: no change") << 6 << true << "5408.2n"
                                                   << "5408.2n";
}

void TestFieldValidation::coordinatesAsGpsUnitsWriteThem()
{
    QFETCH(int, system);
    QFETCH(bool, paste);
    QFETCH(QString, input);
    QFETCH(QString, shown);
    control<QComboBox>("ComboBox1")->setCurrentIndex(system);
    edit("Edit5")->setFocus();
    if (paste) {
        QApplication::clipboard()->setText(input);
        press(Qt::Key_V, Qt::ControlModifier);
    } else {
        QTest::keyClicks(edit("Edit5"), input);
    }
    QCOMPARE(edit("Edit5")->text(), shown);
}

// An empty form with a bad date hears first what the record lacks.
void TestFieldValidation::saveChecksCompletenessFirst()
{
    edit("Edit4")->setText("99.99.2099");
    QTest::mouseClick(control("BtnSpeichern"), Qt::LeftButton);
    QCOMPARE(fx_.msgs->texts(), QStringList{"Ohne Arten macht das Ganze keinen Sinn!"});
    QCOMPARE(fx_.msgs->shown[0].kind, Messages::Kind::InputCheck);
}

void TestFieldValidation::pastedLineBreaksBecomeBlanks()
{
    QApplication::clipboard()->setText("Wald am\r\nRand\tNord\n");
    edit("Edit3")->setFocus();
    press(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit("Edit3")->text(), QStringLiteral("Wald am Rand Nord"));

    // The whole record saved: every line of the file has its 14 fields.
    addTaxon();
    edit("Edit4")->setText("01.05.2010");
    edit("Edit5")->setText("3512345;5412345");
    edit("Edit2")->setText("25");
    control<QListWidget>("CheckListBox1")->item(0)->setCheckState(Qt::Checked);
    QApplication::clipboard()->setText("Hang\r\noben");
    control("Memo1")->setFocus();
    press(Qt::Key_V, Qt::ControlModifier);
    const QString target = fx_.app->path() + "Data/x.csv";
    fx_.msgs->savePath = target;
    QTest::mouseClick(control("BtnSpeichern"), Qt::LeftButton);
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 3); // header, one taxon, nothing after the last line end
    for (const QByteArray &line : lines.mid(0, 2))
        QCOMPARE(line.count("\",\""), 13);
    QVERIFY(lines[1].contains("\"Wald am Rand Nord\""));
    QVERIFY(lines[1].contains("\"Hang oben\""));
}

void TestFieldValidation::inputMethodAndAltGrFiltered()
{
    auto commit = [](QWidget *w, const QString &text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QCoreApplication::sendEvent(w, &event);
    };
    // A dead key's "^" and a composed "é" do not reach the date; digits do.
    edit("Edit4")->setFocus();
    commit(edit("Edit4"), "^");
    commit(edit("Edit4"), "1é2");
    // AltGr+E arrives with Ctrl and Alt held.
    QTest::sendKeyEvent(QTest::Click, edit("Edit4"), Qt::Key_E, QString("€"), Qt::ControlModifier | Qt::AltModifier);
    // A character beyond the first plane, as one key.
    QTest::sendKeyEvent(QTest::Click, edit("Edit4"), Qt::Key_unknown, QString::fromUtf8("\xF0\x9F\x8C\xBF"),
                        Qt::NoModifier);
    QCOMPARE(edit("Edit4")->text(), QStringLiteral("12"));

    // The locality takes every character, the same ways.
    edit("Edit3")->setFocus();
    commit(edit("Edit3"), "é");
    QTest::sendKeyEvent(QTest::Click, edit("Edit3"), Qt::Key_E, QString("€"), Qt::ControlModifier | Qt::AltModifier);
    QTest::sendKeyEvent(QTest::Click, edit("Edit3"), Qt::Key_unknown, QString::fromUtf8("\xF0\x9F\x8C\xBF"),
                        Qt::NoModifier);
    QCOMPARE(edit("Edit3")->text(), QString::fromUtf8("é€\xF0\x9F\x8C\xBF"));
}

NEMBRA_WIDGET_TEST_MAIN(TestFieldValidation)

#include "tst_fieldvalidation.moc"
