#pragma once

#include <QString>
#include <QStringList>

// Checks and adjustments of a statement's text before SQLite sees it, where the desktop
// drivers' SQL and SQLite's differ in ways the import relies on.
namespace StatementText {

// The desktop drivers need AS before a column alias: "SELECT Mobile No FROM T" is a
// syntax error there, where SQLite would quietly read Mobile under the name No. A typed
// column name with a blank must fail, so the first select-list item that ends in a bare
// alias is returned (empty text when there is none) and the statement refused.
QString implicitAlias(const QString &statement);

// SQLite matches names ignoring the case of ASCII letters only; the desktop drivers
// ignored case everywhere, and the Access import upper-cases its statement (a table
// Umsätze becomes UMSÄTZE). Names outside ASCII that match one of names ignoring case
// are rewritten to that spelling; everything else is left as written.
QString matchNameCase(const QString &statement, const QStringList &names);

} // namespace StatementText
