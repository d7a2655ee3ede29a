#pragma once

#include <QDate>
#include <QString>

#include "Verdict.h"

// Checks a date or period ("1.5.2010", "5.2010", "2010", "date-date", "date-",
// "-date"; "/" may stand for "."; blanks are ignored) against today: the
// verdict and the message of the first fault.
Verdict ZeitraumOK(const QString &cZeitraumStr, const QDate &today);

// The normalised form of a text that ZeitraumOK accepted: two-digit day and
// month, four-digit year, "." between the parts.
QString ParseZeitraum(const QString &cZeitraumStr, const QDate &today);
