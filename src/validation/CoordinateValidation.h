#pragma once

#include <QString>

#include "ReferenceSystem.h"
#include "Verdict.h"

// The fixed separators of coordinate texts, whatever the user's locale says.
inline constexpr char16_t ListSeparator = u';';
inline constexpr char16_t DecimalSeparator = u',';

// WGS84 latitude/longitude, e.g. "49,45187N;6,66072E": the first fault.
Verdict IsLTLNOk(const QString &str);

// Latitude/longitude as GPS units and web maps write it, in the field's
// notation: "." becomes ",", "n", "e", "s", "w" become upper case; all else
// stays ("49.75123n;6.64321e" → "49,75123N;6,64321E").
QString ltlnAsTyped(const QString &text);

// Gauss-Krüger x;y for strip `stripnr` ("2" to "5"): every fault at once.
Verdict IsGKrOk(const QString &str, const QString &stripnr);

// MTB sheet with quadrant division, e.g. "5408/132".
Verdict IsMTBQQQOk(const QString &str);
// MTB sheet with minute fields, e.g. "5408/235".
Verdict IsMTBQYXOk(const QString &str);

Verdict checkReference(ReferenceSystem system, const QString &text);

// The altitude in metres, one value or a range "300-450", at most 8848.
Verdict IsHoeheOK(const QString &cHoehenstr);
