#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

class DbEngine;
struct sqlite3_stmt;

// One field of the current row. value() is a null QVariant for an empty cell or a Null
// column; whole numbers are qlonglong (so their text is plain digits, 9812345678),
// other numbers double, text QString, booleans -1/0 as the desktop drivers gave them.
class DbField
{
public:
    DbField(QString name, QVariant value) : m_name(std::move(name)), m_value(std::move(value)) {}
    const QString &name() const { return m_name; }
    const QVariant &value() const { return m_value; }

private:
    QString m_name;
    QVariant m_value;
};

// A forward-only record set. After execute() or openSchema() it stands on the first row,
// or eof() is true at once for an empty result. Reading a field at EOF, or anything after
// close(), throws QuilloError. A statement's record set streams its rows from the source
// (recordCount() is -1) unless it was made on a client-side cursor connection.
class DbRecordset
{
public:
    ~DbRecordset();
    DbRecordset(const DbRecordset &) = delete;
    DbRecordset &operator=(const DbRecordset &) = delete;

    bool eof() const;
    DbField fields(int index) const;
    DbField fields(const QString &name) const;
    int fieldCount() const;
    void moveNext();
    // Number of rows, or -1 when the rows are streamed and not counted in advance.
    qint64 recordCount() const;
    int state() const;
    void close();

private:
    friend class DbConnection;
    // A streamed result over a prepared statement; the first row is fetched here.
    DbRecordset(std::shared_ptr<DbEngine> engine, sqlite3_stmt *statement);
    // A result held in memory (schema queries, client-side cursors).
    DbRecordset(QStringList names, std::vector<std::vector<QVariant>> rows);

    void ensureOpen() const;
    void ensureRow() const;
    void fetch();
    void finalizeStatement();

    std::shared_ptr<DbEngine> m_engine;
    sqlite3_stmt *m_statement = nullptr;
    QStringList m_names;
    std::vector<std::vector<QVariant>> m_rows;
    std::vector<QVariant> m_current;
    qint64 m_position = 0;
    bool m_streamed = false;
    bool m_eof = true;
    bool m_open = true;
};
