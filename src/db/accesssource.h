#pragma once

// No Qt here: libmdb's glib headers clash with Qt's keywords (see accesssource.cpp).

#include "dbsource.h"

#include <string>

// The tables of an Access database (Jet 3 and Jet 4 .mdb, Access 2007 and later .accdb),
// read with libmdb. Rows are
// read by scanning the table's data pages, never through its indexes, which may be
// stale. The file is opened read-only; nothing is ever written.
class AccessSource : public DbTableSource
{
public:
    // Throws DbSourceError when the file is not an Access database libmdb can read.
    explicit AccessSource(const std::string &path);
    ~AccessSource() override;

    int tableCount() const override;
    std::string tableName(int table) const override;
    const std::vector<DbColumnInfo> &columns(int table) override;
    std::unique_ptr<DbRowCursor> openCursor(int table, std::uint64_t columnsUsed) override;

private:
    struct Table;
    void *m_handle = nullptr; // MdbHandle
    const void *m_pageOwner = nullptr; // the cursor whose page the handle holds
    std::vector<std::unique_ptr<Table>> m_tables;
};
