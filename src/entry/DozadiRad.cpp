#include "DozadiRad.h"

#include <cmath>

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

#include "About.h"
#include "AppSettings.h"
#include "AppVersion.h"
#include "AtomicFile.h"
#include "CoordinateValidation.h"
#include "CsvExport.h"
#include "DateValidation.h"
#include "ErrorGuard.h"
#include "FieldPosition.h"
#include "FormFont.h"
#include "KeyCodes.h"
#include "KeyPressFilter.h"
#include "ListSelectDlg.h"
#include "LocationCheck.h"
#include "Messages.h"
#include "PickedCoordinate.h"
#include "PositionChoice.h"
#include "Reachability.h"
#include "RecordCheck.h"
#include "RecordDraft.h"
#include "ReferenceSystem.h"
#include "SingleLine.h"
#include "TaxonUse.h"
#include "TextFile.h"
#include "TextFunctions.h"
#include "ui_DozadiRad.h"

namespace {

const QColor RequiredColour(255, 255, 0);

void setBaseColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, colour);
    // A combo box that cannot be edited paints its face in the button colour.
    if (qobject_cast<QComboBox *>(widget))
        palette.setColor(QPalette::Button, colour);
    widget->setPalette(palette);
}

// The notation a field takes, shown in the empty field (an example short
// enough for the field) and in full as its tooltip.
void showNotation(QLineEdit *edit, const QString &notation, const QString &example = QString())
{
    edit->setPlaceholderText(example.isEmpty() ? notation : example);
    edit->setToolTip(notation);
}

// The four sample-type images, in image-list order.
QIcon sampleTypeImage(int index)
{
    static const char *const files[] = {"sample-area", "sample-single", "sample-short", "sample-point"};
    return QIcon(QStringLiteral(":/entry/icons/%1.svg").arg(QLatin1String(files[index])));
}

} // namespace

TForm1::TForm1(const QString &appDir, QWidget *parent)
    : TForm1(AppPaths::portable(appDir), parent)
{
}

TForm1::TForm1(const AppPaths &paths, QWidget *parent)
    : QMainWindow(parent)
    , m_ui(new Ui::TForm1)
    , paths_(paths)
{
    m_ui->setupUi(this);
    setupControls();
    FormCreate();
    setupDraft();
}

TForm1::~TForm1()
{
    delete m_ui;
}

void TForm1::setupControls()
{
    Q_INIT_RESOURCE(icons);
    applyFormFont(this, 8);
    setupGrowth();

    for (QWidget *w : m_ui->Panel1->findChildren<QWidget *>())
        if (w->property("requiredField").toBool())
            setBaseColour(w, RequiredColour);

    // Each item keeps "text|image" as stored; the combo shows the text.
    const char *sampleTypes[] = {"Florist. Kartierung|0", "FlorKart Kurznotiz|2", "FlorKart Einzelnotiz|1",
                                 "FlorKart Punktdaten|3"};
    for (const char *item : sampleTypes) {
        const QString stored = QString::fromUtf8(item);
        const int image = stored.section(u'|', 1).toInt();
        m_ui->LMDImageComboBox1->addItem(sampleTypeImage(image), stored.section(u'|', 0, 0), stored);
    }
    m_ui->LMDImageComboBox1->setCurrentIndex(-1);
    m_ui->LMDButton1->setIcon(QIcon(QStringLiteral(":/entry/icons/map-pin.svg")));
    // Pasted text keeps no line break: the saved record stays one line a taxon.
    for (QLineEdit *edit : findChildren<QLineEdit *>())
        keepSingleLine(edit);
    // Editable combo boxes show the start of their text, like the other fields.
    for (QComboBox *combo : {m_ui->ComboBox1, m_ui->ComboBox2})
        combo->lineEdit()->setCursorPosition(0);

    // Every action has its key: Enter on a focused button, the menu's
    // mnemonics and these shortcuts, which take the buttons' paths.
    enterPressesButtons(this);
    m_ui->MenuItemSave->setShortcut(QKeySequence::Save);
    m_ui->MenuItemEnd->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    m_ui->MenuItemUsage->setShortcut(QKeySequence(Qt::Key_F1));
    m_ui->MenuItemPositionFile->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    for (QAction *action : {m_ui->MenuItemSave, m_ui->MenuItemEnd, m_ui->MenuItemUsage, m_ui->MenuItemPositionFile})
        action->setShortcutContext(Qt::WindowShortcut);

    showNotation(m_ui->Edit4, QStringLiteral("TT.MM.JJJJ, MM.JJJJ, JJJJ oder Zeitraum"), QStringLiteral("TT.MM.JJJJ"));
    showNotation(m_ui->Edit7, QStringLiteral("450 oder 300-450 (Meter)"), QStringLiteral("300-450"));
    showNotation(m_ui->Edit2, QStringLiteral("Meter"));
    showNotation(m_ui->Edit1, QStringLiteral("abgekürzter Name[.Status.Bemerkung.Anzahl]"));
    auto followSystem = [](QComboBox *combo, QLineEdit *edit, ReferenceSystem (*systemOf)(const QString &)) {
        const auto update = [edit, systemOf](const QString &text) {
            showNotation(edit, notationExample(systemOf(text)));
        };
        update(combo->currentText());
        QObject::connect(combo, &QComboBox::currentTextChanged, edit, update);
    };
    followSystem(m_ui->ComboBox1, m_ui->Edit5, spatialReferenceSystem);
    followSystem(m_ui->ComboBox2, m_ui->Edit6, gridSystem);
    // The open list shows every item whole, and the chosen text is the
    // combo's tooltip, for the one that is wider than its field.
    for (QComboBox *combo : {m_ui->ComboBox1, m_ui->ComboBox2, m_ui->LMDImageComboBox1}) {
        int widest = 0;
        for (int i = 0; i < combo->count(); ++i)
            widest = qMax(widest,
                          combo->fontMetrics().horizontalAdvance(combo->itemText(i))
                              + (combo->itemIcon(i).isNull() ? 0 : combo->iconSize().width() + 4));
        combo->view()->setMinimumWidth(qMax(combo->width(), widest + 24));
        const auto tip = [combo](const QString &text) { combo->setToolTip(text); };
        tip(combo->currentText());
        QObject::connect(combo, &QComboBox::currentTextChanged, combo, tip);
    }

    connectHandler(m_ui->BtnEnde, &QPushButton::clicked, this, &TForm1::BtnEndeClick);
    connectHandler(m_ui->MenuItemEnd, &QAction::triggered, this, &TForm1::MenuItemEndClick);
    connectHandler(m_ui->MenuItemUsage, &QAction::triggered, this, &TForm1::MenuItemUsageClick);
    connectHandler(m_ui->LMDButton1, &QToolButton::clicked, this, &TForm1::LMDButton1Click);
    connectHandler(m_ui->MenuItemAbout, &QAction::triggered, this, &TForm1::MenuItemAboutClick);
    connectHandler(m_ui->BtnSippeLoeschen, &QPushButton::clicked, this, &TForm1::BtnSippeLoeschenClick);
    connectHandler(m_ui->BtnAlleSippenLoeschen, &QPushButton::clicked, this, &TForm1::BtnAlleSippenLoeschenClick);
    connectHandler(m_ui->BtnSpeichern, &QPushButton::clicked, this, &TForm1::BtnSpeichernClick);
    connectHandler(m_ui->MenuItemSave, &QAction::triggered, this, &TForm1::MenuItemSaveClick);
    connectHandler(m_ui->MenuItemPositionFile, &QAction::triggered, this, &TForm1::MenuItemPositionFileClick);
    connectHandler(m_ui->MenuItemResetTaxonUse, &QAction::triggered, this, &TForm1::MenuItemResetTaxonUseClick);

    auto keyPress = [this](QWidget *control, void (TForm1::*handler)(QObject *, QChar &)) {
        new KeyPressFilter(control, [this, handler](QObject *sender, QChar &key) { (this->*handler)(sender, key); });
    };
    keyPress(m_ui->Edit1, &TForm1::Edit1KeyPress);
    keyPress(m_ui->Edit2, &TForm1::Edit2KeyPress);
    keyPress(m_ui->Edit3, &TForm1::Edit3KeyPress);
    keyPress(m_ui->Edit4, &TForm1::Edit4KeyPress);
    keyPress(m_ui->Edit5, &TForm1::Edit5KeyPress);
    keyPress(m_ui->Edit6, &TForm1::Edit6KeyPress);
    keyPress(m_ui->Edit7, &TForm1::Edit7KeyPress);
    new FocusFilter(m_ui->Edit4, {}, [this](QObject *sender) { Edit4Exit(sender); });

    auto keyDown = [this](QComboBox *combo, void (TForm1::*handler)(QObject *, int &, Qt::KeyboardModifiers)) {
        auto *filter = new KeyDownFilter(combo,
                                         [this, handler](QObject *sender, int &key, Qt::KeyboardModifiers shift) {
                                             (this->*handler)(sender, key, shift);
                                         });
        filter->watch(combo->lineEdit());
    };
    keyDown(m_ui->ComboBox1, &TForm1::ComboBox1KeyDown);
    keyDown(m_ui->ComboBox2, &TForm1::ComboBox2KeyDown);
    new FocusFilter(m_ui->ComboBox1, {}, [this](QObject *sender) { ComboBox1Exit(sender); });
    new FocusFilter(m_ui->ComboBox2, {}, [this](QObject *sender) { ComboBox2Exit(sender); });
    new FocusFilter(m_ui->CheckListBox1, [this](QObject *sender) { CheckListBox1Enter(sender); }, {});

    // Enter moves on from the observers (Space ticks) and from the closed
    // sample-type list, as from every other event field.
    auto enterMovesOn = [](QWidget *control) {
        new KeyDownFilter(control, [control](QObject *, int &key, Qt::KeyboardModifiers mods) {
            if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !(mods & ~Qt::KeypadModifier)) {
                key = 0;
                focusNextControl(control);
            }
        });
    };
    enterMovesOn(m_ui->CheckListBox1);
    enterMovesOn(m_ui->LMDImageComboBox1);

    // The map from anywhere in the form.
    auto *mapKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_K), this);
    connect(mapKey, &QShortcut::activated, m_ui->LMDButton1, &QToolButton::click);

    // The taxon grid by keyboard: Del deletes the current row, Ctrl+Z brings
    // back what was deleted last (the edits keep their own Ctrl+Z).
    new KeyDownFilter(m_ui->ArtenStrGr1, [this](QObject *, int &key, Qt::KeyboardModifiers mods) {
        if (key == Qt::Key_Delete && mods == Qt::NoModifier) {
            key = 0;
            guarded([this] { BtnSippeLoeschenClick(m_ui->ArtenStrGr1); });
        }
    });
    auto *undo = new QShortcut(QKeySequence::Undo, this);
    connect(undo, &QShortcut::activated, this, [this] { guarded([this] { restoreDeletedTaxa(); }); });
    // Under the taxon input: what Enter could not take, and why.
    taxonHint_ = new QLabel(m_ui->Panel1);
    taxonHint_->setObjectName(QStringLiteral("LabelSippenHinweis"));
    taxonHint_->setGeometry(114, 258, 409, 13);
    taxonHint_->setAccessibleName(QStringLiteral("Hinweis zur Eingabe der Sippe"));
    connect(m_ui->Edit1, &QLineEdit::textChanged, taxonHint_, &QLabel::clear);
    setupTypingList();
    taxonCount_ = new QLabel(m_ui->Panel1);
    taxonCount_->setObjectName(QStringLiteral("LabelSippen"));
    taxonCount_->setGeometry(16, 505, 300, 13);
    QAbstractItemModel *rows = m_ui->ArtenStrGr1->model();
    connect(rows, &QAbstractItemModel::rowsInserted, this, [this] { showTaxonCount(); });
    connect(rows, &QAbstractItemModel::rowsRemoved, this, [this] { showTaxonCount(); });

    // Coordinates as GPS units and web maps write them, typed or pasted.
    connect(m_ui->Edit5, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (spatialReferenceSystem(m_ui->ComboBox1->currentText()) != ReferenceSystem::LTLN)
            return;
        const QString written = ltlnAsTyped(text);
        if (written != text) {
            const int cursor = m_ui->Edit5->cursorPosition();
            m_ui->Edit5->setText(written);
            m_ui->Edit5->setCursorPosition(cursor);
        }
    });
}

namespace {

// The client area below the menu as laid out: 652 × 528 pixels.
const QSize FormSize(652, 528);

} // namespace

void TForm1::setupGrowth()
{
    // The form lies in a scroll area: larger than its size, the grid and the
    // description grow; on a screen smaller than it, the form scrolls.
    QWidget *content = takeCentralWidget();
    content->setMinimumSize(FormSize);
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("FormScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    setCentralWidget(scroll);
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_ui->Panel1, m_ui->ArtenStrGr1, m_ui->Memo1, m_ui->BtnSippeLoeschen,
                                          m_ui->BtnAlleSippenLoeschen, m_ui->BtnSpeichern, m_ui->BtnEnde})
        laidOut_.insert(w, w->geometry());
    content_ = content;
    content->installEventFilter(this);
    // The field that gets the focus comes into view.
    connect(qApp, &QApplication::focusChanged, this, [scroll, content](QWidget *, QWidget *now) {
        if (now && content->isAncestorOf(now))
            scroll->ensureWidgetVisible(now, 8, 8);
    });
    const QSize window(FormSize.width(), FormSize.height() + menuBar()->sizeHint().height());
    setMinimumSize(window);
    resize(window);
}

void TForm1::growTo(const QSize &contentSize)
{
    const int dw = qMax(0, contentSize.width() - FormSize.width());
    const int dh = qMax(0, contentSize.height() - FormSize.height());
    auto place = [this](QWidget *w, int dx, int dy, int grow, int growDown) {
        const QRect r = laidOut_.value(w);
        w->setGeometry(r.x() + dx, r.y() + dy, r.width() + grow, r.height() + growDown);
    };
    place(m_ui->Panel1, 0, 0, dw, dh);
    place(m_ui->ArtenStrGr1, 0, 0, dw, dh);
    place(m_ui->Memo1, 0, 0, dw, 0);
    // The two taxon buttons stay beside the top of the grid, at its right.
    place(m_ui->BtnSippeLoeschen, dw, 0, 0, 0);
    place(m_ui->BtnAlleSippenLoeschen, dw, 0, 0, 0);
    place(m_ui->BtnSpeichern, dw, dh, 0, 0);
    place(m_ui->BtnEnde, dw, dh, 0, 0);
    taxonCount_->move(16, 505 + dh);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && watched == content_)
        growTo(static_cast<QResizeEvent *>(event)->size());
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::fitToScreen()
{
    // Never smaller than laid out, unless the screen is: then it scrolls.
    QScreen *screen = this->screen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QSize frame = frameGeometry().size() - geometry().size();
    const QSize room = available.size() - frame;
    const QSize laidOut(FormSize.width(), FormSize.height() + menuBar()->sizeHint().height());
    setMinimumSize(laidOut.boundedTo(room));
    if (const auto stored = AppSettings::readWindowGeometry(paths_.settingsDir)) {
        const QRect r(stored->x, stored->y, stored->width, stored->height);
        // Only where it can be seen whole, on a screen of this desktop.
        if (QGuiApplication::screenAt(r.center()) && r.width() >= minimumWidth() && r.height() >= minimumHeight()) {
            resize(r.size().boundedTo(room));
            move(r.topLeft());
            return;
        }
    }
    resize(size().boundedTo(room));
}

QRect TForm1::storedGeometry() const
{
    const auto stored = AppSettings::readWindowGeometry(paths_.settingsDir);
    return stored ? QRect(stored->x, stored->y, stored->width, stored->height) : QRect();
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        guarded([this] { fitToScreen(); });
    }
}

void TForm1::FormCreate()
{
    RefID_ = 1;
    appVersionText() = GetAppVersion();
    // What a killed write left behind is of no use to anyone.
    removeStaleTemporaries(paths_.settingsDir, {QString::fromLatin1(AppSettings::FileName)});
    removeStaleTemporaries(paths_.draftDir, {QStringLiteral("Nembra-Entwurf*.json")});
    removeStaleTemporaries(dataDir(), {QStringLiteral("*.csv")});

    if (!loadList(QStringLiteral("TaxList.txt"), QStringLiteral("Artendatei"), TaxList_))
        requestTerminate();
    taxonIndex_ = TaxonIndex(TaxList_);
    usedTaxa_ = TaxonUse::read(paths_.settingsDir);
    if (loadList(QStringLiteral("QuarnelList.txt"), QStringLiteral("Datei mit Liste der Beobachter"), QuarnelList_)) {
        for (const QString &observer : std::as_const(QuarnelList_)) {
            auto *item = new QListWidgetItem(observer, m_ui->CheckListBox1);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
    } else {
        requestTerminate();
    }

    if (!ReadIniUSR())
        setBaseColour(m_ui->Edit2, Qt::white);

    TStringGrid *grid = m_ui->ArtenStrGr1;
    grid->setColumnCount(4);
    const int widths[] = {200, 45, 160, 45};
    const char *headers[] = {"Sippenname", "Status", "Bemerkung", "Anzahl"};
    for (int col = 0; col < 4; ++col) {
        grid->setColumnWidth(col, widths[col]);
        grid->setCells(col, 0, QString::fromUtf8(headers[col]));
    }
    grid->setRowCount(2);
}

bool TForm1::loadList(const QString &fileName, const QString &what, QStringList &entries)
{
    const QString path = paths_.listFile(fileName);
    ListFile list = readListFile(path);
    switch (list.outcome) {
    case ListFile::Outcome::Read:
        entries = std::move(list.entries);
        if (!list.warning.isEmpty())
            messages().show(Messages::Kind::Warning, list.warning);
        return true;
    case ListFile::Outcome::Missing:
        messages().show(Messages::Kind::Warning,
                        what + QStringLiteral(" nicht gefunden\n\rProgramm wird beendet") + searchedFolders());
        break;
    case ListFile::Outcome::Unreadable:
        // It is there: saying "not found" would send the user looking elsewhere.
        messages().show(Messages::Kind::Warning,
                        QStringLiteral("%1 \"%2\" kann nicht gelesen werden: %3\n\r"
                                       "Programm wird beendet")
                            .arg(what, path, list.error));
        break;
    }
    entries.clear();
    return false;
}

QString TForm1::draftPath() const
{
    return draft_->path();
}

QList<QLineEdit *> TForm1::recordEdits() const
{
    return {m_ui->Edit1, m_ui->Edit2, m_ui->Edit3, m_ui->Edit4, m_ui->Edit5, m_ui->Edit6, m_ui->Edit7};
}

void TForm1::setupDraft()
{
    draft_ = new DraftKeeper(
        paths_.draftDir, [this] { return captureDraft(); }, this);
    draft_->setEmpty(captureDraft());
    // Said once when it starts failing; the close asks before the record goes.
    connect(draft_, &DraftKeeper::protectionLost, this, [](const QString &reason) {
        messages().show(Messages::Kind::Warning,
                        QStringLiteral("Der Datensatz kann zur Zeit nicht als Entwurf gesichert werden: %1\n\r"
                                       "Speichern Sie ihn bald, sonst geht er beim Beenden verloren.")
                            .arg(reason));
    });
    if (!terminateRequested_)
        offerDraft();

    // Every change of the record is written at most DraftDelayMs later.
    auto changed = [this] { draft_->changed(); };
    for (QLineEdit *edit : recordEdits())
        connect(edit, &QLineEdit::textChanged, this, changed);
    for (QComboBox *combo : {m_ui->ComboBox1, m_ui->ComboBox2})
        connect(combo, &QComboBox::currentTextChanged, this, changed);
    connect(m_ui->LMDImageComboBox1, &QComboBox::currentIndexChanged, this, changed);
    connect(m_ui->Memo1, &QPlainTextEdit::textChanged, this, changed);
    connect(m_ui->CheckListBox1, &QListWidget::itemChanged, this, changed);
    QAbstractItemModel *rows = m_ui->ArtenStrGr1->model();
    connect(rows, &QAbstractItemModel::rowsInserted, this, changed);
    connect(rows, &QAbstractItemModel::rowsRemoved, this, changed);
    connect(rows, &QAbstractItemModel::dataChanged, this, changed);
}

RecordDraft TForm1::captureDraft() const
{
    RecordDraft draft;
    draft.saved = QDateTime::currentDateTime();
    for (const QLineEdit *edit : recordEdits())
        draft.texts.insert(edit->objectName(), edit->text());
    for (const QComboBox *combo : {m_ui->ComboBox1, m_ui->ComboBox2})
        draft.texts.insert(combo->objectName(), combo->currentText());
    draft.texts.insert(m_ui->Memo1->objectName(), m_ui->Memo1->toPlainText());
    draft.sampleType = m_ui->LMDImageComboBox1->currentIndex();
    const ObservationRecord record = currentRecord();
    draft.observers = record.observers;
    draft.taxa = record.taxa;
    return draft;
}

void TForm1::restoreDraft(const RecordDraft &draft)
{
    deletedTaxa_.clear();
    for (QLineEdit *edit : recordEdits())
        edit->setText(draft.texts.value(edit->objectName()));
    for (QComboBox *combo : {m_ui->ComboBox1, m_ui->ComboBox2}) {
        const QString text = draft.texts.value(combo->objectName());
        const int index = combo->findText(text);
        if (index >= 0)
            combo->setCurrentIndex(index);
        else
            combo->setEditText(text);
        combo->lineEdit()->setCursorPosition(0);
    }
    m_ui->Memo1->setPlainText(draft.texts.value(m_ui->Memo1->objectName()));
    if (draft.sampleType >= -1 && draft.sampleType < m_ui->LMDImageComboBox1->count())
        m_ui->LMDImageComboBox1->setCurrentIndex(draft.sampleType);
    for (int i = 0; i < m_ui->CheckListBox1->count(); ++i) {
        QListWidgetItem *item = m_ui->CheckListBox1->item(i);
        item->setCheckState(draft.observers.contains(item->text()) ? Qt::Checked : Qt::Unchecked);
    }
    TStringGrid *grid = m_ui->ArtenStrGr1;
    grid->setRowCount(int(draft.taxa.size()) + 2);
    for (int i = 0; i < draft.taxa.size(); ++i)
        setTaxonAt(i + 1, draft.taxa[i]);
}

void TForm1::writeDraft()
{
    draft_->write();
}

void TForm1::offerDraft()
{
    bool restored = false;
    int waiting = 0;
    for (DraftKeeper::Left &left : draft_->takeLeft()) {
        switch (left.kind) {
        case DraftKeeper::Left::Kind::Unreadable:
            messages().show(
                Messages::Kind::Warning,
                QStringLiteral("Der nicht gespeicherte Datensatz der letzten Sitzung kann nicht gelesen "
                               "werden.\n\r")
                    + (left.error.isEmpty()
                           ? QStringLiteral("Die Datei wurde als \"%1\" aufbewahrt.").arg(left.keptAs)
                           : QStringLiteral("Die Datei \"%1\" bleibt, wo sie ist: %2").arg(left.path, left.error)));
            break;
        case DraftKeeper::Left::Kind::Saved:
            // Saved already; only the removal of the draft was missed.
            break;
        case DraftKeeper::Left::Kind::Draft: {
            if (restored) {
                ++waiting; // one record at a time: the next start offers it
                break;
            }
            const QDateTime when = left.draft.saved.isValid() ? left.draft.saved : left.written;
            const auto answer = messages().ask(
                QStringLiteral("Es gibt einen nicht gespeicherten Datensatz vom %1 Uhr.\n\rSoll er wiederhergestellt "
                               "werden?")
                    .arg(when.toString(QStringLiteral("dd.MM.yyyy, HH:mm"))),
                {QStringLiteral("&Wiederherstellen"), QStringLiteral("&Verwerfen"), true});
            if (answer == Messages::Answer::Yes) {
                restoreDraft(left.draft);
                draft_->adopt(left);
                restored = true;
                break;
            }
            // Declined: put aside rather than lost, in case the answer was a slip.
            draft_->putAside(left);
            if (!left.error.isEmpty())
                messages().show(Messages::Kind::Warning,
                                QStringLiteral("Der verworfene Datensatz kann nicht beiseitegelegt werden: %1\n\r"
                                               "Er bleibt in \"%2\".")
                                    .arg(left.error, left.path));
            break;
        }
        }
    }
    if (waiting)
        messages().show(Messages::Kind::Information,
                        QStringLiteral("Es gibt %1 weitere nicht gespeicherte Datensätze anderer Programmfenster.\n\r"
                                       "Sie werden beim nächsten Start angeboten.")
                            .arg(waiting));
}

QString TForm1::searchedFolders() const
{
    // The installed program looks in more than one place; say where.
    if (!paths_.installed)
        return QString();
    return QStringLiteral("\n\r\n\rGesucht in: ") + paths_.listDirs.join(QStringLiteral(", "));
}

void TForm1::requestTerminate()
{
    // Like a requested end of the application: the start runs to its end,
    // then the event loop quits before the user can work.
    terminateRequested_ = true;
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

bool TForm1::ReadIniUSR() const
{
    return AppSettings::uncertaintyRadiusRequired(paths_.settingsDir);
}

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isOneOf(QChar c, const char16_t *allowed)
{
    for (; *allowed; ++allowed)
        if (c == *allowed)
            return true;
    return false;
}

} // namespace

bool TForm1::report(const Verdict &verdict, Messages::Kind kind)
{
    for (int i = 0; i < verdict.convertErrors; ++i)
        messages().show(Messages::Kind::AppMessage, QStringLiteral("Fehler: EConvertError"));
    if (!verdict.ok)
        messages().show(kind, verdict.message);
    return verdict.ok;
}

int TForm1::val(const QString &str)
{
    bool failed = false;
    const int value = ::val(str, &failed);
    if (failed)
        messages().show(Messages::Kind::AppMessage, QStringLiteral("Fehler: EConvertError"));
    return value;
}

bool TForm1::ZeitraumOK(const QString &cZeitraumStr)
{
    return report(::ZeitraumOK(cZeitraumStr, today()), Messages::Kind::Warning);
}

QString TForm1::ParseZeitraum(const QString &cZeitraumStr) const
{
    return ::ParseZeitraum(cZeitraumStr, today());
}

bool TForm1::IsLTLNOk(const QString &str)
{
    return report(::IsLTLNOk(str), Messages::Kind::Error);
}

bool TForm1::IsGKrOk(const QString &str, const QString &stripnr)
{
    return report(::IsGKrOk(str, stripnr), Messages::Kind::Error);
}

bool TForm1::IsMTBQQQOk(const QString &str)
{
    return report(::IsMTBQQQOk(str), Messages::Kind::Error);
}

bool TForm1::IsMTBQYXOk(const QString &str)
{
    return report(::IsMTBQYXOk(str), Messages::Kind::Error);
}

bool TForm1::IsSpRefOK()
{
    return report(checkReference(spatialReferenceSystem(m_ui->ComboBox1->currentText()), m_ui->Edit5->text()),
                  Messages::Kind::Error);
}

bool TForm1::IsGridOK()
{
    return report(checkReference(gridSystem(m_ui->ComboBox2->currentText()), m_ui->Edit6->text()),
                  Messages::Kind::Error);
}

bool TForm1::IsHoeheOK(const QString &cHoehenstr)
{
    return report(::IsHoeheOK(cHoehenstr), Messages::Kind::Warning);
}

void TForm1::Edit2KeyPress(QObject *, QChar &Key)
{
    if (Key == KeyCode::Enter) {
        Key = QChar();
        focusNextControl(m_ui->Edit2);
    } else if (!isDigit(Key) && Key != KeyCode::Backspace) {
        Key = QChar();
    }
}

void TForm1::Edit3KeyPress(QObject *, QChar &Key)
{
    if (Key == KeyCode::Enter) {
        Key = QChar();
        focusNextControl(m_ui->Edit3);
    }
}

bool TForm1::fieldKey(QLineEdit *edit, QChar &Key, const char16_t *allowed, const std::function<bool()> &enterAccepted)
{
    if (!isOneOf(Key, allowed)) {
        Key = QChar();
        return false;
    }
    if (Key == KeyCode::Escape) {
        edit->clear();
    } else if (Key == KeyCode::Enter && (!enterAccepted || enterAccepted())) {
        Key = QChar();
        focusNextControl(edit);
    }
    return true;
}

void TForm1::Edit4KeyPress(QObject *, QChar &Key)
{
    fieldKey(m_ui->Edit4, Key, u"\b\r\x1b-./0123456789", [this] {
        const QString text = m_ui->Edit4->text();
        if (empty(text))
            return true;
        if (!ZeitraumOK(text))
            return false;
        m_ui->Edit4->setText(ParseZeitraum(text));
        return true;
    });
}

void TForm1::Edit4Exit(QObject *)
{
    const QString text = m_ui->Edit4->text();
    if (empty(text))
        return;
    if (ZeitraumOK(text))
        m_ui->Edit4->setText(ParseZeitraum(text));
    else
        // Back once the focus has arrived where it was going.
        QTimer::singleShot(0, m_ui->Edit4, [edit = m_ui->Edit4] { edit->setFocus(Qt::OtherFocusReason); });
}

void TForm1::Edit5KeyPress(QObject *, QChar &Key)
{
    if (spatialReferenceSystem(m_ui->ComboBox1->currentText()) == ReferenceSystem::LTLN)
        Key = ltlnAsTyped(QString(Key)).at(0);
    fieldKey(m_ui->Edit5, Key, u"\b\r\x1b-/0123456789ENSW,;");
}

void TForm1::Edit6KeyPress(QObject *, QChar &Key)
{
    fieldKey(m_ui->Edit6, Key, u"\b\r\x1b/0123456789");
}

void TForm1::Edit7KeyPress(QObject *, QChar &Key)
{
    fieldKey(m_ui->Edit7, Key, u"\b\r\x1b-0123456789", [this] {
        const QString text = m_ui->Edit7->text();
        return empty(text) || IsHoeheOK(text);
    });
}

void TForm1::comboKeyDown(int &Key, Qt::KeyboardModifiers Shift, QLineEdit *reference,
                          const std::function<bool()> &check, const std::function<void()> &moveOn)
{
    const bool forward = (Key == Qt::Key_Tab || Key == Qt::Key_Return || Key == Qt::Key_Enter)
        && !(Shift & Qt::ShiftModifier);
    const bool backward = Key == Qt::Key_Backtab || (Key == Qt::Key_Tab && (Shift & Qt::ShiftModifier));
    if (forward) {
        Key = 0;
        if (reference->text().isEmpty() || check())
            moveOn();
        else
            reference->setFocus(Qt::OtherFocusReason);
    } else if (backward) {
        Key = 0;
        if (!reference->text().isEmpty())
            check();
        reference->setFocus(Qt::BacktabFocusReason);
    }
}

void TForm1::ComboBox1KeyDown(QObject *, int &Key, Qt::KeyboardModifiers Shift)
{
    comboKeyDown(
        Key, Shift, m_ui->Edit5, [this] { return IsSpRefOK(); }, [this] { m_ui->Edit2->setFocus(Qt::TabFocusReason); });
}

void TForm1::ComboBox2KeyDown(QObject *, int &Key, Qt::KeyboardModifiers Shift)
{
    comboKeyDown(
        Key, Shift, m_ui->Edit6, [this] { return IsGridOK(); }, [this] { focusNextControl(m_ui->ComboBox2); });
}

void TForm1::ComboBox1Exit(QObject *)
{
    // Leaving the combo with the mouse checks nothing; the keys above check.
}

void TForm1::ComboBox2Exit(QObject *)
{
}

namespace {
const char *const NoConnection = "Sie haben vermutlich keine Verbindung mit dem Internet\n\rDer Koordinatenpicker "
                                 "verwendet Google Maps. \n\rDamit er ohne Fehlermeldungen funktioniert, müssen Sie "
                                 "\n\rzuerst eine Verbindung herstellen";
} // namespace

bool TForm1::PingHostname(const QString &Hostname, const QString &PingMode)
{
    bool result = true;
    const QByteArray host = encodeText(Hostname, TextEncoding::Windows1252);
    if (PingMode == QLatin1String("SyncPing")) {
        const std::int32_t rtt = PingHost(host, PingTimeout);
        // No permission to ping, or ping filtered: the web may work all the same.
        if ((rtt == -1 || rtt == -2) && !tcpReachable(tileHost_, tilePort_, PingTimeout)) {
            messages().show(Messages::Kind::Warning, QString::fromUtf8(NoConnection));
            result = false;
        }
    }
    if (PingMode == QLatin1String("AsyncPing")) {
        QPointer<TForm1> self(this);
        const bool started = AsyncPingHost(RefID_, host, PingTimeout, [self](const TAsyncPingResult &r) {
            if (self)
                guarded([&] { self->PingCallback(r); });
        });
        if (started)
            ++RefID_;
        else
            messages().show(Messages::Kind::Warning, QString::fromUtf8(NoConnection));
    }
    return result;
}

void TForm1::PingCallback(TAsyncPingResult Result)
{
    if (Result.RTT == -1 || Result.RTT == -2)
        messages().show(Messages::Kind::Warning, QString::fromUtf8(NoConnection));
}

QWidget *TForm1::fieldWidget(RecordField field) const
{
    switch (field) {
    case RecordField::TaxonInput:
        return m_ui->Edit1;
    case RecordField::Locality:
        return m_ui->Edit3;
    case RecordField::Date:
        return m_ui->Edit4;
    case RecordField::SpatialReference:
        return m_ui->Edit5;
    case RecordField::ReferenceSystem:
        return m_ui->ComboBox1;
    case RecordField::Radius:
        return m_ui->Edit2;
    case RecordField::Observers:
        return m_ui->CheckListBox1;
    }
    return m_ui->Edit1;
}

bool TForm1::DatenVollstaendig()
{
    const std::optional<RecordFault> fault = checkCompleteness(currentRecord(), ReadIniUSR());
    if (!fault)
        return true;
    if (fault->field == RecordField::Observers && m_ui->CheckListBox1->count() > 0)
        m_ui->CheckListBox1->setCurrentRow(0);
    report(fault->verdict, fault->invalidEntry ? Messages::Kind::Error : Messages::Kind::InputCheck);
    fieldWidget(fault->field)->setFocus(Qt::OtherFocusReason);
    return false;
}

bool TForm1::fieldChecksPass()
{
    // The checks that leaving each field runs, for a save that comes before
    // the field was left (the menu, a shortcut, a click).
    const QString date = m_ui->Edit4->text();
    if (!empty(date)) {
        if (!ZeitraumOK(date)) {
            m_ui->Edit4->setFocus(Qt::OtherFocusReason);
            return false;
        }
        m_ui->Edit4->setText(ParseZeitraum(date));
    }
    if (!m_ui->Edit6->text().isEmpty() && !IsGridOK()) {
        m_ui->Edit6->setFocus(Qt::OtherFocusReason);
        return false;
    }
    const QString altitude = m_ui->Edit7->text();
    if (!altitude.isEmpty() && !IsHoeheOK(altitude)) {
        m_ui->Edit7->setFocus(Qt::OtherFocusReason);
        return false;
    }
    return true;
}

bool TForm1::locationsAgree()
{
    // A coordinate and a grid cell that name two places would go into the
    // database for good; the user decides.
    const std::optional<QString> question = locationDisagreement(m_ui->Edit5->text(), m_ui->ComboBox1->currentText(),
                                                                 m_ui->Edit6->text(), m_ui->ComboBox2->currentText());
    // Enter out of habit must not save the record the question is about.
    if (!question
        || messages().ask(*question, {QStringLiteral("&Ja"), QStringLiteral("Abbrechen"), false})
            == Messages::Answer::Yes)
        return true;
    m_ui->Edit6->setFocus(Qt::OtherFocusReason);
    return false;
}

void TForm1::BtnSpeichernClick(QObject *)
{
    // The completeness check first, in its order and with its messages; then
    // the checks of the fields it does not cover; then the agreement question.
    if (DatenVollstaendig() && fieldChecksPass() && locationsAgree())
        DatenSpeichern();
}

void TForm1::MenuItemSaveClick(QObject *)
{
    m_ui->BtnSpeichern->click();
}

void TForm1::Edit1KeyPress(QObject *, QChar &Key)
{
    const QString line = m_ui->Edit1->text();
    TaxonInput input = parseTaxonInput(line);
    if (Key != KeyCode::Enter)
        input.name.clear();
    else if (refuseLostText(line))
        return;

    const QStringList matches = FindTaxa(input.name);
    QString chosen;
    if (matches.size() >= 2) {
        if (!chooseTaxon(matches, QString(), chosen))
            return;
    } else if (matches.size() == 1) {
        chosen = matches.constFirst();
    } else {
        if (Key == KeyCode::Escape)
            m_ui->Edit1->clear();
        // A typo finds nothing: the nearest names to choose from instead.
        const QStringList near = Key == KeyCode::Enter ? taxonIndex_.findNear(input.name) : QStringList();
        if (near.isEmpty() || !chooseTaxon(near, QStringLiteral("Sippe auswählen – ähnliche Namen"), chosen))
            return;
    }
    takeTaxon(chosen, input);
}

bool TForm1::chooseTaxon(const QStringList &entries, const QString &caption, QString &chosen)
{
    TListSelectDlg dialog(this);
    if (!caption.isEmpty())
        dialog.setWindowTitle(caption);
    dialog.ListBox1()->addItems(entries);
    dialog.ListBox1()->setCurrentRow(0);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    chosen = dialog.SelectedItem();
    return true;
}

bool TForm1::refuseLostText(const QString &line)
{
    // Nothing typed is dropped without a word: the line stays as it is.
    const QString lost = textBeyondFourParts(line);
    if (lost.isEmpty())
        return false;
    QApplication::beep();
    showTaxonHint(QStringLiteral("Nicht übernommen: \"%1\" ginge verloren. Eine Zeile hat höchstens vier Teile "
                                 "(Name.Status.Bemerkung.Anzahl).")
                      .arg(lost));
    return true;
}

void TForm1::takeTaxon(const QString &taxon, const TaxonInput &input)
{
    if (!addTaxon(taxon, input)) {
        QApplication::beep();
        showTaxonHint(QStringLiteral("\"%1\" steht schon in der Liste.").arg(taxon));
    }
}

void TForm1::setupTypingList()
{
    // The matches while typing: a list under the field that never takes the
    // focus, so every key still goes to the field.
    typingList_ = new QListWidget(m_ui->Panel1);
    typingList_->setObjectName(QStringLiteral("ListeSippenVorschlag"));
    typingList_->setAccessibleName(QStringLiteral("Passende Sippen"));
    typingList_->setFocusPolicy(Qt::NoFocus);
    typingList_->setUniformItemSizes(true);
    typingList_->hide();
    connect(m_ui->Edit1, &QLineEdit::textChanged, this, [this] { refreshTypingList(); });
    connect(typingList_, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        if (item->flags() & Qt::ItemIsSelectable)
            guarded([this, item] { takeTypingEntry(item->text()); });
    });
    new FocusFilter(m_ui->Edit1, {}, [this](QObject *) { typingList_->hide(); });
    new KeyDownFilter(m_ui->Edit1, [this](QObject *, int &key, Qt::KeyboardModifiers mods) {
        if (!typingList_->isVisible() || (mods & ~Qt::KeypadModifier))
            return;
        const int entries = typingEntries();
        const int row = typingList_->currentRow();
        const int page = qMax(1, typingList_->viewport()->height() / qMax(1, typingList_->sizeHintForRow(0)));
        switch (key) {
        case Qt::Key_Down:
            typingList_->setCurrentRow(qMin(row + 1, entries - 1));
            break;
        case Qt::Key_Up:
            typingList_->setCurrentRow(qMax(row - 1, 0));
            break;
        case Qt::Key_PageDown:
            typingList_->setCurrentRow(qMin(row + page, entries - 1));
            break;
        case Qt::Key_PageUp:
            typingList_->setCurrentRow(qMax(row - page, 0));
            break;
        case Qt::Key_Escape:
            // In the list, Esc closes it; otherwise it empties the field.
            if (row < 0)
                return;
            typingList_->hide();
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Only an entry the user moved to; otherwise Enter does what it does.
            if (row < 0)
                return;
            takeTypingEntry(typingList_->item(row)->text());
            break;
        default:
            return;
        }
        key = 0;
    });
}

int TForm1::typingEntries() const
{
    int entries = 0;
    while (entries < typingList_->count() && (typingList_->item(entries)->flags() & Qt::ItemIsSelectable))
        ++entries;
    return entries;
}

void TForm1::refreshTypingList()
{
    const QString name = m_ui->Edit1->text().section(u'.', 0, 0);
    if (name.trimmed().size() < 2 || !m_ui->Edit1->hasFocus()) {
        typingList_->hide();
        return;
    }
    const TaxonIndex::FirstMatches matches = taxonIndex_.findFirst(name, TypingListEntries, usedTaxa_);
    if (matches.total == 0) {
        typingList_->hide();
        return;
    }
    typingList_->clear();
    typingList_->addItems(matches.entries);
    if (matches.total > matches.entries.size()) {
        auto *more = new QListWidgetItem(QStringLiteral("… und %1 weitere").arg(matches.total - matches.entries.size()),
                                         typingList_);
        more->setFlags(Qt::NoItemFlags);
    }
    typingList_->setCurrentRow(-1);
    placeTypingList();
    typingList_->show();
    typingList_->raise();
}

void TForm1::placeTypingList()
{
    // Under the field, and below the grid's empty last row where the next
    // taxon goes, as long as it is in view; above the field when there is no
    // room below.
    const QRect field = m_ui->Edit1->geometry();
    TStringGrid *grid = m_ui->ArtenStrGr1;
    int top = field.bottom() + 1;
    const int lastRow = grid->rowCount() - 1;
    const int rowTop = grid->rowViewportPosition(lastRow);
    if (lastRow >= 0 && rowTop >= 0 && rowTop < grid->viewport()->height()) {
        const QPoint below = grid->viewport()->mapTo(m_ui->Panel1, QPoint(0, rowTop + grid->rowHeight(lastRow)));
        top = qMax(top, below.y() + 1);
    }
    const int rowHeight = qMax(1, typingList_->sizeHintForRow(0));
    const int frame = 2 * typingList_->frameWidth();
    int height = typingList_->count() * rowHeight + frame;
    const int room = m_ui->Panel1->height() - top - 2;
    if (room < qMin(height, 4 * rowHeight + frame)) {
        height = qMin(height, field.top() - 2);
        top = field.top() - height;
    } else {
        height = qMin(height, room);
    }
    const int width = qMax(field.width(), 360);
    typingList_->setGeometry(field.left(), top, width, height);
}

void TForm1::takeTypingEntry(const QString &taxon)
{
    typingList_->hide();
    const QString line = m_ui->Edit1->text();
    if (!refuseLostText(line))
        takeTaxon(taxon, parseTaxonInput(line));
}

void TForm1::showTaxonHint(const QString &text)
{
    taxonHint_->setText(text);
    taxonHint_->setToolTip(text);
}

bool TForm1::addTaxon(const QString &taxon, const TaxonInput &input)
{
    TStringGrid *grid = m_ui->ArtenStrGr1;
    for (int row = 0; row < grid->RowCount(); ++row)
        if (grid->Cells(0, row).compare(taxon, Qt::CaseInsensitive) == 0)
            return false;
    m_ui->Edit1->clear();
    // Something new in the grid: what was deleted stays deleted.
    deletedTaxa_.clear();
    grid->setRowCount(grid->RowCount() + 1);
    const int row = grid->RowCount() - 2;
    setTaxonAt(row, {taxon, input.status, input.comment, input.count});
    grid->setCurrentCell(0, grid->RowCount() - 1);
    return true;
}

QStringList TForm1::FindTaxa(const QString &sTaxkurz) const
{
    return taxonIndex_.find(sTaxkurz);
}

void TForm1::DeleteGridRow(int Row, TStringGrid *Grid)
{
    Grid->setRow(Row);
    if (Row == Grid->RowCount() - 1 || Row < TStringGrid::FixedRows)
        return;
    Grid->removeRow(Row - TStringGrid::FixedRows);
}

void TForm1::BtnSippeLoeschenClick(QObject *)
{
    TStringGrid *grid = m_ui->ArtenStrGr1;
    const int row = grid->Row();
    if (row >= TStringGrid::FixedRows && row < grid->RowCount() - 1)
        deletedTaxa_ = {{row, taxonAt(row)}};
    if (grid->Row() >= TStringGrid::FixedRows)
        DeleteGridRow(grid->Row(), grid);
}

void TForm1::BtnAlleSippenLoeschenClick(QObject *)
{
    TStringGrid *grid = m_ui->ArtenStrGr1;
    QList<DeletedTaxon> deleted;
    for (int row = 1; row <= grid->RowCount() - 2; ++row)
        deleted.append({row, taxonAt(row)});
    if (!deleted.isEmpty())
        deletedTaxa_ = deleted;
    for (int row = grid->RowCount() - 2; row >= 1; --row)
        DeleteGridRow(row, grid);
}

TaxonRow TForm1::taxonAt(int row) const
{
    const TStringGrid *grid = m_ui->ArtenStrGr1;
    return {grid->Cells(0, row), grid->Cells(1, row), grid->Cells(2, row), grid->Cells(3, row)};
}

void TForm1::setTaxonAt(int row, const TaxonRow &taxon)
{
    TStringGrid *grid = m_ui->ArtenStrGr1;
    grid->setCells(0, row, taxon.name);
    grid->setCells(1, row, taxon.status);
    grid->setCells(2, row, taxon.comment);
    grid->setCells(3, row, taxon.count);
}

void TForm1::restoreDeletedTaxa()
{
    TStringGrid *grid = m_ui->ArtenStrGr1;
    const QList<DeletedTaxon> deleted = std::exchange(deletedTaxa_, {});
    // In their order, each at its place: the rows before it are back already.
    for (const DeletedTaxon &d : deleted) {
        const int at = qMin(d.row, grid->RowCount() - 1) - TStringGrid::FixedRows;
        grid->insertRow(at);
        setTaxonAt(at + TStringGrid::FixedRows, d.taxon);
    }
    if (!deleted.isEmpty())
        grid->setCurrentCell(0, deleted.constFirst().row);
}

void TForm1::showTaxonCount()
{
    const int n = m_ui->ArtenStrGr1->RowCount() - 2;
    taxonCount_->setText(n == 1 ? QStringLiteral("1 Sippe") : QStringLiteral("%1 Sippen").arg(n));
}

ObservationRecord TForm1::currentRecord() const
{
    ObservationRecord record;
    const TStringGrid *grid = m_ui->ArtenStrGr1;
    for (int row = 1; row <= grid->RowCount() - 2; ++row)
        record.taxa.append(taxonAt(row));
    for (int i = 0; i < m_ui->CheckListBox1->count(); ++i)
        if (m_ui->CheckListBox1->item(i)->checkState() == Qt::Checked)
            record.observers.append(m_ui->CheckListBox1->item(i)->text());
    record.date = m_ui->Edit4->text();
    record.locality = m_ui->Edit3->text();
    record.spatialReference = m_ui->Edit5->text();
    record.systemText = m_ui->ComboBox1->currentText();
    record.radius = m_ui->Edit2->text();
    record.sampleTypeItem = m_ui->LMDImageComboBox1->currentData().toString();
    record.gridReference = m_ui->Edit6->text();
    record.gridSystemText = m_ui->ComboBox2->currentText();
    // The memo's lines end with CR LF, as in the files the program writes.
    record.description = m_ui->Memo1->toPlainText().replace(u'\n', QStringLiteral("\r\n"));
    record.altitude = m_ui->Edit7->text();
    return record;
}

bool TForm1::DatenSpeichern()
{
    const ObservationRecord record = currentRecord();
    const CsvExport::PreparedFile prepared = CsvExport::prepareFile(record);
    if (prepared.outcome == CsvExport::PreparedFile::Outcome::NoSystemCode) {
        messages().show(Messages::Kind::Warning, prepared.message);
        return false;
    }
    for (const QString &warning : prepared.warnings)
        messages().show(Messages::Kind::Warning, warning);
    if (prepared.outcome == CsvExport::PreparedFile::Outcome::Unrepresentable) {
        messages().show(Messages::Kind::Warning, prepared.message);
        return true;
    }

    const QString folder = dataDir();
    Messages::SaveDialog dialog;
    dialog.title = QStringLiteral("Daten speichern");
    dialog.directory = QFileInfo(folder).isDir() ? folder : QString();
    dialog.filterName = QStringLiteral("Komma getrennter Text");
    dialog.filterPattern = QStringLiteral("*.csv");
    dialog.defaultSuffix = QStringLiteral("csv");
    dialog.fileName = CsvExport::proposeFileName(record.observers.join(QStringLiteral("; ")), record.date, folder);
    QString path = messages().getSaveFileName(dialog);
    if (path.isEmpty()) {
        messages().show(Messages::Kind::Information, QStringLiteral("Speichern abgebrochen"));
        return true;
    }
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    path = QFileInfo(path).absoluteFilePath();
    // Asked here rather than in the dialog, so that a name given without its
    // extension is asked about too.
    if (QFileInfo(path).exists() && !QFileInfo(path).isDir()) {
        const auto answer = messages().show(
            Messages::Kind::Confirmation,
            QStringLiteral("Die Datei \"%1\" existiert bereits.\n\rSoll sie ersetzt werden?").arg(path));
        if (answer != Messages::Answer::Yes) {
            messages().show(Messages::Kind::Information, QStringLiteral("Speichern abgebrochen"));
            return true;
        }
    }

    draft_->saving(path, prepared.bytes);
    if (const auto failure = writeFileAtomically(path, prepared.bytes))
        throw NembraError(QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2").arg(path, *failure));
    draft_->saved();
    // The season's names come first while typing; a count that cannot be
    // written costs nothing of the record.
    QStringList taxa;
    for (const TaxonRow &taxon : record.taxa)
        taxa.append(taxon.name);
    TaxonUse::add(paths_.settingsDir, usedTaxa_, taxa);
    messages().show(Messages::Kind::Information, QStringLiteral("Datei gespeichert: ") + path);
    return true;
}

void TForm1::CheckListBox1Enter(QObject *)
{
    if (m_ui->CheckListBox1->count() > 0)
        m_ui->CheckListBox1->setCurrentRow(0);
}

void TForm1::BtnEndeClick(QObject *)
{
    const auto answer = messages().show(
        Messages::Kind::Confirmation,
        QStringLiteral("Sie möchten das Programm beenden? \n\rHaben Sie Ihre Daten gespeichert?\n\r"
                       "Wenn nicht, klicken Sie auf \"Abbrechen\" und speichern Sie zuerst!"));
    if (answer == Messages::Answer::Yes)
        close();
}

void TForm1::MenuItemEndClick(QObject *)
{
    m_ui->BtnEnde->click();
}

void TForm1::MenuItemUsageClick(QObject *)
{
    messages().show(Messages::Kind::Information, usageNotice());
}

void TForm1::MenuItemAboutClick(QObject *)
{
    if (aboutBox_)
        aboutBox_->exec();
}

void TForm1::LMDButton1Click(QObject *)
{
    if (!PingHostname(pingHost_, QStringLiteral("SyncPing"))) {
        m_ui->Edit5->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (mapPicker_) {
        // The picker shows the cell in this form's grid system and the
        // coordinate in its Gauss-Krüger strip.
        MapPickRequest request;
        request.grid = gridNotationOf(m_ui->ComboBox2->currentText());
        request.strip = gaussKruegerStripOf(m_ui->ComboBox1->currentText());
        const std::optional<MapPickResult> picked = mapPicker_(request);
        if (picked && !picked->coordinate.isEmpty()) {
            m_ui->Edit5->setText(pickedCoordinateToLtln(picked->coordinate));
            m_ui->ComboBox1->setCurrentIndex(0);
            // A grid reference the user typed is never replaced; one that
            // the last pick filled in, unchanged since, follows the new point.
            const QString grid = m_ui->Edit6->text();
            const bool fromPick = !gridFromPick_.isEmpty() && grid == gridFromPick_;
            if (grid.isEmpty() || fromPick) {
                m_ui->Edit6->setText(picked->gridReference);
                gridFromPick_ = picked->gridReference;
            }
        }
    }
    m_ui->Edit5->setFocus(Qt::OtherFocusReason);
}

void TForm1::MenuItemPositionFileClick(QObject *)
{
    const QString folder = AppSettings::positionFolder(paths_.settingsDir);
    const Messages::OpenDialog dialog{QStringLiteral("Position aus Datei"),
                                      !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath(),
                                      {QStringLiteral("GPS-Dateien und Fotos (*.gpx *.GPX *.jpg *.jpeg *.JPG *.JPEG)"),
                                       QStringLiteral("GPX-Dateien (*.gpx *.GPX)"),
                                       QStringLiteral("Fotos (*.jpg *.jpeg *.JPG *.JPEG)"),
                                       QStringLiteral("Alle Dateien (*)")}};
    const QString path = messages().getOpenFileName(dialog);
    if (path.isEmpty())
        return;
    AppSettings::writePositionFolder(paths_.settingsDir, QFileInfo(path).absolutePath());
    const PositionRead read = readPositionFile(path);
    if (read.positions.isEmpty()) {
        messages().show(Messages::Kind::Warning, read.error);
        return;
    }
    qsizetype chosen = 0;
    if (read.positions.size() > 1) {
        TPositionChoice choice(read.positions, this);
        choice.exec();
        chosen = choice.chosen();
        if (chosen < 0)
            return;
    }
    takePosition(read.positions[chosen]);
}

void TForm1::MenuItemResetTaxonUseClick(QObject *)
{
    const auto answer = messages().ask(
        QStringLiteral("Die Zählung der Sippen dieser Saison wird gelöscht: die Liste beim Tippen zeigt die "
                       "verwendeten Sippen dann nicht mehr zuerst."),
        {QStringLiteral("&Zurücksetzen"), QStringLiteral("Abbrechen"), false});
    if (answer != Messages::Answer::Yes)
        return;
    if (const auto failure = TaxonUse::reset(paths_.settingsDir)) {
        messages().show(Messages::Kind::Warning, *failure);
        return;
    }
    usedTaxa_.clear();
}

void TForm1::takePosition(const FieldPosition &position)
{
    // The coordinate as a map pick gives it; each value checked as if typed.
    const QString coordinate = pickedCoordinateToLtln(position.pickedText());
    if (!IsLTLNOk(coordinate))
        return;
    const QString current = m_ui->Edit5->text();
    if (!empty(current) && current != coordinate) {
        const auto answer = messages().ask(
            QStringLiteral("Der Raumbezug \"%1\" wird durch die Position aus der Datei ersetzt:\n\r%2")
                .arg(current, coordinate),
            {QStringLiteral("&Ersetzen"), QStringLiteral("Abbrechen"), false});
        if (answer != Messages::Answer::Yes)
            return;
    }
    m_ui->Edit5->setText(coordinate);
    m_ui->ComboBox1->setCurrentIndex(0);
    // Only empty fields are filled, and only from values the file holds.
    if (position.altitude && std::abs(*position.altitude) < 100000 && empty(m_ui->Edit7->text())) {
        const QString altitude = QString::number(qRound64(*position.altitude));
        if (IsHoeheOK(altitude))
            m_ui->Edit7->setText(altitude);
    }
    const QDateTime local = position.localTime();
    if (local.isValid() && empty(m_ui->Edit4->text())) {
        const QString date = local.date().toString(QStringLiteral("dd.MM.yyyy"));
        if (ZeitraumOK(date))
            m_ui->Edit4->setText(ParseZeitraum(date));
    }
    const std::optional<double> error = position.horizontalError;
    if (error && *error >= 0 && *error < 1e7 && empty(m_ui->Edit2->text()))
        m_ui->Edit2->setText(QString::number(qMax<qint64>(1, qint64(std::ceil(*error)))));
    m_ui->Edit5->setFocus(Qt::OtherFocusReason);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // Closing the window ends the program at once, without a question; the
    // record typed so far is kept for the next start.
    // The size and place the user gave the window, for the next start.
    if (shown_ && geometry() != storedGeometry())
        AppSettings::writeWindowGeometry(paths_.settingsDir,
                                         {geometry().x(), geometry().y(), geometry().width(), geometry().height()});
    if (draft_->pending() || draft_->failure()) {
        // A last try; when the record cannot be kept, the user decides.
        if (const auto failure = draft_->write()) {
            const auto answer = messages().ask(
                QStringLiteral("Der Datensatz kann nicht als Entwurf gesichert werden: %1\n\r"
                               "Beim Beenden geht er verloren. Trotzdem beenden?")
                    .arg(*failure),
                {QStringLiteral("&Beenden"), QStringLiteral("Abbrechen"), false});
            if (answer != Messages::Answer::Yes) {
                event->ignore();
                return;
            }
        }
    }
    event->accept();
}

QString TForm1::usageNotice()
{
    return QStringLiteral("NUTZUNGSVEREINBARUNG\n\r"
                          "\n\r"
                          "Nembra ist kostenlos. Das Programm darf frei kopiert und weitergegeben\n\r"
                          "sowie auch für kommerzielle Zwecke eingesetzt werden.\n\r"
                          "Ein kommerzieller Vertrieb ist ohne Rücksprache nicht gestattet;\n\r"
                          "ausgenommen ist die Veröffentlichung in Zeitschriften und auf\n\r"
                          "Shareware- oder Freeware-Datenträgern.\n\r"
                          "\n\r"
                          "HAFTUNGSHINWEIS\n\r"
                          "\n\r"
                          "Jede Version des Programms wird vor ihrer Veröffentlichung sorgfältig\n\r"
                          "getestet. Trotzdem kann nicht ausgeschlossen werden, dass Daten\n\r"
                          "fehlerhaft gespeichert werden oder andere Fehlfunktionen auftreten.\n\r"
                          "Für verlorene oder beschädigte Daten und für andere Fehlfunktionen\n\r"
                          "wird keine Haftung übernommen.\n\r"
                          "\n\r"
                          "Prüfen Sie gespeicherte Dateien daher vor dem Import in die\n\r"
                          "Quarnel 6 Software.");
}
