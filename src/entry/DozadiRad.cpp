#include "DozadiRad.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QSaveFile>
#include <QDir>
#include <QHeaderView>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QTimer>
#include <QToolButton>

#include "About.h"
#include "AppSettings.h"
#include "AppVersion.h"
#include "ErrorGuard.h"
#include "FormFont.h"
#include "KeyPressFilter.h"
#include "ListSelectDlg.h"
#include "CoordinateValidation.h"
#include "DateValidation.h"
#include "TextFunctions.h"
#include "PickedCoordinate.h"
#include "Messages.h"
#include "TextFile.h"
#include "ui_DozadiRad.h"

namespace {

const QColor RequiredColour(255, 255, 0);

void setBaseColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, colour);
    widget->setPalette(palette);
}

// The four sample-type images, in image-list order.
QIcon sampleTypeImage(int index)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    static const QColor colours[] = {QColor(34, 139, 34), QColor(30, 100, 200), QColor(200, 120, 20), QColor(160, 30, 30)};
    p.setPen(QPen(colours[index].darker(150), 1));
    p.setBrush(colours[index]);
    switch (index) {
    case 0: // survey of an area: a leaf
        p.drawEllipse(QRectF(3, 2, 10, 12));
        p.drawLine(QPointF(8, 3), QPointF(8, 15));
        break;
    case 1: // single note: a page
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3.5, 1.5, 9, 13));
        p.drawLine(QPointF(5, 5), QPointF(11, 5));
        p.drawLine(QPointF(5, 8), QPointF(11, 8));
        p.drawLine(QPointF(5, 11), QPointF(9, 11));
        break;
    case 2: // short note: a pencil
        p.drawRect(QRectF(2, 6, 10, 4));
        p.drawPolygon(QPolygonF({QPointF(12, 6), QPointF(15, 8), QPointF(12, 10)}));
        break;
    default: // point data: a dot in a ring
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(2, 2, 12, 12));
        p.setBrush(colours[index]);
        p.drawEllipse(QRectF(6, 6, 4, 4));
        break;
    }
    return QIcon(pixmap);
}

QIcon mapPickerIcon()
{
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(120, 20, 20), 1));
    p.setBrush(QColor(220, 40, 40));
    QPainterPath pin;
    pin.moveTo(10, 19);
    pin.cubicTo(4, 12, 3, 9, 3, 7);
    pin.arcTo(QRectF(3, 0, 14, 14), 180, -180);
    pin.cubicTo(17, 9, 16, 12, 10, 19);
    p.drawPath(pin);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(7, 4, 6, 6));
    return QIcon(pixmap);
}

} // namespace

TForm1::TForm1(const QString &appDir, QWidget *parent)
    : QMainWindow(parent)
    , m_ui(new Ui::TForm1)
    , appDir_(appDir.endsWith(u'/') ? appDir : appDir + u'/')
{
    m_ui->setupUi(this);
    setupControls();
    FormCreate();
}

TForm1::~TForm1()
{
    delete m_ui;
}

void TForm1::setupControls()
{
    applyFormFont(this, 8);
    // The client area below the menu is 652 × 528 pixels.
    setFixedSize(652, 528 + menuBar()->sizeHint().height());

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
    m_ui->LMDButton1->setIcon(mapPickerIcon());
    // Editable combo boxes show the start of their text, like the other fields.
    for (QComboBox *combo : {m_ui->ComboBox1, m_ui->ComboBox2})
        combo->lineEdit()->setCursorPosition(0);

    connectHandler(m_ui->BtnEnde, &QPushButton::clicked, this, &TForm1::BtnEndeClick);
    connectHandler(m_ui->MenuItemEnd, &QAction::triggered, this, &TForm1::MenuItemEndClick);
    connectHandler(m_ui->MenuItemUsage, &QAction::triggered, this, &TForm1::MenuItemUsageClick);
    connectHandler(m_ui->LMDButton1, &QToolButton::clicked, this, &TForm1::LMDButton1Click);
    connectHandler(m_ui->MenuItemAbout, &QAction::triggered, this, &TForm1::MenuItemAboutClick);
    connectHandler(m_ui->BtnSippeLoeschen, &QPushButton::clicked, this, &TForm1::BtnSippeLoeschenClick);
    connectHandler(m_ui->BtnAlleSippenLoeschen, &QPushButton::clicked, this, &TForm1::BtnAlleSippenLoeschenClick);
    connectHandler(m_ui->BtnSpeichern, &QPushButton::clicked, this, &TForm1::BtnSpeichernClick);
    connectHandler(m_ui->MenuItemSave, &QAction::triggered, this, &TForm1::MenuItemSaveClick);

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
        auto *filter = new KeyDownFilter(combo, [this, handler](QObject *sender, int &key, Qt::KeyboardModifiers shift) {
            (this->*handler)(sender, key, shift);
        });
        filter->watch(combo->lineEdit());
    };
    keyDown(m_ui->ComboBox1, &TForm1::ComboBox1KeyDown);
    keyDown(m_ui->ComboBox2, &TForm1::ComboBox2KeyDown);
    new FocusFilter(m_ui->ComboBox1, {}, [this](QObject *sender) { ComboBox1Exit(sender); });
    new FocusFilter(m_ui->ComboBox2, {}, [this](QObject *sender) { ComboBox2Exit(sender); });
    new FocusFilter(m_ui->CheckListBox1, [this](QObject *sender) { CheckListBox1Enter(sender); }, {});
}

void TForm1::FormCreate()
{
    RefID_ = 1;
    appVersionText() = GetAppVersion();

    if (!loadListFile(appDir_ + QStringLiteral("RefList/TaxList.txt"), TaxList_)) {
        TaxList_.clear();
        messages().show(Messages::Kind::Warning, QStringLiteral("Artendatei nicht gefunden\n\rProgramm wird beendet"));
        requestTerminate();
    }
    taxonIndex_ = TaxonIndex(TaxList_);
    if (loadListFile(appDir_ + QStringLiteral("RefList/QuarnelList.txt"), QuarnelList_)) {
        for (const QString &observer : std::as_const(QuarnelList_)) {
            auto *item = new QListWidgetItem(observer, m_ui->CheckListBox1);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
    } else {
        QuarnelList_.clear();
        messages().show(Messages::Kind::Warning,
                        QStringLiteral("Datei mit Liste der Beobachter nicht gefunden\n\rProgramm wird beendet"));
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

void TForm1::requestTerminate()
{
    // Like a requested end of the application: the start runs to its end,
    // then the event loop quits before the user can work.
    terminateRequested_ = true;
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

bool TForm1::ReadIniUSR() const
{
    return AppSettings::uncertaintyRadiusRequired(appDir_);
}

namespace {

constexpr QChar Backspace(8), Enter(13), Escape(27);

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
    if (Key == Enter) {
        Key = QChar();
        focusNextControl(m_ui->Edit2);
    } else if (!isDigit(Key) && Key != Backspace) {
        Key = QChar();
    }
}

void TForm1::Edit3KeyPress(QObject *, QChar &Key)
{
    if (Key == Enter) {
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
    if (Key == Escape) {
        edit->clear();
    } else if (Key == Enter && (!enterAccepted || enterAccepted())) {
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
    comboKeyDown(Key, Shift, m_ui->Edit5, [this] { return IsSpRefOK(); },
                 [this] { m_ui->Edit2->setFocus(Qt::TabFocusReason); });
}

void TForm1::ComboBox2KeyDown(QObject *, int &Key, Qt::KeyboardModifiers Shift)
{
    comboKeyDown(Key, Shift, m_ui->Edit6, [this] { return IsGridOK(); },
                 [this] { focusNextControl(m_ui->ComboBox2); });
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
        if (rtt == -1 || rtt == -2) {
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

bool TForm1::incomplete(const QString &message, QWidget *focus)
{
    messages().show(Messages::Kind::InputCheck, message);
    focus->setFocus(Qt::OtherFocusReason);
    return false;
}

bool TForm1::DatenVollstaendig()
{
    if (m_ui->ArtenStrGr1->RowCount() <= 2)
        return incomplete(QStringLiteral("Ohne Arten macht das Ganze keinen Sinn!"), m_ui->Edit1);
    if (m_ui->Edit3->text().isEmpty())
        return incomplete(QStringLiteral("Sie müssen einen Fundort eingeben"), m_ui->Edit3);
    if (m_ui->Edit4->text().isEmpty())
        return incomplete(QStringLiteral("Sie müssen ein Datum eingeben"), m_ui->Edit4);

    const bool hasReference = !m_ui->Edit5->text().isEmpty();
    const bool hasSystem = !m_ui->ComboBox1->currentText().isEmpty();
    if (!hasReference && !hasSystem)
        return incomplete(QStringLiteral("Sie müssen einen Raumbezug und ein passendes Raumbezugssystem eingeben"),
                          m_ui->Edit5);
    if (hasReference && !hasSystem)
        return incomplete(QStringLiteral("Sie müssen ein Raumbezugssystem auswählen"), m_ui->ComboBox1);
    if (!hasReference && hasSystem)
        return incomplete(QStringLiteral("Sie müssen einen Raumbezug eingeben"), m_ui->Edit5);
    if (!IsSpRefOK()) {
        m_ui->Edit5->setFocus(Qt::OtherFocusReason);
        return false;
    }

    const QString radius = m_ui->Edit2->text();
    if (ReadIniUSR() && radius.isEmpty())
        return incomplete(QStringLiteral("Sie müssen einen Unschärferadius eingeben"), m_ui->Edit2);
    if (!radius.isEmpty()) {
        int value = 0;
        if (!toInt32(radius, &value))
            throw NembraError(QStringLiteral("''%1'' ist kein gültiger Integer-Wert").arg(radius));
        if (value == 0)
            return incomplete(QStringLiteral("Ein Unschärferadius von 0 ist nicht möglich"), m_ui->Edit2);
    }

    bool anyObserver = false;
    for (int i = 0; i < m_ui->CheckListBox1->count() && !anyObserver; ++i)
        anyObserver = m_ui->CheckListBox1->item(i)->checkState() == Qt::Checked;
    if (!anyObserver) {
        if (m_ui->CheckListBox1->count() > 0)
            m_ui->CheckListBox1->setCurrentRow(0);
        return incomplete(QStringLiteral("Sie müssen mindestens einen Kartierer auswählen"), m_ui->CheckListBox1);
    }
    return true;
}

void TForm1::BtnSpeichernClick(QObject *)
{
    if (DatenVollstaendig())
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
    if (Key != QChar(13))
        input.name.clear();

    const QStringList matches = FindTaxa(input.name);
    QString chosen;
    if (matches.size() >= 2) {
        TListSelectDlg dialog(this);
        dialog.ListBox1()->addItems(matches);
        dialog.ListBox1()->setCurrentRow(0);
        if (dialog.exec() != QDialog::Accepted)
            return;
        chosen = dialog.SelectedItem();
    } else if (matches.size() == 1) {
        chosen = matches.constFirst();
    } else {
        if (Key == QChar(27))
            m_ui->Edit1->clear();
        return;
    }
    addTaxon(chosen, input);
}

void TForm1::addTaxon(const QString &taxon, const TaxonInput &input)
{
    TStringGrid *grid = m_ui->ArtenStrGr1;
    for (int row = 0; row < grid->RowCount(); ++row)
        if (grid->Cells(0, row).compare(taxon, Qt::CaseInsensitive) == 0)
            return;
    m_ui->Edit1->clear();
    grid->setRowCount(grid->RowCount() + 1);
    const int row = grid->RowCount() - 2;
    grid->setCells(0, row, taxon);
    grid->setCells(1, row, input.status);
    grid->setCells(2, row, input.comment);
    grid->setCells(3, row, input.count);
    grid->setCurrentCell(0, grid->RowCount() - 1);
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
    if (grid->Row() >= TStringGrid::FixedRows)
        DeleteGridRow(grid->Row(), grid);
}

void TForm1::BtnAlleSippenLoeschenClick(QObject *)
{
    TStringGrid *grid = m_ui->ArtenStrGr1;
    for (int row = grid->RowCount() - 2; row >= 1; --row)
        DeleteGridRow(row, grid);
}

ObservationRecord TForm1::currentRecord() const
{
    ObservationRecord record;
    const TStringGrid *grid = m_ui->ArtenStrGr1;
    for (int row = 1; row <= grid->RowCount() - 2; ++row)
        record.taxa.append({grid->Cells(0, row), grid->Cells(1, row), grid->Cells(2, row), grid->Cells(3, row)});
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
    const QString joinedObservers = record.observers.join(QStringLiteral("; "));

    const QString systemCode = CsvExport::systemCode(record.systemText);
    if (systemCode.isEmpty() || systemCode.size() > 4) {
        messages().show(Messages::Kind::Warning,
                        QStringLiteral("Raumreferenzsystem konnte nicht extrahiert werden\n\rSpeichern wird abgebrochen"));
        return false;
    }
    bool gridCodeTooLong = false;
    const QString gridField = CsvExport::gridField(record.gridReference, record.gridSystemText, &gridCodeTooLong);
    if (gridCodeTooLong)
        messages().show(Messages::Kind::Warning,
                        QStringLiteral("Rastersystem konnte nicht extrahiert werden\n\rSpeichere leere Angabe"));

    // A character the file cannot hold would be lost on the way: the user
    // changes it before anything is written.
    if (const auto lost = CsvExport::findUnrepresentable(record, systemCode, gridField)) {
        messages().show(Messages::Kind::Warning,
                        QStringLiteral("Das Zeichen \"%1\" im Feld \"%2\" kann in der Datei nicht gespeichert werden."
                                       "\n\rSpeichern wird abgebrochen")
                            .arg(lost->character, lost->field));
        return true;
    }
    const QByteArray bytes = CsvExport::encodeFile(CsvExport::fileText(record, systemCode, gridField));

    const QString folder = dataDir();
    const QString proposal = CsvExport::proposeFileName(joinedObservers, record.date, folder);
    Messages::SaveDialog dialog;
    dialog.title = QStringLiteral("Daten speichern");
    dialog.directory = QFileInfo(folder).isDir() ? folder : QString();
    dialog.filterName = QStringLiteral("Komma getrennter Text");
    dialog.filterPattern = QStringLiteral("*.csv");
    dialog.defaultSuffix = QStringLiteral("csv");
    dialog.fileName = proposal;
    QString path = messages().getSaveFileName(dialog);
    if (path.isEmpty()) {
        messages().show(Messages::Kind::Information, QStringLiteral("Speichern abgebrochen"));
        return true;
    }
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    path = QFileInfo(path).absoluteFilePath();

    // Written beside the target and then put in its place: a failure leaves
    // an existing file as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw NembraError(QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2").arg(path, file.errorString()));
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
    if (mapPicker_ && mapPicker_->exec() == QDialog::Accepted) {
        const auto *picked = mapPicker_->findChild<QLineEdit *>(QStringLiteral("Edit1"));
        if (picked && !picked->text().isEmpty()) {
            m_ui->Edit5->setText(pickedCoordinateToLtln(picked->text()));
            m_ui->ComboBox1->setCurrentIndex(0);
        }
    }
    m_ui->Edit5->setFocus(Qt::OtherFocusReason);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // Closing the window ends the program at once, without a question.
    event->accept();
}

QString TForm1::usageNotice()
{
    return QStringLiteral(
        "NUTZUNGSVEREINBARUNG\n\r"
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
