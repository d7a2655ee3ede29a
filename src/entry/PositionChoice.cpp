#include "PositionChoice.h"

#include <QHeaderView>

#include "FormFont.h"
#include "PickedCoordinate.h"
#include "ui_PositionChoice.h"

TPositionChoice::TPositionChoice(const QList<FieldPosition> &positions, QWidget *parent)
    : QDialog(parent)
    , m_ui(new Ui::TPositionChoice)
{
    m_ui->setupUi(this);
    applyFormFont(this, 8);
    QTreeWidget *list = m_ui->PositionList;
    QList<QTreeWidgetItem *> rows;
    rows.reserve(positions.size());
    for (qsizetype i = 0; i < positions.size(); ++i) {
        const FieldPosition &p = positions[i];
        const QDateTime local = p.localTime();
        auto *row = new QTreeWidgetItem(
            {p.name.isEmpty() ? QStringLiteral("(%1. Punkt)").arg(i + 1) : p.name,
             local.isValid() ? local.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) : QString(),
             pickedCoordinateToLtln(p.pickedText()),
             p.altitude ? QStringLiteral("%1 m").arg(qRound64(*p.altitude)) : QString()});
        row->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
        rows.append(row);
    }
    list->addTopLevelItems(rows);
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list->header()->setStretchLastSection(false);
    list->setCurrentItem(list->topLevelItem(0));
    list->setFocus(Qt::OtherFocusReason);
    connect(list, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(m_ui->BtnUebernehmen, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->BtnAbbrechen, &QPushButton::clicked, this, &QDialog::reject);
}

TPositionChoice::~TPositionChoice()
{
    delete m_ui;
}

int TPositionChoice::chosen() const
{
    if (result() != QDialog::Accepted)
        return -1;
    const QTreeWidget *list = m_ui->PositionList;
    return list->currentItem() ? list->indexOfTopLevelItem(list->currentItem()) : -1;
}
