#pragma once

#include "importstatement.h"

#include <memory>

class DbConnection;
class DbRecordset;
class Dialogs;
class ImportIntake;
class ImportList;
class ImportConnections;

// The Access and Excel imports behind the dialog's Import button (ImportFromAccess,
// ImportFromExcel): validate the boxes, open the source's connection, run the statement
// (or its unquoted fallback), pass field 0 of every row through the intake, and close
// with the source's message. Every outcome is told through dialogs; nothing is thrown.
void importDatabase(ImportSource source, const ImportRequest &request, bool append, Dialogs &dialogs,
                    ImportList &list, ImportConnections &connections);

class QVariant;
// A field value as the imports and value lists read it: whole numbers as plain digits.
QString importValueText(const QVariant &value);

// The steps of an import between the open connection and the closing message, for the
// benchmark and for callers with a connection of their own: the statement, or its
// fallback when the driver rejects it; then field 0 of every row through the intake, with
// the row's other columns when numberColumn is given (the statement brought them along).
std::unique_ptr<DbRecordset> runImportStatement(DbConnection &connection, const ImportStatement &statement);
void takeRecords(DbRecordset &records, ImportSource source, ImportIntake &intake,
                 const QString &numberColumn = QString());
