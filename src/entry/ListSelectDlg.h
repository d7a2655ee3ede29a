#pragma once

#include <QDialog>

namespace Ui {
class TListSelectDlg;
}
class QListWidget;

// The taxon choice dialog: a list box only. Double-click or Enter ends it with
// OK, Esc or closing the window with Cancel.
class TListSelectDlg : public QDialog {
    Q_OBJECT
public:
    explicit TListSelectDlg(QWidget *parent = nullptr);
    ~TListSelectDlg() override;

    QListWidget *ListBox1() const;
    QString SelectedItem() const;

    void ListBox1DblClick(QObject *Sender);
    void ListBox1KeyPress(QObject *Sender, QChar &Key);

private:
    Ui::TListSelectDlg *m_ui;
};
