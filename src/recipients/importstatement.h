#pragma once

#include "common/text.h"

#include <QString>
#include <QStringList>

// The statements the database imports run, built from the import dialog's boxes exactly as
// operators' saved queries and support notes expect them. Pure text work, no database.

enum class ImportSource { Access, Excel };

// What the operator entered for one database import (each box's text as it stands).
struct ImportRequest
{
    QString path;         // txtAccess / txtExcel
    QString table;        // txtAccessT / cboTable
    QString numberColumn; // txtAccessM / cboField
    QString filterColumn; // txtFilterFieldAc / cboFilterFieldEx
    QString condition;    // cboFilterCondAc / cboFilterCondEx
    QString filterValue;  // cboFilterValueAc / cboFilterValueEx
    // "Bring the other columns along": each number keeps its row's other values.
    bool withFields = false;
};

// The statement to run and, for comparisons, the same comparison with the value unquoted,
// tried when the driver rejects the first (a number column compared with a quoted value).
struct ImportStatement
{
    QString statement;
    QString fallback; // empty: no second try
};

// The entries of both condition lists, in their order; the first is the empty entry.
QStringList importConditionEntries();

// "equals" -> "=", "does not equal" -> "<>", ... ; the empty entry, the pattern entries
// and any other text give empty text.
QString ConditionOperator(const QString &condition);

// The query for the request. Access: "SELECT distinct M FROM T" in upper case; Excel:
// "SELECT M FROM [T]"; then the filter when both its column and its condition are given.
// With the other columns brought along the number stays field 0 and every column follows
// it: "SELECT M, * FROM ..." (Access without distinct: rows that share a number differ in
// their other values, and the import keeps the first).
// Names and values go in as typed (a quote in a value is not doubled).
ImportStatement buildImportStatement(ImportSource source, const ImportRequest &request);

// True when the filter takes part: its column and its condition are both non-blank.
bool isFilterActive(const ImportRequest &request);

// The refusal message for boxes that cannot make an import, or empty text when the request
// may run; the first refusal in the documented order wins.
QString validateImportRequest(ImportSource source, const ImportRequest &request);

// The value-list statements: the distinct values of the filter column, sorted by it.
QString excelValueListStatement(const QString &column, const QString &sheet);
QString accessValueListStatement(const QString &column, const QString &table);

// A phone list file's content split at each line end, CR LF or LF. A lone CR stays inside
// its piece; a content ending in a line end gives an empty last piece; an empty content no piece.
QStringList splitPhoneListLines(const QString &content);
