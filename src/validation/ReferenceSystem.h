#pragma once

#include <QString>

// The systems the two combo boxes of the form name. Which one a combo's text
// names is decided here alone: the checks, the export's agreement question,
// the picker's request and the notation shown in the fields all ask this.
enum class ReferenceSystem {
    None,
    LTLN,
    GKr2,
    GKr3,
    GKr4,
    GKr5,
    QQQ,
    QYX
};

// The system of a spatial-reference text (ComboBox1): the first of the codes
// GKr2, GKr3, GKr4, GKr5, QYX, QQQ, LTLN that the text contains, with or
// without parentheses around it; None when it holds none of them.
ReferenceSystem spatialReferenceSystem(const QString &comboText);
// The system of a grid text (ComboBox2): QYX, then QQQ; else None.
ReferenceSystem gridSystem(const QString &comboText);

// The strip number of a Gauss-Krüger system (2 to 5), else 0.
int gaussKruegerStrip(ReferenceSystem system);
// A short example of the system's notation ("49,45187N;6,66072E",
// "3512345;5412345", "5408/132", "5408/235"); empty for None.
QString notationExample(ReferenceSystem system);
