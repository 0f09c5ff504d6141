#include "dbconnection.h"

#include "accesssource.h"
#include "common/error.h"
#include "connectionstring.h"
#include "dbengine.h"
#include "dberrors.h"
#include "spreadsheetfile.h"
#include "fileprobe.h"

#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace {

// ADO's DataTypeEnum values for the schema's DATA_TYPE.
int adoType(DbColumnKind kind)
{
    switch (kind) {
    case DbColumnKind::Number: return 5;    // adDouble
    case DbColumnKind::Boolean: return 11;  // adBoolean
    case DbColumnKind::Binary: return 205;  // adLongVarBinary
    case DbColumnKind::Date: return 7;      // adDate
    default: return 202;                    // adVarWChar
    }
}

QString restriction(const QStringList &restrictions, int index)
{
    return index < restrictions.size() ? restrictions.at(index) : QString();
}

bool matches(const QString &wanted, const std::string &name, const std::string &alias)
{
    return wanted.isEmpty()
        || wanted.compare(QString::fromStdString(name), Qt::CaseInsensitive) == 0
        || (!alias.empty() && wanted.compare(QString::fromStdString(alias), Qt::CaseInsensitive) == 0);
}

std::unique_ptr<DbEngine> openFile(const DbConnectionString &cs)
{
    const bool access = cs.driver == DbConnectionString::Driver::Access;
    QString sourceName = access ? DbErrors::kSourceAccess : DbErrors::kSourceExcel;
    const QFileInfo info(cs.path);
    if (!info.exists())
        throw QuilloError(DbErrors::kOpenFailed, QStringLiteral("Could not find file '%1'.").arg(cs.path),
                          sourceName);
    QFile probe(cs.path);
    if (!info.isFile() || !probe.open(QIODevice::ReadOnly))
        throw QuilloError(DbErrors::kOpenFailed,
                          QStringLiteral("The file '%1' cannot be opened for reading.").arg(cs.path), sourceName);
    probe.close();
    if (access || SpreadsheetFile::needsProbe(cs.path))
        FileProbe::requireSafe(access ? FileProbe::Reader::Access : FileProbe::Reader::Excel, cs.path, sourceName);

    std::unique_ptr<DbTableSource> source;
    if (access) {
        try {
            source = std::make_unique<AccessSource>(QFile::encodeName(cs.path).toStdString());
        } catch (const DbSourceError &e) {
            throw QuilloError(e.number(), QString::fromStdString(e.what()), sourceName);
        }
    } else {
        SpreadsheetFile::Opened opened = SpreadsheetFile::open(cs.path);
        source = std::move(opened.source);
        sourceName = opened.sourceName;
    }
    auto engine = std::make_unique<DbEngine>(std::move(source), sourceName);
    engine->setPath(cs.path);
    return engine;
}

} // namespace

DbConnection::DbConnection() = default;

DbConnection::~DbConnection() = default;

void DbConnection::setProvider(const QString &provider) { m_provider = provider; }

void DbConnection::setConnectionString(const QString &connectionString)
{
    m_connectionString = connectionString;
}

void DbConnection::open(const QString &connectionString, const QString &, const QString &)
{
    if (m_engine)
        throw QuilloError(DbErrors::kObjectOpen,
                          QStringLiteral("Operation is not allowed when the object is open."),
                          DbErrors::kSourceLayer);
    if (!connectionString.isEmpty())
        m_connectionString = connectionString;
    const QString provider = m_provider.trimmed();
    if (!provider.isEmpty() && provider.compare(QLatin1String("MSDASQL"), Qt::CaseInsensitive) != 0
        && provider.compare(QLatin1String("MSDASQL.1"), Qt::CaseInsensitive) != 0)
        throw QuilloError(DbErrors::kProviderNotFound,
                          QStringLiteral("Provider cannot be found. It may not be properly installed."),
                          DbErrors::kSourceLayer);
    m_engine = openFile(DbConnectionString::parse(m_connectionString));
}

void DbConnection::openSource(std::unique_ptr<DbTableSource> source, const QString &sourceName)
{
    if (m_engine)
        throw QuilloError(DbErrors::kObjectOpen,
                          QStringLiteral("Operation is not allowed when the object is open."),
                          DbErrors::kSourceLayer);
    m_engine = std::make_shared<DbEngine>(std::move(source), sourceName);
}

int DbConnection::state() const { return m_engine ? kDbStateOpen : kDbStateClosed; }

void DbConnection::ensureOpen() const
{
    if (!m_engine)
        throw QuilloError(DbErrors::kObjectClosed,
                          QStringLiteral("Operation is not allowed when the object is closed."),
                          DbErrors::kSourceLayer);
}

void DbConnection::close()
{
    ensureOpen();
    m_engine.reset();
}

std::unique_ptr<DbRecordset> DbConnection::execute(const QString &statement)
{
    ensureOpen();
    sqlite3_stmt *stmt = m_engine->prepare(statement);
    std::unique_ptr<DbRecordset> streamed(new DbRecordset(m_engine, stmt));
    if (m_cursorLocation == DbCursorLocation::Server)
        return streamed;
    // A client-side cursor reads the whole result first, so RecordCount is known.
    QStringList names;
    for (int i = 0; i < streamed->fieldCount(); ++i)
        names << QString::fromUtf8(sqlite3_column_name(stmt, i));
    std::vector<std::vector<QVariant>> rows;
    while (!streamed->eof()) {
        std::vector<QVariant> row;
        for (int i = 0; i < names.size(); ++i)
            row.push_back(streamed->fields(i).value());
        rows.push_back(std::move(row));
        streamed->moveNext();
    }
    return std::unique_ptr<DbRecordset>(new DbRecordset(names, std::move(rows)));
}

std::unique_ptr<DbRecordset> DbConnection::openSchema(DbSchema kind, const QStringList &restrictions)
{
    ensureOpen();
    DbTableSource &source = m_engine->source();
    const QVariant catalog = m_engine->path();
    std::vector<std::vector<QVariant>> rows;
    if (kind == DbSchema::Tables) {
        const QString table = restriction(restrictions, 2);
        const QString type = restriction(restrictions, 3);
        for (int i = 0; i < source.tableCount(); ++i) {
            const QString tableType = QString::fromStdString(source.tableType(i));
            if (!matches(table, source.tableName(i), source.tableAlias(i))
                || (!type.isEmpty() && type.compare(tableType, Qt::CaseInsensitive) != 0))
                continue;
            rows.push_back({catalog, QVariant(), QString::fromStdString(source.tableName(i)), tableType});
        }
        return std::unique_ptr<DbRecordset>(new DbRecordset(
            {QStringLiteral("TABLE_CATALOG"), QStringLiteral("TABLE_SCHEMA"), QStringLiteral("TABLE_NAME"),
             QStringLiteral("TABLE_TYPE")},
            std::move(rows)));
    }
    if (kind == DbSchema::Columns) {
        const QString table = restriction(restrictions, 2);
        const QString column = restriction(restrictions, 3);
        for (int i = 0; i < source.tableCount(); ++i) {
            if (!matches(table, source.tableName(i), source.tableAlias(i)))
                continue;
            const std::vector<DbColumnInfo> &columns = source.columns(i);
            for (size_t c = 0; c < columns.size(); ++c) {
                if (!matches(column, columns[c].name, {}))
                    continue;
                rows.push_back({catalog, QVariant(), QString::fromStdString(source.tableName(i)),
                                QString::fromStdString(columns[c].name), qlonglong(c + 1),
                                adoType(columns[c].kind), true});
            }
        }
        return std::unique_ptr<DbRecordset>(new DbRecordset(
            {QStringLiteral("TABLE_CATALOG"), QStringLiteral("TABLE_SCHEMA"), QStringLiteral("TABLE_NAME"),
             QStringLiteral("COLUMN_NAME"), QStringLiteral("ORDINAL_POSITION"), QStringLiteral("DATA_TYPE"),
             QStringLiteral("IS_NULLABLE")},
            std::move(rows)));
    }
    throw QuilloError(DbErrors::kSchemaNotSupported,
                      QStringLiteral("Object or provider is not capable of performing requested operation."),
                      DbErrors::kSourceLayer);
}
