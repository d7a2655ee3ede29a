#pragma once

#include <QDialog>

namespace Ui {
class TFormAbout;
}

// The About box: name, version and start date, purpose, contact and credits.
class TFormAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFormAbout(QWidget *parent = nullptr);
    ~TFormAbout() override;

    void Button1Click(QObject *Sender);
    void LabelURLClick(QObject *Sender);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();

    Ui::TFormAbout *m_ui;
};
