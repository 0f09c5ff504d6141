#pragma once

#include "dbsource.h"
#include "sourcemodule.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// An in-memory SQLite database whose only tables are the source's, as read-only virtual
// tables. Statements are limited to one read-only SELECT: an authorizer refuses anything
// that writes, attaches a file or changes a setting, so no statement text can reach a
// file on disk. Shared by a connection and the record sets it handed out.
class DbEngine
{
public:
    // Takes the source; sourceName is the error source for reader failures.
    DbEngine(std::unique_ptr<DbTableSource> source, QString sourceName);
    ~DbEngine();
    DbEngine(const DbEngine &) = delete;
    DbEngine &operator=(const DbEngine &) = delete;

    DbTableSource &source() { return *m_source; }
    const QString &path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }

    // Throws QuilloError(kStatementFailed) when SQLite rejects the text.
    sqlite3_stmt *prepare(const QString &statement);
    // Steps to the next row; false at the end. Throws QuilloError on a failure.
    bool step(sqlite3_stmt *statement);
    static QVariant value(sqlite3_stmt *statement, int column);

private:
    [[noreturn]] void failFromSqlite(qint32 number);

    std::unique_ptr<DbTableSource> m_source;
    QString m_sourceName;
    QString m_path;
    SourceModuleContext m_context;
    QStringList m_names; // every table and column name, for matching names' case
    QHash<QString, DbColumnKind> m_kinds; // case-folded column name: kind, where the tables agree
    sqlite3 *m_db = nullptr;
};
