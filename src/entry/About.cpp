#include "About.h"

#include <QDate>
#include <QDesktopServices>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QUrl>

#include "AppVersion.h"
#include "ErrorGuard.h"
#include "KeyPressFilter.h"
#include "ui_About.h"

TFormAbout::TFormAbout(QWidget *parent)
    : QDialog(parent)
    , m_ui(new Ui::TFormAbout)
{
    m_ui->setupUi(this);
    setFixedSize(305, 302);
    for (QLabel *label : findChildren<QLabel *>()) {
        if (!label->property("link").toBool())
            continue;
        QFont font = label->font();
        font.setUnderline(true);
        label->setFont(font);
        label->setForegroundRole(QPalette::Link);
        label->installEventFilter(this);
    }
    enterPressesButtons(this);
    connectHandler(m_ui->Button1, &QPushButton::clicked, this, &TFormAbout::Button1Click);
    FormCreate();
}

TFormAbout::~TFormAbout()
{
    delete m_ui;
}

void TFormAbout::FormCreate()
{
    // The program's texts are German, and so is the date, whatever the locale.
    const QString date = QLocale(QLocale::German, QLocale::Germany)
                             .toString(QDate::currentDate(), QLocale::ShortFormat);
    m_ui->Label1->setText(QStringLiteral("Nembra Version ") + appVersionText() + QStringLiteral(" (") + date + u')');
    // The label shows the program's "\n\r" line breaks as plain line breaks.
    m_ui->Label2->setText(QStringLiteral("Einfache Dateneingabe für Artbeobachtungen\n\n"
                                         "Ein einfaches Eingabetool für Arten\n"
                                         "zum Import in die Quarnel 6 Software"));
}

void TFormAbout::Button1Click(QObject *)
{
    accept();
}

void TFormAbout::LabelURLClick(QObject *Sender)
{
    if (auto *label = qobject_cast<QLabel *>(Sender))
        QDesktopServices::openUrl(QUrl(label->toolTip()));
}

bool TFormAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
        guarded([&] { LabelURLClick(watched); });
    return QDialog::eventFilter(watched, event);
}
