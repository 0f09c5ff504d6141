#pragma once

#include "dbsource.h"

#include <memory>
#include <string>

// The worksheets of an Office Open XML workbook (.xlsx, .xlsm) or an OpenDocument
// spreadsheet (.ods), read with liborcus. liborcus hands over the whole document as it
// parses the file, so the cells are kept compactly in memory (see sheetgrid.h) and the
// file is only read. Worksheets, headings, column kinds and values follow ExcelSource:
// "Name$" (also "Name"), numbers as whole numbers where they are, dates as "YYYY-MM-DD",
// formulas as the value the file holds for them. No Qt here: liborcus' headers stand
// alone, and the probe reads files with this class too.
class OrcusSource : public DbTableSource
{
public:
    enum class Format { Xlsx, Ods };

    // Throws DbSourceError (kOpenFailed) naming the file when liborcus cannot read it.
    OrcusSource(const std::string &path, Format format);
    ~OrcusSource() override;

    int tableCount() const override;
    std::string tableName(int table) const override;
    std::string tableAlias(int table) const override;
    std::string tableType(int table) const override;
    const std::vector<DbColumnInfo> &columns(int table) override;
    std::unique_ptr<DbRowCursor> openCursor(int table, std::uint64_t columnsUsed) override;

private:
    struct Document;
    std::unique_ptr<Document> m_document;
};
