#include "ListSelectDlg.h"

#include <QListWidget>

#include "ErrorGuard.h"
#include "KeyCodes.h"
#include "KeyPressFilter.h"
#include "ui_ListSelectDlg.h"

TListSelectDlg::TListSelectDlg(QWidget *parent)
    : QDialog(parent)
    , m_ui(new Ui::TListSelectDlg)
{
    m_ui->setupUi(this);
    setFixedSize(331, 259);
    connectHandler(m_ui->ListBox1, &QListWidget::itemDoubleClicked, this, &TListSelectDlg::ListBox1DblClick);
    new KeyPressFilter(m_ui->ListBox1, [this](QObject *sender, QChar &key) { ListBox1KeyPress(sender, key); });
}

TListSelectDlg::~TListSelectDlg()
{
    delete m_ui;
}

QListWidget *TListSelectDlg::ListBox1() const
{
    return m_ui->ListBox1;
}

QString TListSelectDlg::SelectedItem() const
{
    const QListWidgetItem *item = m_ui->ListBox1->currentItem();
    return item ? item->text() : QString();
}

void TListSelectDlg::ListBox1DblClick(QObject *)
{
    accept();
}

void TListSelectDlg::ListBox1KeyPress(QObject *, QChar &Key)
{
    if (Key == KeyCode::Enter) {
        Key = QChar();
        accept();
    } else if (Key == KeyCode::Escape) {
        Key = QChar();
        reject();
    }
}
