#pragma once

// The seam between the file readers and the SQL engine. Kept free of Qt because the
// Access reader includes libmdb, whose glib headers clash with Qt's keywords.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// A failure inside a reader; the engine turns it into a QuilloError with the reader's
// source name. number is one of the DbErrors constants.
class DbSourceError : public std::runtime_error
{
public:
    DbSourceError(std::int32_t number, const std::string &description)
        : std::runtime_error(description), m_number(number)
    {
    }
    std::int32_t number() const { return m_number; }

private:
    std::int32_t m_number;
};

// How a column compares: numbers numerically (so Age > '30' and Age > 30 agree), dates
// as dates (a date column's cells are text "YYYY-MM-DD[ HH:MM:SS]"), text
// case-insensitively as the desktop drivers did.
enum class DbColumnKind { Text, Number, Boolean, Binary, Date };

struct DbColumnInfo
{
    std::string name;
    DbColumnKind kind = DbColumnKind::Text;
};

// One cell as the reader delivers it; text is UTF-8.
struct DbCell
{
    enum class Type { Null, Integer, Real, Text };
    Type type = Type::Null;
    std::int64_t integer = 0;
    double real = 0.0;
    std::string text;

    void setNull() { type = Type::Null; text.clear(); }
    void setInteger(std::int64_t v) { type = Type::Integer; integer = v; }
    void setReal(double v) { type = Type::Real; real = v; }
    void setText(std::string v) { type = Type::Text; text = std::move(v); }
};

// Reads one table's rows in file order, one at a time.
class DbRowCursor
{
public:
    virtual ~DbRowCursor() = default;
    // Moves to the next row; false at the end. Throws DbSourceError on a damaged row.
    virtual bool next() = 0;
    // The current row's value of a column (an index into the table's columns).
    virtual const DbCell &cell(int column) = 0;
};

// A read-only source of tables: an Access database or an Excel workbook.
class DbTableSource
{
public:
    virtual ~DbTableSource() = default;
    virtual int tableCount() const = 0;
    // The name the schema reports and statements use (a worksheet carries a '$').
    virtual std::string tableName(int table) const = 0;
    // Another name statements may use for the same table, or empty.
    virtual std::string tableAlias(int /*table*/) const { return {}; }
    virtual std::string tableType(int /*table*/) const { return "TABLE"; }
    virtual const std::vector<DbColumnInfo> &columns(int table) = 0;
    // columnsUsed: bit n set when column n is read (bit 63 stands for every column from
    // 63 on); a reader may leave the others unconverted. ~0 reads all.
    virtual std::unique_ptr<DbRowCursor> openCursor(int table, std::uint64_t columnsUsed = ~std::uint64_t(0)) = 0;
};

// Formats a double as the desktop drivers showed numbers: whole values as plain digits
// (9812345678, never 9.812345678E+09), others with up to 15 significant digits.
std::string dbFormatNumber(double value);
// True when the double holds a whole number an int64 represents exactly.
bool dbIsWholeNumber(double value);
