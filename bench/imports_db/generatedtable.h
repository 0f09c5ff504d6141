#pragma once

// A generated table for the import benchmarks: ID (1, 2, ...), PHONE (distinct numbers
// 9800000000, 9800000007, ...) and CITY (ten cities in turn), streamed row by row through
// the same engine an Access or Excel source uses.

#include "db/dbsource.h"

#include <memory>
#include <string>
#include <vector>

class GeneratedTable : public DbTableSource
{
public:
    GeneratedTable(int rows, std::string name) : m_rows(rows), m_name(std::move(name)) {}
    int tableCount() const override { return 1; }
    std::string tableName(int) const override { return m_name; }
    const std::vector<DbColumnInfo> &columns(int) override { return m_columns; }
    std::unique_ptr<DbRowCursor> openCursor(int, std::uint64_t) override { return std::make_unique<Cursor>(m_rows); }

private:
    class Cursor : public DbRowCursor
    {
    public:
        explicit Cursor(int rows) : m_rows(rows) {}
        bool next() override { return ++m_row < m_rows; }
        const DbCell &cell(int column) override
        {
            static const char *const kCities[] = {"Pune", "Delhi", "Chennai", "Mumbai", "Goa",
                                                   "Kolkata", "Panaji", "Hyderabad", "Agra", "Surat"};
            if (column == 0)
                m_cell.setInteger(m_row + 1);
            else if (column == 1)
                m_cell.setText(std::to_string(9800000000LL + 7LL * m_row));
            else
                m_cell.setText(kCities[m_row % 10]);
            return m_cell;
        }

    private:
        int m_rows;
        int m_row = -1;
        DbCell m_cell;
    };

    int m_rows;
    std::string m_name;
    std::vector<DbColumnInfo> m_columns = {{"ID", DbColumnKind::Number},
                                           {"PHONE", DbColumnKind::Text},
                                           {"CITY", DbColumnKind::Text}};
};
