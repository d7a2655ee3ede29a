#pragma once

#include <QDialog>

#include "FieldPosition.h"

namespace Ui {
class TPositionChoice;
}

// "Position wählen": the positions of a GPS file, one a row with name, local
// date and time, coordinate and altitude, the first selected. Enter or a
// double-click takes the selected one, Esc cancels, typing a name's start
// jumps to it.
class TPositionChoice : public QDialog {
    Q_OBJECT
public:
    explicit TPositionChoice(const QList<FieldPosition> &positions, QWidget *parent = nullptr);
    ~TPositionChoice() override;

    // The row taken, or -1.
    int chosen() const;

private:
    Ui::TPositionChoice *m_ui;
};
