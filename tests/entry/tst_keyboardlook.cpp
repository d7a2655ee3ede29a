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
#include <QTest>

#include "About.h"
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
    QCOMPARE(file->actions()[0]->text(), QStringLiteral("&Speichern"));
    QCOMPARE(file->actions()[1]->text(), QStringLiteral("&Beenden"));
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
