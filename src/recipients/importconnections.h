#pragma once

#include <QString>
#include <memory>

class DbConnection;

// "DRIVER=MICROSOFT ACCESS DRIVER (*.MDB);DBQ=<path>;" with the path exactly as typed.
QString accessConnectionString(const QString &path);
// "DRIVER=MICROSOFT EXCEL DRIVER (*.XLS);DBQ=<path>;"
QString excelConnectionString(const QString &path);
// The listings' connection: "Driver={Microsoft Excel Driver (*.xls)};DBQ=<path>; "
QString schemaConnectionString(const QString &path);

// The application-wide database connections of the imports. They outlive one import
// dialog: an import releases its connection at its end, a value listing leaves it closed,
// and the application's exit closes whatever is still open.
class ImportConnections
{
public:
    ImportConnections();
    ~ImportConnections();
    ImportConnections(const ImportConnections &) = delete;
    ImportConnections &operator=(const ImportConnections &) = delete;

    // Builds and remembers the connection string, creates the connection when there is
    // none, closes it when it is open, and opens it on the path. Failures are thrown.
    bool OpenAccessConnection(const QString &path);
    bool OpenExcelConnection(const QString &path);

    // The connection objects; null when released (or never made).
    DbConnection *AccessConnection() const { return m_access.get(); }
    DbConnection *ExcelConnection() const { return m_excel.get(); }
    const QString &AccessConnectionString() const { return m_accessString; }
    const QString &ExcelConnectionString() const { return m_excelString; }

    // Closes the connection when open and releases it; failures are ignored (clean-up).
    void releaseAccess();
    void releaseExcel();
    // Closes without releasing (the value listings leave it so); failures are ignored.
    static void closeQuietly(DbConnection *connection);
    // At application exit: the Access connection, then the Excel one, closed when open.
    void closeAtExit();

private:
    static void open(std::unique_ptr<DbConnection> &connection, const QString &connectionString);

    std::unique_ptr<DbConnection> m_access;
    std::unique_ptr<DbConnection> m_excel;
    QString m_accessString;
    QString m_excelString;
};
