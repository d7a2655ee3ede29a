#include "DozadiRad.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QHeaderView>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include "About.h"
#include "AppSettings.h"
#include "AppVersion.h"
#include "ErrorGuard.h"
#include "KeyPressFilter.h"
#include "Messages.h"
#include "TextFile.h"
#include "ui_DozadiRad.h"

namespace {

const QColor RequiredColour(255, 255, 0);

// Tahoma 8 pt where installed; else a sans-serif of the same metrics, so the
// texts fit the positions the form is laid out for.
void applyFormFont(QWidget *window)
{
    QFont font = window->font();
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setPointSize(8);
    window->setFont(font);
}

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
    applyFormFont(this);
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

    connect(m_ui->BtnEnde, &QPushButton::clicked, this, [this] { guarded([this] { BtnEndeClick(m_ui->BtnEnde); }); });
    connect(m_ui->MenuItemEnd, &QAction::triggered, this,
            [this] { guarded([this] { MenuItemEndClick(m_ui->MenuItemEnd); }); });
    connect(m_ui->MenuItemUsage, &QAction::triggered, this,
            [this] { guarded([this] { MenuItemUsageClick(m_ui->MenuItemUsage); }); });
    connect(m_ui->MenuItemAbout, &QAction::triggered, this,
            [this] { guarded([this] { MenuItemAboutClick(m_ui->MenuItemAbout); }); });
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
