#include "TStringGrid.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QToolTip>

TStringGrid::TStringGrid(QWidget *parent)
    : QTableWidget(parent)
{
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(20);
    verticalHeader()->setMinimumSectionSize(20);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    // Tab leaves the grid for the next control, as in the rest of the form.
    setTabKeyNavigation(false);
    // Tells the script bridge's grid wrapper that row 0 is the header.
    setProperty("fixedRows", FixedRows);
}

void TStringGrid::setRowCount(int count)
{
    QTableWidget::setRowCount(qMax(0, count - FixedRows));
}

QString TStringGrid::Cells(int col, int row) const
{
    if (row < FixedRows) {
        const QTableWidgetItem *header = horizontalHeaderItem(col);
        return header ? header->text() : QString();
    }
    const QTableWidgetItem *cell = item(row - FixedRows, col);
    return cell ? cell->text() : QString();
}

void TStringGrid::setCells(int col, int row, const QString &text)
{
    if (row < FixedRows) {
        setHorizontalHeaderItem(col, new QTableWidgetItem(text));
        return;
    }
    QTableWidgetItem *cell = item(row - FixedRows, col);
    if (cell)
        cell->setText(text);
    else
        setItem(row - FixedRows, col, new QTableWidgetItem(text));
}

int TStringGrid::Row() const
{
    return qMax(0, currentRow()) + FixedRows;
}

void TStringGrid::setRow(int row)
{
    setCurrentCell(qMax(0, currentColumn()), row);
}

void TStringGrid::setCurrentCell(int col, int row)
{
    if (row >= FixedRows)
        QTableWidget::setCurrentCell(row - FixedRows, col);
}

QString TStringGrid::cutText(const QModelIndex &index) const
{
    if (!index.isValid())
        return QString();
    const QString text = index.data(Qt::DisplayRole).toString();
    // The cell's room less the margins the style draws the text within.
    const int room = visualRect(index).width()
        - 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    return fontMetrics().horizontalAdvance(text) > room ? text : QString();
}

bool TStringGrid::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QString text = cutText(indexAt(help->pos()));
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, viewport(), visualRect(indexAt(help->pos())));
        return true;
    }
    return QTableWidget::viewportEvent(event);
}
