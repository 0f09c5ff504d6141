#pragma once

#include <QString>

// The desktop drivers' SQL needs AS before a column alias: "SELECT Mobile No FROM T" is
// a syntax error there, where SQLite would quietly read Mobile under the name No. The
// import relies on the error (a typed column name with a blank must fail), so the
// select list is checked before SQLite sees the statement.
namespace SelectList {

// The first select-list item that ends in a bare alias, or empty text when there is none.
QString implicitAlias(const QString &statement);

} // namespace SelectList
