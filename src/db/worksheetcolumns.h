#pragma once

#include "dbsource.h"

#include <vector>

// The columns of a worksheet, whichever reader read it (FreeXL, liborcus, the CSV reader).
namespace WorksheetColumns {

// What one column's data cells (every row after the heading) hold.
struct Tally
{
    std::size_t numbers = 0;
    std::size_t texts = 0;
    std::size_t dates = 0; // text cells the reader knows to be dates
    void count(const DbCell &cell, bool isDate = false);
};

// Names the columns from the heading row: text as written, numbers as digits, a blank
// heading F1, F2, ... by position, a repeated one numbered. A column compares by the
// type most of its cells hold, as the desktop driver guessed it from the rows: numbers
// when they outnumber the rest (its text cells are still read, as text), dates when
// every cell is a date, text otherwise.
std::vector<DbColumnInfo> fromHeadings(const std::vector<DbCell> &headings, const std::vector<Tally> &tallies);

} // namespace WorksheetColumns
