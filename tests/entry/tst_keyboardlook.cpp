#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTcpServer>
#include <QTest>
#include <QToolTip>

#include "About.h"
#include "AppSettings.h"
#include "FormFont.h"
#include "ListSelectDlg.h"
#include "TStringGrid.h"
#include "WidgetTest.h"

using Kind = Messages::Kind;

namespace {

void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), k, mods);
}

void type(const QString &text)
{
    QTest::keyClicks(QApplication::focusWidget(), text);
}

// The share of pixels in the middle band of a control that are yellow.
double yellowShare(QWidget *w)
{
    const QImage image = w->grab().toImage();
    int yellow = 0, all = 0;
    for (int y = image.height() / 3; y < 2 * image.height() / 3; ++y)
        for (int x = 4; x < image.width() - 24; ++x, ++all) {
            const QColor c = image.pixelColor(x, y);
            yellow += c.red() > 200 && c.green() > 200 && c.blue() < 90;
        }
    return all ? double(yellow) / all : 0;
}

} // namespace

// Every action from the keyboard; one font in which no specified text is cut;
// the yellow fields yellow on screen; the notation of each filtered field.
class TestKeyboardLook : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void wholeRecordByKeyboard();
    void shortcutsAndMnemonics();
    void yellowOnScreen();
    void specifiedTextsFit();
    void notationFollowsTheSystem();
    void recordMapAndUndoByKeysAlone();
    void mnemonicsNeverClash();
    void windowGrows_data();
    void windowGrows();
    void smallScreenScrolls();
    void cutCellShowsItsText();

private:
    template<class T = QWidget>
    T *control(const char *name) const
    {
        return controlOf<T>(*fx_.form, name);
    }
    FormFixture fx_;
};

void TestKeyboardLook::init()
{
    fx_.make({"Abies alba", "Quercus robur"}, {"Müller, Hans", "Schäfer, Jürgen"});
    fx_.fixToday(QDate(2011, 3, 15));
    QVERIFY(showActive(*fx_.form));
}

void TestKeyboardLook::cleanup()
{
    fx_.reset();
}

void TestKeyboardLook::wholeRecordByKeyboard()
{
    // The field flow of the form, then the buttons with Enter.
    QCOMPARE(focusedControl(), QStringLiteral("Edit3"));
    type("Wegrand");
    key(Qt::Key_Return);
    QCOMPARE(focusedControl(), QStringLiteral("Edit4"));
    type("1.5.2010");
    key(Qt::Key_Return);
    QCOMPARE(focusedControl(), QStringLiteral("Edit5"));
    type("3512345;5412345");
    key(Qt::Key_Return);
    QCOMPARE(focusedControl(), QStringLiteral("ComboBox1"));
    key(Qt::Key_Return);
    QCOMPARE(focusedControl(), QStringLiteral("Edit2"));
    type("25");
    key(Qt::Key_Return);
    QCOMPARE(focusedControl(), QStringLiteral("Edit6"));
    key(Qt::Key_Tab);
    QCOMPARE(focusedControl(), QStringLiteral("ComboBox2"));
    key(Qt::Key_Tab);
    QCOMPARE(focusedControl(), QStringLiteral("CheckListBox1"));
    key(Qt::Key_Space);
    QCOMPARE(control<QListWidget>("CheckListBox1")->item(0)->checkState(), Qt::Checked);
    // Alt+I jumps to the taxon input.
    key(Qt::Key_I, Qt::AltModifier);
    QCOMPARE(focusedControl(), QStringLiteral("Edit1"));
    type("que rob");
    key(Qt::Key_Return);
    QCOMPARE(control<TStringGrid>("ArtenStrGr1")->Cells(0, 1), QStringLiteral("Quercus robur"));

    // Tab on to "Speichern" and press it with Enter.
    fx_.msgs->savePath = fx_.app->path() + "Data/x.csv";
    control("BtnSpeichern")->setFocus(Qt::TabFocusReason);
    key(Qt::Key_Return);
    QVERIFY(QFile::exists(fx_.msgs->savePath));
    QCOMPARE(fx_.msgs->texts(), QStringList{"Datei gespeichert: " + fx_.msgs->savePath});

    // Tab to "Ende", Enter, and the question answered "Ja": the window closes.
    key(Qt::Key_Tab);
    QCOMPARE(focusedControl(), QStringLiteral("BtnEnde"));
    key(Qt::Key_Return);
    QCOMPARE(fx_.msgs->shown.constLast().kind, Kind::Confirmation);
    QVERIFY(!fx_.form->isVisible());
}

void TestKeyboardLook::shortcutsAndMnemonics()
{
    // F1: the usage notice.
    key(Qt::Key_F1);
    QCOMPARE(fx_.msgs->shown.size(), 1);
    QVERIFY(fx_.msgs->shown[0].text.startsWith("NUTZUNGSVEREINBARUNG"));
    // Ctrl+S takes the button's way: the checks first.
    key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(fx_.msgs->shown.constLast().text, QStringLiteral("Ohne Arten macht das Ganze keinen Sinn!"));
    QCOMPARE(focusedControl(), QStringLiteral("Edit1"));
    // Label mnemonics move to their fields; none types its letter.
    const struct {
        Qt::Key key;
        const char *field;
    } labels[] = {{Qt::Key_F, "Edit3"},     {Qt::Key_A, "Edit4"},         {Qt::Key_R, "Edit5"},
                  {Qt::Key_Z, "ComboBox1"}, {Qt::Key_U, "Edit2"},         {Qt::Key_T, "Edit6"},
                  {Qt::Key_S, "ComboBox2"}, {Qt::Key_K, "CheckListBox1"}, {Qt::Key_M, "LMDImageComboBox1"},
                  {Qt::Key_L, "Edit7"},     {Qt::Key_B, "Memo1"},         {Qt::Key_I, "Edit1"}};
    for (const auto &l : labels) {
        key(l.key, Qt::AltModifier);
        QCOMPARE(focusedControl(), QString::fromLatin1(l.field));
    }
    control("Edit3")->setFocus();
    key(Qt::Key_Q, Qt::AltModifier); // no mnemonic: types nothing
    QCOMPARE(control<QLineEdit>("Edit3")->text(), QString());
    // Ctrl+Q asks as "Ende" does; "Abbrechen" keeps the program.
    fx_.msgs->answers = {Messages::Answer::Cancel};
    key(Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(fx_.msgs->shown.constLast().kind, Kind::Confirmation);
    QVERIFY(fx_.form->isVisible());
    // The menus carry their mnemonics; displayed, they read the words.
    auto *file = control<QMenu>("MenuItemFile");
    QCOMPARE(file->title(), QStringLiteral("&Datei"));
    QCOMPARE(control<QMenu>("MenuItemHelp")->title(), QStringLiteral("&Hilfe"));
    QCOMPARE(file->actions()[0]->text(), QStringLiteral("Position aus &Datei…"));
    QCOMPARE(file->actions()[1]->text(), QStringLiteral("&Zählung der Sippen zurücksetzen…"));
    QCOMPARE(file->actions()[2]->text(), QStringLiteral("&Speichern"));
    QCOMPARE(file->actions()[3]->text(), QStringLiteral("&Beenden"));
}

void TestKeyboardLook::yellowOnScreen()
{
    for (const char *name :
         {"Edit3", "Edit4", "Edit5", "ComboBox1", "Edit2", "CheckListBox1", "LMDImageComboBox1", "Edit1"})
        QVERIFY2(yellowShare(control(name)) > 0.5,
                 qPrintable(QStringLiteral("%1: %2").arg(name).arg(yellowShare(control(name)))));
    for (const char *name : {"Edit6", "ComboBox2", "Edit7", "Memo1"})
        QVERIFY2(yellowShare(control(name)) < 0.05, name);
}

void TestKeyboardLook::specifiedTextsFit()
{
    if (!loadFormFont())
        QSKIP("the Tahoma-compatible font of fonts-wine is not installed");
    QCOMPARE(QFontInfo(control("Edit3")->font()).family(), QStringLiteral("Tahoma"));
    TFormAbout about(fx_.form.get());
    TListSelectDlg choice(fx_.form.get());
    QCOMPARE(QFontInfo(about.font()).family(), QStringLiteral("Tahoma"));
    QCOMPARE(QFontInfo(QApplication::font("QMessageBox")).family(), QStringLiteral("Tahoma"));
    QCOMPARE(QFontInfo(QApplication::font("QMenu")).family(), QStringLiteral("Tahoma"));
    int checked = 0;
    for (QWidget *window : std::initializer_list<QWidget *>{fx_.form.get(), &about, &choice}) {
        for (QLabel *label : window->findChildren<QLabel *>()) {
            const QFontMetrics fm(label->font());
            for (const QString &line : label->text().remove(u'&').split(u'\n')) {
                QVERIFY2(fm.horizontalAdvance(line) <= label->contentsRect().width(),
                         qPrintable(QStringLiteral("%1 \"%2\": %3 px in %4 px")
                                        .arg(label->objectName(), line)
                                        .arg(fm.horizontalAdvance(line))
                                        .arg(label->contentsRect().width())));
                ++checked;
            }
        }
        for (QPushButton *button : window->findChildren<QPushButton *>()) {
            const QString text = button->text().remove(u'&');
            QVERIFY2(button->fontMetrics().horizontalAdvance(text) + 8 <= button->width(), qPrintable(text));
            ++checked;
        }
        for (QComboBox *combo : window->findChildren<QComboBox *>()) {
            // The open list shows every item whole; the closed field shows
            // the item chosen at start whole. (One item, "MTBQQQ
            // -Quadrantenteilung (QQQ)", is wider than the field the form
            // gives the combo in this font, as in the original layout; its
            // tooltip shows it.)
            QStyleOptionComboBox option;
            option.initFrom(combo);
            option.editable = combo->isEditable();
            const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                               QStyle::SC_ComboBoxEditField, combo);
            auto needed = [&](int i) {
                return combo->fontMetrics().horizontalAdvance(combo->itemText(i))
                    + (combo->itemIcon(i).isNull() ? 0 : combo->iconSize().width() + 4);
            };
            const int listWidth = combo->view()->minimumWidth() > 0 ? combo->view()->minimumWidth() : combo->width();
            for (int i = 0; i < combo->count(); ++i) {
                QVERIFY2(needed(i) + 16 <= listWidth,
                         qPrintable(QStringLiteral("list of %1 \"%2\": %3 px in %4 px")
                                        .arg(combo->objectName(), combo->itemText(i))
                                        .arg(needed(i))
                                        .arg(listWidth)));
                ++checked;
            }
            if (combo->currentIndex() >= 0) {
                QVERIFY2(needed(combo->currentIndex()) <= field.width(),
                         qPrintable(QStringLiteral("%1 \"%2\": %3 px in %4 px")
                                        .arg(combo->objectName(), combo->currentText())
                                        .arg(needed(combo->currentIndex()))
                                        .arg(field.width())));
                QCOMPARE(combo->toolTip(), combo->currentText());
            }
        }
    }
    QVERIFY(checked > 30);
}

void TestKeyboardLook::notationFollowsTheSystem()
{
    auto *system = control<QComboBox>("ComboBox1");
    auto *grid = control<QComboBox>("ComboBox2");
    QCOMPARE(control<QLineEdit>("Edit4")->toolTip(), QStringLiteral("TT.MM.JJJJ, MM.JJJJ, JJJJ oder Zeitraum"));
    QCOMPARE(control<QLineEdit>("Edit4")->placeholderText(), QStringLiteral("TT.MM.JJJJ"));
    const struct {
        int index;
        const char *notation;
    } systems[] = {
        {0, "49,45187N;6,66072E"}, {1, "2512345;5412345"}, {4, "5512345;5412345"}, {5, "5408/132"}, {6, "5408/235"}};
    for (const auto &s : systems) {
        system->setCurrentIndex(s.index);
        QCOMPARE(control<QLineEdit>("Edit5")->placeholderText(), QString::fromLatin1(s.notation));
        QCOMPARE(control<QLineEdit>("Edit5")->toolTip(), QString::fromLatin1(s.notation));
    }
    grid->setCurrentIndex(0);
    QCOMPARE(control<QLineEdit>("Edit6")->placeholderText(), QStringLiteral("5408/132"));
    grid->setCurrentIndex(1);
    QCOMPARE(control<QLineEdit>("Edit6")->placeholderText(), QStringLiteral("5408/235"));
}

NEMBRA_WIDGET_TEST_MAIN(TestKeyboardLook)

#include "tst_keyboardlook.moc"

// A whole record with keys alone: every field moves on with Enter, the map
// opens with Ctrl+K, a taxon is deleted with Del and comes back with Ctrl+Z,
// and Alt+C saves.
void TestKeyboardLook::recordMapAndUndoByKeysAlone()
{
    QTcpServer tileHost;
    QVERIFY(tileHost.listen(QHostAddress::LocalHost));
    fx_.form->setPingHost("127.0.0.1");
    fx_.form->setTileProbe("127.0.0.1", tileHost.serverPort());
    int opened = 0;
    fx_.form->setMapPicker([&opened](const MapPickRequest &) -> std::optional<MapPickResult> {
        ++opened;
        return MapPickResult{"49.45187, 6.660718", ""};
    });
    QCOMPARE(focusedControl(), QStringLiteral("Edit3"));
    type("Wegrand");
    key(Qt::Key_Return);
    type("1.5.2010");
    key(Qt::Key_Return);
    QCOMPARE(focusedControl(), QStringLiteral("Edit5"));
    key(Qt::Key_K, Qt::ControlModifier);
    QCOMPARE(opened, 1);
    QCOMPARE(control<QLineEdit>("Edit5")->text(), QStringLiteral("49,45187N;6,66071E"));
    // Enter on the focused map button opens the map as Space does.
    control("LMDButton1")->setFocus();
    key(Qt::Key_Return);
    QCOMPARE(opened, 2);
    QCOMPARE(focusedControl(), QStringLiteral("Edit5"));
    key(Qt::Key_Tab);
    QCOMPARE(focusedControl(), QStringLiteral("ComboBox1"));
    key(Qt::Key_Return);
    type("25");
    key(Qt::Key_Return);
    QCOMPARE(focusedControl(), QStringLiteral("Edit6"));
    key(Qt::Key_Return);
    key(Qt::Key_Return);
    QCOMPARE(focusedControl(), QStringLiteral("CheckListBox1"));
    key(Qt::Key_Space);
    QCOMPARE(control<QListWidget>("CheckListBox1")->item(0)->checkState(), Qt::Checked);
    key(Qt::Key_Return);
    QCOMPARE(focusedControl(), QStringLiteral("LMDImageComboBox1"));
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    QCOMPARE(focusedControl(), QStringLiteral("Edit7"));
    QVERIFY(control<QComboBox>("LMDImageComboBox1")->currentIndex() >= 0);
    key(Qt::Key_I, Qt::AltModifier);
    type("abi alb.2.am Weg");
    key(Qt::Key_Return);
    type("que rob");
    key(Qt::Key_Return);
    auto *grid = control<TStringGrid>("ArtenStrGr1");
    QCOMPARE(control<QLabel>("LabelSippen")->text(), QStringLiteral("2 Sippen"));

    // The first taxon deleted with Del in the grid, and back with Ctrl+Z.
    grid->setFocus(Qt::TabFocusReason);
    grid->setCurrentCell(0, 1);
    key(Qt::Key_Delete);
    QCOMPARE(grid->RowCount(), 3);
    QCOMPARE(grid->Cells(0, 1), QStringLiteral("Quercus robur"));
    QCOMPARE(control<QLabel>("LabelSippen")->text(), QStringLiteral("1 Sippe"));
    key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(grid->RowCount(), 4);
    QCOMPARE(grid->Cells(0, 1), QStringLiteral("Abies alba"));
    QCOMPARE(grid->Cells(1, 1), QStringLiteral("2"));
    QCOMPARE(grid->Cells(2, 1), QStringLiteral("am Weg"));
    QCOMPARE(grid->Cells(0, 2), QStringLiteral("Quercus robur"));
    // "Alle Sippen löschen" (Alt+N), undone at once: every row at its place.
    // (A mnemonic clicks its button a moment later, as the button is seen
    // pressed first.)
    key(Qt::Key_N, Qt::AltModifier);
    QTRY_COMPARE(grid->RowCount(), 2);
    grid->setFocus();
    key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(grid->RowCount(), 4);
    QCOMPARE(grid->Cells(0, 2), QStringLiteral("Quercus robur"));
    // Once something new is added, what was deleted stays deleted.
    grid->setCurrentCell(0, 2);
    key(Qt::Key_P, Qt::AltModifier);
    QTRY_COMPARE(grid->RowCount(), 3);
    key(Qt::Key_I, Qt::AltModifier);
    type("que rob");
    key(Qt::Key_Return);
    grid->setFocus();
    key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(grid->RowCount(), 4);

    fx_.msgs->savePath = fx_.app->path() + "Data/x.csv";
    key(Qt::Key_C, Qt::AltModifier);
    QTRY_VERIFY(QFile::exists(fx_.msgs->savePath));
    QCOMPARE(fx_.msgs->texts(), QStringList{"Datei gespeichert: " + fx_.msgs->savePath});
}

// Every Alt+letter of the form names one control: labels, buttons, menus.
void TestKeyboardLook::mnemonicsNeverClash()
{
    QMap<QChar, QString> taken;
    auto take = [&](const QString &text, const QString &owner) {
        const qsizetype amp = text.indexOf(u'&');
        QVERIFY2(amp >= 0 && amp + 1 < text.size(), qPrintable(owner + " has no mnemonic"));
        const QChar letter = text[amp + 1].toUpper();
        QVERIFY2(!taken.contains(letter),
                 qPrintable(QStringLiteral("Alt+%1: %2 and %3").arg(letter).arg(taken[letter], owner)));
        taken.insert(letter, owner);
    };
    for (QLabel *label : fx_.form->findChildren<QLabel *>())
        if (label->buddy())
            take(label->text(), label->objectName());
    for (const char *name : {"BtnSippeLoeschen", "BtnAlleSippenLoeschen", "BtnSpeichern", "BtnEnde"})
        take(control<QPushButton>(name)->text(), QString::fromLatin1(name));
    for (QAction *menu : fx_.form->menuBar()->actions())
        take(menu->text(), menu->text());
}

void TestKeyboardLook::windowGrows_data()
{
    QTest::addColumn<int>("dw");
    QTest::addColumn<int>("dh");
    QTest::newRow("as laid out") << 0 << 0;
    QTest::newRow("wider and higher") << 300 << 200;
    QTest::newRow("much higher") << 40 << 400;
}

// Larger than laid out: the grid and the description grow, the buttons keep
// their places at the right and bottom edges, everything else stays; the
// size and place come back at the next start.
void TestKeyboardLook::windowGrows()
{
    QFETCH(int, dw);
    QFETCH(int, dh);
    const QSize laidOut = fx_.form->size();
    if (!fx_.form->screen()->availableGeometry().contains(QRect(QPoint(), laidOut + QSize(dw, dh) + QSize(20, 40))))
        QSKIP("the screen is too small; ctest gives this test a screen of 1600 × 1200");
    auto geometryOf = [this](const char *name) { return control(name)->geometry(); };
    const QRect grid = geometryOf("ArtenStrGr1"), memo = geometryOf("Memo1"), edit3 = geometryOf("Edit3"),
                save = geometryOf("BtnSpeichern"), end = geometryOf("BtnEnde"), del = geometryOf("BtnSippeLoeschen"),
                combo = geometryOf("ComboBox1");
    fx_.form->resize(laidOut + QSize(dw, dh));
    QTRY_COMPARE(fx_.form->size(), laidOut + QSize(dw, dh));
    QTRY_COMPARE(geometryOf("ArtenStrGr1"), grid.adjusted(0, 0, dw, dh));
    QCOMPARE(geometryOf("Memo1"), memo.adjusted(0, 0, dw, 0));
    QCOMPARE(geometryOf("BtnSpeichern"), save.translated(dw, dh));
    QCOMPARE(geometryOf("BtnEnde"), end.translated(dw, dh));
    QCOMPARE(geometryOf("BtnSippeLoeschen"), del.translated(dw, 0));
    QCOMPARE(geometryOf("Edit3"), edit3);
    QCOMPARE(geometryOf("ComboBox1"), combo);
    // What the user sees: the grid's frame reaches the new bottom right, and
    // no scroll bar is shown.
    auto *scroll = control<QScrollArea>("FormScroll");
    QVERIFY(!scroll->horizontalScrollBar()->isVisible() && !scroll->verticalScrollBar()->isVisible());
    const QImage shot = fx_.form->grab().toImage();
    const QPoint gridCorner = control("ArtenStrGr1")
                                  ->mapTo(fx_.form.get(), control("ArtenStrGr1")->rect().bottomRight());
    QVERIFY(shot.rect().contains(gridCorner));
    // Never smaller than laid out.
    fx_.form->resize(laidOut - QSize(100, 100));
    QTRY_COMPARE(fx_.form->size(), laidOut);
    fx_.form->resize(laidOut + QSize(dw, dh));
    QTRY_COMPARE(fx_.form->size(), laidOut + QSize(dw, dh));

    // Kept for the next start, in the settings file.
    fx_.form->close();
    const auto stored = AppSettings::readWindowGeometry(fx_.app->path());
    QVERIFY(stored);
    QCOMPARE(QSize(stored->width, stored->height), laidOut + QSize(dw, dh));
    fx_.form = std::make_unique<TForm1>(fx_.app->path());
    QVERIFY(showActive(*fx_.form));
    QTRY_COMPARE(fx_.form->size(), laidOut + QSize(dw, dh));
}

// A screen smaller than the form (a laptop at 200 %): the window fits the
// screen and the form scrolls to the field that has the focus. Runs as
// tst_keyboardlook_smallscreen, with QT_SCALE_FACTOR=2 on the offscreen
// screen of 800 × 600.
void TestKeyboardLook::smallScreenScrolls()
{
    const QRect available = fx_.form->screen()->availableGeometry();
    if (available.width() >= 700 && available.height() >= 600)
        QSKIP("the screen is large enough; runs as tst_keyboardlook_smallscreen");
    QVERIFY(fx_.form->frameGeometry().width() <= available.width());
    QVERIFY(fx_.form->frameGeometry().height() <= available.height());
    auto *scroll = control<QScrollArea>("FormScroll");
    QVERIFY(scroll->verticalScrollBar()->isVisible());
    // The last button comes into view when the focus goes there.
    control("BtnEnde")->setFocus(Qt::TabFocusReason);
    const QRect seen = scroll->viewport()->rect();
    const QRect button(control("BtnEnde")->mapTo(scroll->viewport(), QPoint()), control("BtnEnde")->size());
    QVERIFY2(
        seen.contains(button),
        qPrintable(
            QStringLiteral("%1,%2 in %3x%4").arg(button.x()).arg(button.y()).arg(seen.width()).arg(seen.height())));
    control("Edit3")->setFocus(Qt::TabFocusReason);
    const QRect edit(control("Edit3")->mapTo(scroll->viewport(), QPoint()), control("Edit3")->size());
    QVERIFY(seen.contains(edit));
}

void TestKeyboardLook::cutCellShowsItsText()
{
    auto *grid = control<TStringGrid>("ArtenStrGr1");
    grid->setRowCount(3);
    const QString longComment = "am sonnigen Südhang unter alten Eichen, zusammen mit viel Moos";
    grid->setCells(0, 1, "Abies alba");
    grid->setCells(2, 1, longComment);
    QCOMPARE(grid->cutText(grid->model()->index(0, 2)), longComment);
    QCOMPARE(grid->cutText(grid->model()->index(0, 0)), QString());
    // Hovered: the tooltip shows the whole text.
    const QRect cell = grid->visualRect(grid->model()->index(0, 2));
    QHelpEvent help(QEvent::ToolTip, cell.center(), grid->viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(grid->viewport(), &help);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), longComment);
    QToolTip::hideText();
}
