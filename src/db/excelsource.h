#pragma once

#include "dbsource.h"

#include <QString>
#include <memory>

class QTemporaryFile;

// The worksheets of an Excel 95/97-2003 workbook (.xls, BIFF5/BIFF8), read with FreeXL,
// which reads the whole workbook into memory at open; the file itself is only read.
// A worksheet is the table "Name$" (the name the desktop driver reported), also reachable
// as "Name". Its first row names the columns (see worksheetcolumns.h); dates are text
// "YYYY-MM-DD", numbers in a text column plain digits. Empty cells are Null. A worksheet
// with no cells has no columns.
class ExcelSource : public DbTableSource
{
public:
    // Throws QuilloError when the file is not a workbook FreeXL can read.
    explicit ExcelSource(const QString &path);
    ~ExcelSource() override;

    int tableCount() const override;
    std::string tableName(int table) const override;
    std::string tableAlias(int table) const override;
    std::string tableType(int table) const override;
    const std::vector<DbColumnInfo> &columns(int table) override;
    std::unique_ptr<DbRowCursor> openCursor(int table, std::uint64_t columnsUsed) override;

    // Reads one cell of a worksheet (row 0 is the heading row); isDate, when given, is
    // set for a date or time cell.
    void readCell(int sheet, unsigned int row, unsigned short column, DbCell &cell, bool *isDate = nullptr);
    unsigned int rowCount(int sheet) const;

private:
    struct Sheet;
    void openRepacked(const QString &path, int freexlError);
    void select(int sheet);
    void loadSheets();

    const void *m_handle = nullptr;
    std::unique_ptr<QTemporaryFile> m_repacked;
    std::vector<std::unique_ptr<Sheet>> m_sheets;
    int m_active = -1;
};
