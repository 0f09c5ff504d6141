#pragma once

#include "dbsource.h"

#include <QFile>
#include <QString>
#include <memory>

// A comma-separated values file (RFC 4180) as one worksheet named after the file's base
// name ("phones.csv" is "phones$", also "phones"). Fields may be quoted, with "" for a
// quote and line breaks inside; records end in CRLF or LF. The separator is a comma, or
// a semicolon when the first line holds more of those (as locales with a decimal comma
// write it). Text is UTF-8, with or without a byte order mark, or else Windows-1252. The
// first record names the columns as a worksheet's first row does (worksheetcolumns.h).
// An unquoted field of plain decimal digits (an optional minus, no leading zero, an
// optional fraction) is a number; everything else is text, so 09812345681 and
// +919812345682 keep their digits. A column of "YYYY-MM-DD[ HH:MM[:SS]]" texts is a date
// column. An empty field is Null.
//
// The file is mapped and read twice: once at open to name and type the columns, then
// again by each cursor, so memory stays flat however many rows it holds.
class CsvSource : public DbTableSource
{
public:
    // Throws DbSourceError (kOpenFailed) naming the file when it cannot be read.
    explicit CsvSource(const QString &path);
    ~CsvSource() override;

    int tableCount() const override { return 1; }
    std::string tableName(int table) const override;
    std::string tableAlias(int table) const override;
    std::string tableType(int) const override { return "SYSTEM TABLE"; }
    const std::vector<DbColumnInfo> &columns(int table) override;
    std::unique_ptr<DbRowCursor> openCursor(int table, std::uint64_t columnsUsed) override;

    // One field as the cursor delivers it; public for the cursor and the tests.
    struct Field
    {
        const char *begin = nullptr;
        std::size_t size = 0;
        bool quoted = false;
    };
    // Splits the record at position into fields; returns where the next record starts.
    static const char *readRecord(const char *position, const char *end, char separator, std::vector<Field> &fields);
    static void toCell(const Field &field, bool utf8, DbCell &cell);

private:
    QFile m_file;
    const char *m_begin = nullptr;
    const char *m_end = nullptr;
    const char *m_firstRow = nullptr; // after the heading record
    char m_separator = ',';
    bool m_utf8 = true;
    std::string m_name;
    std::vector<DbColumnInfo> m_columns;
};
