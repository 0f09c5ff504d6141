#include "importconnections.h"

#include "common/error.h"
#include "db/dbconnection.h"

QString accessConnectionString(const QString &path)
{
    return QStringLiteral("DRIVER=MICROSOFT ACCESS DRIVER (*.MDB);DBQ=") + path + QLatin1Char(';');
}

QString excelConnectionString(const QString &path)
{
    return QStringLiteral("DRIVER=MICROSOFT EXCEL DRIVER (*.XLS);DBQ=") + path + QLatin1Char(';');
}

QString schemaConnectionString(const QString &path)
{
    return QStringLiteral("Driver={Microsoft Excel Driver (*.xls)};DBQ=") + path + QStringLiteral("; ");
}

ImportConnections::ImportConnections() = default;
ImportConnections::~ImportConnections()
{
    closeAtExit();
}

void ImportConnections::open(std::unique_ptr<DbConnection> &connection, const QString &connectionString)
{
    if (!connection)
        connection = std::make_unique<DbConnection>();
    // A connection left open by an earlier listing is reopened on the current path.
    if (connection->state() == kDbStateOpen)
        connection->close();
    connection->open(connectionString, QString(), QString());
}

bool ImportConnections::OpenAccessConnection(const QString &path)
{
    m_accessString = accessConnectionString(path);
    open(m_access, m_accessString);
    return true;
}

bool ImportConnections::OpenExcelConnection(const QString &path)
{
    m_excelString = excelConnectionString(path);
    open(m_excel, m_excelString);
    return true;
}

void ImportConnections::closeQuietly(DbConnection *connection)
{
    if (!connection)
        return;
    try {
        if (connection->state() == kDbStateOpen)
            connection->close();
    } catch (...) {
        noteIgnoredError("closing an import connection");
    }
}

void ImportConnections::releaseAccess()
{
    closeQuietly(m_access.get());
    m_access.reset();
}

void ImportConnections::releaseExcel()
{
    closeQuietly(m_excel.get());
    m_excel.reset();
}

void ImportConnections::closeAtExit()
{
    closeQuietly(m_access.get());
    closeQuietly(m_excel.get());
}
