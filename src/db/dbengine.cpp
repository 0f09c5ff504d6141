#include "dbengine.h"

#include "common/error.h"
#include "dberrors.h"
#include "statementtext.h"
#include "typedcomparisons.h"

#include <QSet>

#include <sqlite3.h>

namespace {

// Only reading is allowed once the tables exist.
int authorize(void *, int action, const char *, const char *, const char *, const char *)
{
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    default:
        return SQLITE_DENY;
    }
}

QString quotedName(const std::string &name)
{
    QString q = QString::fromStdString(name);
    q.replace(u'"', QLatin1String("\"\""));
    return u'"' + q + u'"';
}

} // namespace

DbEngine::DbEngine(std::unique_ptr<DbTableSource> source, QString sourceName)
    : m_source(std::move(source)), m_sourceName(std::move(sourceName))
{
    m_context.source = m_source.get();
    auto fail = [this](const QString &what) {
        const QString message = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
        if (m_db)
            sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw QuilloError(DbErrors::kOpenFailed, what + QStringLiteral(": ") + message,
                          DbErrors::kSourceEngine);
    };
    if (sqlite3_open_v2(":memory:", &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_MEMORY, nullptr) != SQLITE_OK)
        fail(QStringLiteral("The SQL engine could not start"));
    // DISTINCT and ORDER BY sort in memory rather than in temporary files.
    sqlite3_exec(m_db, "PRAGMA temp_store=MEMORY", nullptr, nullptr, nullptr);
    sqlite3_limit(m_db, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    if (SourceModule::install(m_db, &m_context) != SQLITE_OK)
        fail(QStringLiteral("The SQL engine could not start"));

    QSet<QString> disputed;
    for (int i = 0; i < m_source->tableCount(); ++i) {
        for (const DbColumnInfo &column : m_source->columns(i)) {
            m_names << QString::fromStdString(column.name);
            const QString key = QString::fromStdString(column.name).toCaseFolded();
            if (m_kinds.contains(key) && m_kinds.value(key) != column.kind)
                disputed.insert(key);
            m_kinds.insert(key, column.kind);
        }
        for (const std::string &name : {m_source->tableName(i), m_source->tableAlias(i)}) {
            if (name.empty())
                continue;
            m_names << QString::fromStdString(name);
            const QByteArray sql = (QStringLiteral("CREATE VIRTUAL TABLE ") + quotedName(name)
                                    + QStringLiteral(" USING quillo_source(%1)").arg(i))
                                       .toUtf8();
            // A name SQLite reserves, or an alias equal to another sheet's name, is
            // left out; the table stays listed and its other name still works.
            sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, nullptr);
            m_context.pendingError.reset();
        }
    }
    // A name that is a number in one table and text in another is left to SQLite.
    for (const QString &key : disputed)
        m_kinds.remove(key);
    sqlite3_set_authorizer(m_db, authorize, nullptr);
}

DbEngine::~DbEngine()
{
    if (m_db)
        sqlite3_close_v2(m_db);
}

void DbEngine::failFromSqlite(qint32 number)
{
    if (m_context.pendingError) {
        const DbSourceError error = *m_context.pendingError;
        m_context.pendingError.reset();
        throw QuilloError(error.number(), QString::fromStdString(error.what()), m_sourceName);
    }
    throw QuilloError(number, QString::fromUtf8(sqlite3_errmsg(m_db)), DbErrors::kSourceEngine);
}

sqlite3_stmt *DbEngine::prepare(const QString &statement)
{
    const QString alias = StatementText::implicitAlias(statement);
    if (!alias.isEmpty())
        throw QuilloError(DbErrors::kStatementFailed,
                          QStringLiteral("Syntax error (missing operator) in query expression '%1'.").arg(alias),
                          DbErrors::kSourceEngine);
    const TypedComparisons::Rewritten typed = TypedComparisons::rewrite(statement, m_kinds);
    if (!typed.mismatch.isEmpty())
        throw QuilloError(DbErrors::kTypeMismatch,
                          QStringLiteral("Data type mismatch in criteria expression (%1).").arg(typed.mismatch),
                          DbErrors::kSourceEngine);
    const QByteArray sql = StatementText::matchNameCase(typed.statement, m_names).toUtf8();
    sqlite3_stmt *stmt = nullptr;
    const char *tail = nullptr;
    m_context.pendingError.reset();
    if (sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &stmt, &tail) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        failFromSqlite(DbErrors::kStatementFailed);
    }
    if (!stmt)
        throw QuilloError(DbErrors::kStatementFailed,
                          QStringLiteral("Invalid SQL statement; expected 'SELECT'."), DbErrors::kSourceEngine);
    const QByteArray rest = QByteArray(tail).trimmed();
    if (!rest.isEmpty() && rest != ";") {
        sqlite3_finalize(stmt);
        throw QuilloError(DbErrors::kStatementFailed,
                          QStringLiteral("Characters found after end of SQL statement."),
                          DbErrors::kSourceEngine);
    }
    if (!sqlite3_stmt_readonly(stmt)) {
        sqlite3_finalize(stmt);
        throw QuilloError(DbErrors::kStatementFailed,
                          QStringLiteral("Operation must use an updateable query: the source is read only."),
                          DbErrors::kSourceEngine);
    }
    return stmt;
}

bool DbEngine::step(sqlite3_stmt *statement)
{
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    failFromSqlite(DbErrors::kReadFailed);
}

QVariant DbEngine::value(sqlite3_stmt *statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement, column));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, column)),
                                          sqlite3_column_bytes(statement, column)));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(statement, column)),
                                   sqlite3_column_bytes(statement, column)));
    default:
        return QVariant();
    }
}
