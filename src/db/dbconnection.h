#pragma once

#include "dbrecordset.h"

#include <QString>
#include <QStringList>
#include <memory>

class DbEngine;
class DbTableSource;

// Where record sets are built: on the source as rows are asked for (the default, a
// forward-only stream), or on the client, which reads the whole result first so that
// RecordCount is known. Values are those of ADO's CursorLocationEnum.
enum class DbCursorLocation { Server = 2, Client = 3 };

// Schema kinds, with ADO's SchemaEnum values (adSchemaTables, adSchemaColumns).
enum class DbSchema { Columns = 4, Tables = 20 };

// Object states, with ADO's ObjectStateEnum values.
constexpr int kDbStateClosed = 0;
constexpr int kDbStateOpen = 1;

// A read-only connection to an Access database (.mdb, .accdb, through libmdb) or a
// spreadsheet through the Excel driver: .xls (BIFF5/BIFF8, FreeXL), .xlsx, .xlsm and .ods
// (liborcus) or .csv (see spreadsheetfile.h; the content picks the reader). Statements are run by an in-memory SQLite
// engine that sees the source's tables (worksheets) as read-only virtual tables, so no
// statement can change the file. The file is opened for reading only and never locked.
//
// Connection strings, as the import builds them:
//   DRIVER=MICROSOFT ACCESS DRIVER (*.MDB);DBQ=/path/phones.mdb;
//   DRIVER=MICROSOFT EXCEL DRIVER (*.XLS);DBQ=/path/phones.xls;
//   Driver={Microsoft Excel Driver (*.xls)};DBQ=/path/phones.xls;   (provider "MSDASQL")
// Keys and driver names are case-insensitive; the DBQ value is the path exactly as given.
//
// Usage, reading like the import code:
//   DbConnection conn;
//   conn.open("DRIVER=MICROSOFT EXCEL DRIVER (*.XLS);DBQ=" + path + ";");
//   auto rs = conn.execute("SELECT Mobile FROM [Contacts$] WHERE City like 'p%'");
//   while (!rs->eof()) { QVariant v = rs->fields(0).value(); ...; rs->moveNext(); }
//   rs->close(); conn.close();
//
//   DbConnection schema;                       // the worksheet listing
//   schema.setProvider("MSDASQL");
//   schema.setConnectionString(cs);
//   schema.setCursorLocation(DbCursorLocation::Client);
//   schema.open();
//   auto tables = schema.openSchema(DbSchema::Tables);
//   ... tables->recordCount(), tables->fields("TABLE_NAME").value() ...
//   auto cols = schema.openSchema(DbSchema::Columns, {{}, {}, tableName, {}});
//
// Excel worksheets are reported as TABLE_NAME "Sheet$" (as the desktop driver names
// them; a .csv file is one worksheet named after the file); statements may name a
// worksheet as [Sheet$] or [Sheet]. The first row holds the column names; a blank
// heading becomes F1, F2, ... by its column position.
//
// Errors: every failure throws QuilloError with a non-zero number (see dberrors.h), a
// description and the driver or engine as source. A failed open leaves the connection
// closed; a failed statement leaves it open and unchanged.
class DbConnection
{
public:
    DbConnection();
    ~DbConnection();
    DbConnection(const DbConnection &) = delete;
    DbConnection &operator=(const DbConnection &) = delete;

    // Only "MSDASQL" (the ODBC provider, also the default) is known; checked on open.
    void setProvider(const QString &provider);
    QString provider() const { return m_provider; }
    void setConnectionString(const QString &connectionString);
    QString connectionString() const { return m_connectionString; }
    void setCursorLocation(DbCursorLocation location) { m_cursorLocation = location; }
    DbCursorLocation cursorLocation() const { return m_cursorLocation; }

    // Opens with the given string, or with connectionString() when it is empty. The
    // user name and password are accepted as the desktop drivers accept them: unused.
    // Opening an open connection is an error, as it was with the desktop layer.
    void open(const QString &connectionString = QString(), const QString &userId = QString(),
              const QString &password = QString());
    // Opens over tables supplied in process instead of a file (benchmarks and tests of
    // the engine with generated tables); sourceName is the source of reader failures.
    void openSource(std::unique_ptr<DbTableSource> source, const QString &sourceName);
    // kDbStateOpen or kDbStateClosed.
    int state() const;
    // Closes the source; record sets still open keep reading from it until they close.
    void close();

    // Runs one statement; the record set is positioned on the first row.
    std::unique_ptr<DbRecordset> execute(const QString &statement);
    // Tables: one row per table or worksheet (TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME,
    // TABLE_TYPE). Columns: one row per column (TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME,
    // COLUMN_NAME, ORDINAL_POSITION, DATA_TYPE, IS_NULLABLE), restricted by
    // {catalog, schema, table, column}; an empty restriction matches everything.
    // Schema record sets always know their RecordCount.
    std::unique_ptr<DbRecordset> openSchema(DbSchema kind,
                                            const QStringList &restrictions = QStringList());

private:
    void ensureOpen() const;

    QString m_provider = QStringLiteral("MSDASQL");
    QString m_connectionString;
    DbCursorLocation m_cursorLocation = DbCursorLocation::Server;
    std::shared_ptr<DbEngine> m_engine;
};
