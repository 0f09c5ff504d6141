#pragma once

#include "dbsource.h"
#include "worksheetcolumns.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A worksheet's cells held compactly (16 bytes a cell, texts by index into the
// workbook's string list), for readers that hand over a whole document at once rather
// than letting a row be read where it lies (liborcus). Cells may arrive in any order; a
// cell set twice keeps its last value.
class SheetGrid
{
public:
    enum class Kind : std::uint8_t { Number, Text, Date };

    // Rows and columns beyond these are dropped: they are Excel's own limits, and they
    // keep a document that claims a million repeated columns from filling the memory.
    static constexpr std::uint32_t kMaxRows = 1048576;
    static constexpr std::uint32_t kMaxColumns = 16384;

    void setNumber(std::uint32_t row, std::uint32_t column, double value);
    void setDate(std::uint32_t row, std::uint32_t column, double serial);
    void setText(std::uint32_t row, std::uint32_t column, std::uint32_t text);
    // Copies one cell down to the rows below it (a row repeated in the file).
    void fillDown(std::uint32_t row, std::uint32_t column, std::uint32_t count);
    // Gives a cell its cell format (xf); called in any order with the cells, and before
    // the formats themselves are known (.xlsx keeps them in styles.xml, read later).
    void setFormat(std::uint32_t row, std::uint32_t column, std::uint32_t format);
    // The same for a block of cells (a styled row or column), kept as the block.
    void setFormat(std::uint32_t firstRow, std::uint32_t firstColumn, std::uint32_t lastRow,
                   std::uint32_t lastColumn, std::uint32_t format);

    // Sorts the cells into rows, turns numbers whose format shows dates into dates and
    // names the columns; no cell is set afterwards.
    void finish(const std::vector<std::string> &texts, int dateOriginOffset,
                const std::function<bool(std::uint32_t)> &isDateFormat);

    std::uint32_t rowCount() const { return std::uint32_t(m_rowStart.empty() ? 0 : m_rowStart.size() - 1); }
    const std::vector<DbColumnInfo> &columns() const { return m_columns; }
    // One row's cells as the reader delivers them (row 0 is the heading row).
    void readRow(std::uint32_t row, std::vector<DbCell> &cells, const std::vector<std::string> &texts) const;

private:
    struct Cell
    {
        union {
            double number;
            std::uint32_t text;
        };
        std::uint32_t row;
        std::uint16_t column;
        Kind kind;
    };
    struct Format
    {
        std::uint32_t row;
        std::uint32_t column;
        std::uint32_t format;
    };
    void add(std::uint32_t row, std::uint32_t column, Kind kind, double number, std::uint32_t text);
    void toCell(const Cell &stored, DbCell &cell, const std::vector<std::string> &texts) const;

    std::vector<Cell> m_cells;
    struct Block
    {
        std::uint32_t firstRow, firstColumn, lastRow, lastColumn, format;
    };
    std::vector<Format> m_formats;
    std::vector<Block> m_blocks;
    std::vector<std::uint32_t> m_rowStart; // the first cell of each row, then the end
    std::vector<DbColumnInfo> m_columns;
    int m_dateOrigin = 0; // days from 1899-12-30 to the workbook's day 0
};

// The text of a spreadsheet date serial (days since 1899-12-30): "YYYY-MM-DD" for whole
// days, "HH:MM:SS" for a time alone, else both, as FreeXL gives .xls dates.
std::string dbFormatDateSerial(double serial);
