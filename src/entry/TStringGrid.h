#pragma once

#include <QTableWidget>

// A string grid whose row 0 is the fixed header: rows are counted with the
// header, so RowCount() is the number of table rows plus one and Cells(c, 0)
// reads the header text. The header stays in place when the rows scroll.
class TStringGrid : public QTableWidget {
    Q_OBJECT
public:
    static constexpr int FixedRows = 1;

    explicit TStringGrid(QWidget *parent = nullptr);

    int RowCount() const { return rowCount() + FixedRows; }
    void setRowCount(int count);

    QString Cells(int col, int row) const;
    void setCells(int col, int row, const QString &text);

    // The current row in grid numbering (at least FixedRows).
    int Row() const;
    void setRow(int row);
    void setCurrentCell(int col, int row);

    // The whole text of a cell whose text the column cuts off, as shown in
    // its tooltip; empty when the text fits.
    QString cutText(const QModelIndex &index) const;

protected:
    bool viewportEvent(QEvent *event) override;
};
