#pragma once

#include <QString>
#include <functional>
#include <memory>

class DbConnection;

// The lists that help the operator fill the import dialog's database panels. Each takes
// an open connection and hands every entry, in the order the database delivers them, to
// add; failures are thrown (QuilloError) for the dialog to report.
using ImportListAdder = std::function<void(const QString &)>;

// The listings' own connection on a workbook: provider "MSDASQL", the schema connection
// string, a client-side cursor so schema record counts are known.
std::unique_ptr<DbConnection> openSchemaConnection(const QString &workbookPath);

// Every worksheet that has at least one column with a non-blank name; the rest (an empty
// sheet) cannot give numbers and are left out.
void listWorksheets(DbConnection &schema, const ImportListAdder &add);

// The columns of the worksheet whose name is exactly sheet (compared after removing the
// blanks around sheet).
void listColumns(DbConnection &schema, const QString &sheet, const ImportListAdder &add);

// The text of field 0 of every row of the statement, Nulls left out.
void listValues(DbConnection &connection, const QString &statement, const ImportListAdder &add);
