// The in-memory worksheet behind the liborcus reader: cells in any order, formats that
// arrive before their meaning is known, repeated rows, and date serials as text.
#include "db/sheetgrid.h"

#include <gtest/gtest.h>

namespace {

const std::vector<std::string> kTexts = {"Mobile", "Joined", "Pune", ""};

// Each row's cells as text ("-" for Null), joined by |.
std::vector<std::string> rows(const SheetGrid &grid)
{
    std::vector<std::string> out;
    std::vector<DbCell> cells(grid.columns().size());
    for (std::uint32_t r = 0; r < grid.rowCount(); ++r) {
        grid.readRow(r, cells, kTexts);
        std::string line;
        for (const DbCell &c : cells) {
            if (!line.empty())
                line += '|';
            line += c.type == DbCell::Type::Null      ? "-"
                : c.type == DbCell::Type::Text        ? c.text
                : c.type == DbCell::Type::Integer     ? std::to_string(c.integer)
                                                      : dbFormatNumber(c.real);
        }
        out.push_back(line);
    }
    return out;
}

const auto kFormat7IsDate = [](std::uint32_t format) { return format == 7; };

TEST(SheetGrid, CellsInAnyOrderLastValueWins)
{
    SheetGrid grid;
    grid.setNumber(2, 0, 9812345679);
    grid.setText(0, 1, 1);
    grid.setText(0, 0, 0);
    grid.setNumber(1, 0, 1);
    grid.setNumber(1, 0, 9812345678); // written again: this one holds
    grid.setText(3, 1, 2);            // row 3 has no Mobile; text 3 is empty, so Null
    grid.setText(3, 0, 3);
    grid.finish(kTexts, 0, kFormat7IsDate);
    EXPECT_EQ(rows(grid), (std::vector<std::string>{"Mobile|Joined", "9812345678|-", "9812345679|-", "-|Pune"}));
    ASSERT_EQ(grid.columns().size(), 2u);
    EXPECT_EQ(grid.columns()[0].kind, DbColumnKind::Number);
    EXPECT_EQ(grid.columns()[1].kind, DbColumnKind::Text);
}

TEST(SheetGrid, DateFormatsOnCellsAndBlocksKnownOnlyAtTheEnd)
{
    SheetGrid grid;
    grid.setText(0, 0, 0);
    grid.setText(0, 1, 1);
    grid.setFormat(1, 1, 7);        // before its cell, as .xlsx gives them
    grid.setFormat(1, 0, 3);        // not a date format
    grid.setFormat(2, 1, 9, 1, 7);  // a styled block of the column
    for (std::uint32_t r = 1; r <= 3; ++r) {
        grid.setNumber(r, 0, 9812345677.0 + r);
        grid.setNumber(r, 1, 34549.0 + r + (r == 3 ? 0.5 : 0));
    }
    grid.finish(kTexts, 0, kFormat7IsDate);
    EXPECT_EQ(rows(grid), (std::vector<std::string>{"Mobile|Joined", "9812345678|1994-08-04", "9812345679|1994-08-05",
                                                    "9812345680|1994-08-06 12:00:00"}));
    EXPECT_EQ(grid.columns()[1].kind, DbColumnKind::Date);
}

TEST(SheetGrid, RepeatedRowsAndTheMacDateOrigin)
{
    SheetGrid grid;
    grid.setText(0, 0, 1);
    grid.setDate(1, 0, 33088); // 1994-08-04 counted from 1904-01-01
    grid.fillDown(1, 0, 2);
    grid.setNumber(5, 0, 1);   // rows 4 is empty
    grid.fillDown(7, 0, 3);    // no such cell: nothing
    grid.finish(kTexts, 1462, kFormat7IsDate);
    EXPECT_EQ(rows(grid),
              (std::vector<std::string>{"Joined", "1994-08-04", "1994-08-04", "1994-08-04", "-", "1"}));
}

TEST(SheetGrid, CellsBeyondTheSheetLimitsAreDropped)
{
    SheetGrid grid;
    grid.setText(0, 0, 0);
    grid.setNumber(SheetGrid::kMaxRows, 0, 1);
    grid.setNumber(1, SheetGrid::kMaxColumns, 1);
    grid.setNumber(SheetGrid::kMaxRows - 2, 0, 5);
    grid.fillDown(SheetGrid::kMaxRows - 2, 0, 4000000000u);
    grid.finish(kTexts, 0, kFormat7IsDate);
    EXPECT_EQ(grid.rowCount(), SheetGrid::kMaxRows);
    EXPECT_EQ(grid.columns().size(), 1u);
}

TEST(SheetGrid, DateSerialsAsText)
{
    const std::pair<double, const char *> cases[] = {
        {34550, "1994-08-04"}, {34550.75, "1994-08-04 18:00:00"}, {0.5, "12:00:00"},
        {1, "1899-12-31"},     {2958465, "9999-12-31"},           {34550.99999999, "1994-08-05"},
        {1e300, "1e+300"},
    };
    for (const auto &[serial, text] : cases)
        EXPECT_EQ(dbFormatDateSerial(serial), text) << serial;
}

} // namespace
