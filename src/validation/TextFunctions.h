#pragma once

#include <QString>

// Number of non-overlapping occurrences of substr in str.
int CountPos(const QString &substr, const QString &str);

// The digits (and dots) of str as a 32-bit integer, never negative. A dot
// among them or more digits than fit make the conversion fail: *convertError
// is set and the result is 0.
int val(const QString &str, bool *convertError);

// True when str holds nothing but blanks and control characters.
bool empty(const QString &str);

// Removes characters with codes up to 32 at both ends.
QString trimControls(const QString &str);

// A decimal integer as the user may have pasted it: optional leading blanks
// and sign, then digits, fitting 32 bits.
bool toInt32(const QString &str, int *value);
