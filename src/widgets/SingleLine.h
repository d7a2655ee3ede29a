#pragma once

class QLineEdit;

// Keeps a line edit to one line whatever way text arrives (paste, drop, input
// method): each CR, LF, CR LF and tab becomes one blank, other control
// characters are dropped, and the cursor stays where the text went in.
void keepSingleLine(QLineEdit *edit);
