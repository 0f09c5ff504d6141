#pragma once

#include "dbsource.h"

#include <QHash>
#include <QString>
#include <optional>

// Comparisons of a number or date column with a constant, as the desktop drivers made
// them and SQLite does not: a number column compares numerically even when a few of its
// cells hold text (that text is neither greater nor smaller than any number), a date
// column compares as dates whether the constant is '1994-08-04' or '1994-08-04 10:30',
// and a constant that is no number (or no date) for such a column is an error rather
// than a silent "no rows". The statement's simple comparisons "Column op constant" (and
// "constant op Column") are rewritten into calls of the SQL function quillo_compare.
namespace TypedComparisons {

// The SQL function's name, registered by SourceModule::install.
inline constexpr char kFunction[] = "quillo_compare";

// What a rewrite gives: the statement, or the comparison whose constant does not fit.
struct Rewritten
{
    QString statement;
    QString mismatch; // e.g. "Age = 'abc'"; empty when every constant fits
};

// columnKinds: case-folded column name to kind, for the names every table agrees on.
Rewritten rewrite(const QString &statement, const QHash<QString, DbColumnKind> &columnKinds);

// A number as a constant or a cell's text gives it ("31", " 2.5 ", "-1e3"), C locale.
std::optional<double> parseNumber(const QString &text);
// Seconds from 0001-01-01 of a date "YYYY-MM-DD", "YYYY/MM/DD" or "M/D/YYYY" (as Jet
// reads it), with an optional time "HH:MM[:SS]"; or of a time alone "HH:MM[:SS]".
std::optional<qint64> parseDate(const QString &text);

} // namespace TypedComparisons
