#include "dbrecordset.h"

#include "common/error.h"
#include "dbconnection.h"
#include "dbengine.h"
#include "dberrors.h"

#include <sqlite3.h>

DbRecordset::DbRecordset(std::shared_ptr<DbEngine> engine, sqlite3_stmt *statement)
    : m_engine(std::move(engine)), m_statement(statement), m_streamed(true)
{
    const int n = sqlite3_column_count(statement);
    for (int i = 0; i < n; ++i)
        m_names << QString::fromUtf8(sqlite3_column_name(statement, i));
    try {
        fetch();
    } catch (...) {
        finalizeStatement();
        throw;
    }
}

DbRecordset::DbRecordset(QStringList names, std::vector<std::vector<QVariant>> rows)
    : m_names(std::move(names)), m_rows(std::move(rows))
{
    fetch();
}

DbRecordset::~DbRecordset() { finalizeStatement(); }

void DbRecordset::finalizeStatement()
{
    if (m_statement)
        sqlite3_finalize(m_statement);
    m_statement = nullptr;
}

void DbRecordset::fetch()
{
    if (m_streamed) {
        m_eof = !m_statement || !m_engine->step(m_statement);
        m_current.clear();
        if (!m_eof) {
            for (int i = 0; i < m_names.size(); ++i)
                m_current.push_back(DbEngine::value(m_statement, i));
        } else {
            finalizeStatement(); // the rows are done; let the source go as early as possible
        }
        return;
    }
    m_eof = m_position >= qint64(m_rows.size());
    m_current = m_eof ? std::vector<QVariant>() : m_rows[size_t(m_position)];
}

void DbRecordset::ensureOpen() const
{
    if (!m_open)
        throw QuilloError(DbErrors::kObjectClosed,
                          QStringLiteral("Operation is not allowed when the object is closed."),
                          DbErrors::kSourceLayer);
}

void DbRecordset::ensureRow() const
{
    ensureOpen();
    if (m_eof)
        throw QuilloError(DbErrors::kNoCurrentRecord,
                          QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."),
                          DbErrors::kSourceLayer);
}

bool DbRecordset::eof() const
{
    ensureOpen();
    return m_eof;
}

DbField DbRecordset::fields(int index) const
{
    ensureRow();
    if (index < 0 || index >= m_names.size())
        throw QuilloError(DbErrors::kItemNotFound,
                          QStringLiteral("Item cannot be found in the collection corresponding to the "
                                         "requested name or ordinal."),
                          DbErrors::kSourceLayer);
    return DbField(m_names.at(index), m_current[size_t(index)]);
}

DbField DbRecordset::fields(const QString &name) const
{
    ensureOpen();
    for (int i = 0; i < m_names.size(); ++i)
        if (m_names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return fields(i);
    return fields(-1);
}

int DbRecordset::fieldCount() const
{
    ensureOpen();
    return int(m_names.size());
}

void DbRecordset::moveNext()
{
    ensureRow();
    ++m_position;
    fetch();
}

qint64 DbRecordset::recordCount() const
{
    ensureOpen();
    return m_streamed ? -1 : qint64(m_rows.size());
}

int DbRecordset::state() const { return m_open ? kDbStateOpen : kDbStateClosed; }

void DbRecordset::close()
{
    ensureOpen();
    finalizeStatement();
    m_engine.reset();
    m_rows.clear();
    m_current.clear();
    m_open = false;
    m_eof = true;
}
