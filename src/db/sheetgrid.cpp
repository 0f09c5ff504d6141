#include "sheetgrid.h"

#include <QDate>
#include <algorithm>
#include <cmath>
#include <cstdio>

std::string dbFormatDateSerial(double serial)
{
    if (!std::isfinite(serial) || serial < -693593 || serial > 2958465) // year 1 to 9999
        return dbFormatNumber(serial);
    double days = std::floor(serial);
    long long seconds = std::llround((serial - days) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        days += 1;
    }
    const QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(days));
    char text[32];
    const int h = int(seconds / 3600), m = int(seconds / 60 % 60), s = int(seconds % 60);
    if (days == 0 && seconds != 0)
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", h, m, s);
    else if (seconds == 0)
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year(), date.month(), date.day());
    else
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", date.year(), date.month(), date.day(), h,
                      m, s);
    return text;
}

void SheetGrid::add(std::uint32_t row, std::uint32_t column, Kind kind, double number, std::uint32_t text)
{
    if (row >= kMaxRows || column >= kMaxColumns)
        return;
    Cell cell;
    if (kind == Kind::Text)
        cell.text = text;
    else
        cell.number = number;
    cell.row = row;
    cell.column = std::uint16_t(column);
    cell.kind = kind;
    m_cells.push_back(cell);
}

void SheetGrid::setNumber(std::uint32_t row, std::uint32_t column, double value)
{
    add(row, column, Kind::Number, value, 0);
}

void SheetGrid::setDate(std::uint32_t row, std::uint32_t column, double serial)
{
    add(row, column, Kind::Date, serial, 0);
}

void SheetGrid::setText(std::uint32_t row, std::uint32_t column, std::uint32_t text)
{
    add(row, column, Kind::Text, 0, text);
}

void SheetGrid::setFormat(std::uint32_t row, std::uint32_t column, std::uint32_t format)
{
    if (row < kMaxRows && column < kMaxColumns)
        m_formats.push_back({row, column, format});
}

void SheetGrid::setFormat(std::uint32_t firstRow, std::uint32_t firstColumn, std::uint32_t lastRow,
                          std::uint32_t lastColumn, std::uint32_t format)
{
    // Each cell is checked against every date block at the end; a file that styles
    // more blocks than this loses their dates (numbers show), not its rows.
    constexpr std::size_t kMaxBlocks = 4096;
    if (m_blocks.size() < kMaxBlocks && firstRow <= lastRow && firstColumn <= lastColumn)
        m_blocks.push_back({firstRow, firstColumn, lastRow, lastColumn, format});
}

void SheetGrid::fillDown(std::uint32_t row, std::uint32_t column, std::uint32_t count)
{
    // The cell to copy was set just before; look back a little for it.
    const std::size_t lookBack = std::min<std::size_t>(m_cells.size(), kMaxColumns);
    for (std::size_t i = m_cells.size(); i > m_cells.size() - lookBack; --i) {
        const Cell source = m_cells[i - 1];
        if (source.row != row || source.column != column)
            continue;
        const std::uint32_t last = std::min<std::uint64_t>(std::uint64_t(row) + count, kMaxRows - 1);
        for (std::uint32_t r = row + 1; r <= last; ++r) {
            Cell copy = source;
            copy.row = r;
            m_cells.push_back(copy);
        }
        return;
    }
}

void SheetGrid::finish(const std::vector<std::string> &texts, int dateOriginOffset,
                       const std::function<bool(std::uint32_t)> &isDateFormat)
{
    m_dateOrigin = dateOriginOffset;
    auto before = [](const Cell &a, const Cell &b) { return a.row != b.row ? a.row < b.row : a.column < b.column; };
    if (!std::is_sorted(m_cells.begin(), m_cells.end(), before))
        std::stable_sort(m_cells.begin(), m_cells.end(), before);
    // A cell written twice keeps the later value, which the stable sort left last.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_cells.size(); ++i) {
        if (kept > 0 && m_cells[kept - 1].row == m_cells[i].row && m_cells[kept - 1].column == m_cells[i].column)
            --kept;
        m_cells[kept++] = m_cells[i];
    }
    m_cells.resize(kept);
    m_cells.shrink_to_fit();

    // The last format given to a cell holds, as the last value does.
    std::stable_sort(m_formats.begin(), m_formats.end(),
                     [](Format a, Format b) { return a.row != b.row ? a.row < b.row : a.column < b.column; });
    std::vector<Block> dateBlocks;
    for (const Block &block : m_blocks)
        if (isDateFormat(block.format))
            dateBlocks.push_back(block);
    m_blocks = {};
    std::size_t f = 0;
    for (Cell &cell : m_cells) {
        for (const Block &b : dateBlocks)
            if (cell.kind == Kind::Number && cell.row >= b.firstRow && cell.row <= b.lastRow
                && cell.column >= b.firstColumn && cell.column <= b.lastColumn)
                cell.kind = Kind::Date;
        while (f < m_formats.size()
               && (m_formats[f].row < cell.row || (m_formats[f].row == cell.row && m_formats[f].column < cell.column)))
            ++f;
        std::size_t last = f;
        while (last + 1 < m_formats.size() && m_formats[last + 1].row == cell.row
               && m_formats[last + 1].column == cell.column)
            ++last;
        if (f < m_formats.size() && m_formats[f].row == cell.row && m_formats[f].column == cell.column
            && cell.kind == Kind::Number && isDateFormat(m_formats[last].format))
            cell.kind = Kind::Date;
    }
    m_formats = {};

    if (m_cells.empty())
        return;
    const std::uint32_t rows = m_cells.back().row + 1;
    constexpr std::uint32_t kNone = ~std::uint32_t(0);
    m_rowStart.assign(std::size_t(rows) + 1, kNone);
    std::uint32_t columns = 0;
    for (std::size_t i = m_cells.size(); i-- > 0;) {
        m_rowStart[m_cells[i].row] = std::uint32_t(i);
        columns = std::max<std::uint32_t>(columns, m_cells[i].column + 1u);
    }
    m_rowStart[rows] = std::uint32_t(m_cells.size());
    // A row without cells starts (and ends) where the next one starts.
    for (std::uint32_t r = rows; r-- > 0;)
        if (m_rowStart[r] == kNone)
            m_rowStart[r] = m_rowStart[r + 1];

    std::vector<DbCell> headings(columns);
    std::vector<WorksheetColumns::Tally> tallies(columns);
    readRow(0, headings, texts);
    for (std::uint32_t r = 1; r < rows; ++r)
        for (std::uint32_t i = m_rowStart[r]; i < m_rowStart[r + 1]; ++i) {
            DbCell cell;
            toCell(m_cells[i], cell, texts);
            tallies[m_cells[i].column].count(cell, m_cells[i].kind == Kind::Date);
        }
    m_columns = WorksheetColumns::fromHeadings(headings, tallies);
}

void SheetGrid::toCell(const Cell &stored, DbCell &cell, const std::vector<std::string> &texts) const
{
    switch (stored.kind) {
    case Kind::Number:
        if (dbIsWholeNumber(stored.number))
            cell.setInteger(static_cast<std::int64_t>(stored.number));
        else
            cell.setReal(stored.number);
        break;
    case Kind::Date:
        cell.setText(dbFormatDateSerial(stored.number + m_dateOrigin));
        break;
    case Kind::Text:
        // An empty text is Null, as the desktop driver gave it.
        if (stored.text < texts.size() && !texts[stored.text].empty())
            cell.setText(texts[stored.text]);
        else
            cell.setNull();
        break;
    }
}

void SheetGrid::readRow(std::uint32_t row, std::vector<DbCell> &cells, const std::vector<std::string> &texts) const
{
    for (DbCell &cell : cells)
        cell.setNull();
    if (row >= rowCount())
        return;
    for (std::uint32_t i = m_rowStart[row]; i < m_rowStart[row + 1]; ++i)
        if (m_cells[i].column < cells.size())
            toCell(m_cells[i], cells[m_cells[i].column], texts);
}
