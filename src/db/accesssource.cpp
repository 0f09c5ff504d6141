#include "accesssource.h"

#include "dbsource.h"

#include <mdbtools.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

// Constants mirrored from dberrors.h, which needs Qt.
constexpr std::int32_t kOpenFailed = -2147467259;
constexpr std::int32_t kReadFailed = -2147217887;

// Memo texts longer than this are cut; a phone number column is never near it.
constexpr size_t kBindSize = 65536;

// Jet page 0 starts with a 4-byte tag and the engine's name; checking it first keeps
// libmdb away from files that are not databases at all.
bool looksLikeJetFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    char header[0x20] = {};
    if (!in.read(header, sizeof header))
        return false;
    if (header[0] != 0 || header[1] != 1 || header[2] != 0 || header[3] != 0)
        return false;
    // Access 2007 and later (.accdb) name the ACE engine over the same Jet 4 layout.
    return std::memcmp(header + 4, "Standard Jet DB", 15) == 0 || std::memcmp(header + 4, "Standard ACE DB", 15) == 0;
}

MdbHandle *handleOf(void *handle) { return static_cast<MdbHandle *>(handle); }

DbColumnKind kindOf(int mdbType)
{
    switch (mdbType) {
    case MDB_BYTE: case MDB_INT: case MDB_LONGINT: case MDB_MONEY:
    case MDB_FLOAT: case MDB_DOUBLE: case MDB_NUMERIC:
        return DbColumnKind::Number;
    case MDB_BOOL:
        return DbColumnKind::Boolean;
    case MDB_DATETIME:
        return DbColumnKind::Date;
    case MDB_BINARY: case MDB_OLE: case MDB_COMPLEX:
        return DbColumnKind::Binary;
    default:
        return DbColumnKind::Text;
    }
}

// libmdb formats numbers with printf, so the decimal mark follows LC_NUMERIC.
void parseNumber(const char *text, size_t length, DbCell &cell)
{
    std::string s(text, length);
    if (s.find('.') == std::string::npos) {
        std::int64_t whole = 0;
        auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), whole);
        if (ec == std::errc() && end == s.data() + s.size()) {
            cell.setInteger(whole);
            return;
        }
        for (char &c : s)
            if (c == ',')
                c = '.';
    }
    double value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc()) {
        cell.setText(std::string(text, length));
        return;
    }
    if (dbIsWholeNumber(value))
        cell.setInteger(static_cast<std::int64_t>(value));
    else
        cell.setReal(value);
}

} // namespace

struct AccessSource::Table
{
    MdbCatalogEntry *entry = nullptr;
    std::string name;
    std::vector<DbColumnInfo> columns;
    std::vector<int> mdbTypes;
};

namespace {

class AccessCursor : public DbRowCursor
{
public:
    AccessCursor(MdbCatalogEntry *entry, const std::vector<int> &types, std::uint64_t columnsUsed,
                 const void **pageOwner)
        : m_pageOwner(pageOwner), m_types(types), m_cells(types.size()), m_buffers(types.size()), m_lengths(types.size())
    {
        m_table = mdb_read_table(entry);
        if (!m_table || !mdb_read_columns(m_table) || m_table->num_cols != types.size())
            throw DbSourceError(kReadFailed, "The table's definition could not be read.");
        for (size_t i = 0; i < types.size(); ++i) {
            // Converting a value costs more than reading the page, so only the columns
            // the statement reads are bound; the others stay Null.
            const bool used = (columnsUsed >> std::min<size_t>(i, 63)) & 1;
            if (!used || kindOf(types[i]) == DbColumnKind::Binary)
                continue;
            m_buffers[i].assign(kBindSize, '\0');
            mdb_bind_column(m_table, int(i) + 1, m_buffers[i].data(), &m_lengths[i]);
        }
        mdb_rewind_table(m_table);
    }
    ~AccessCursor() override
    {
        if (*m_pageOwner == this)
            *m_pageOwner = nullptr;
        if (m_table)
            mdb_free_tabledef(m_table);
    }

    bool next() override
    {
        // libmdb keeps the page being scanned in the handle's one page buffer. When
        // another cursor (a join, a second record set) moved it, load ours back first.
        MdbHandle *mdb = m_table->entry->mdb;
        if (*m_pageOwner != this && m_table->cur_phys_pg != 0
            && mdb_read_pg(mdb, m_table->cur_phys_pg) <= 0)
            throw DbSourceError(kReadFailed, "A page of the table could not be read.");
        *m_pageOwner = this;
        if (!mdb_fetch_row(m_table))
            return false;
        m_fresh.assign(m_cells.size(), true);
        return true;
    }

    const DbCell &cell(int column) override
    {
        DbCell &cell = m_cells[column];
        if (!m_fresh[column])
            return cell;
        m_fresh[column] = false;
        const int length = m_lengths[column];
        const std::vector<char> &buffer = m_buffers[column];
        // A zero length is how libmdb reports Null (and an empty text, which the
        // desktop driver showed the same way in a phone column).
        if (buffer.empty() || length <= 0) {
            cell.setNull();
            return cell;
        }
        const size_t n = std::min<size_t>(size_t(length), buffer.size() - 1);
        switch (kindOf(m_types[column])) {
        case DbColumnKind::Number:
            parseNumber(buffer.data(), n, cell);
            break;
        case DbColumnKind::Boolean:
            // Jet stores True as -1.
            cell.setInteger(buffer[0] && std::strchr("1TtYy-", buffer[0]) ? -1 : 0);
            break;
        default:
            cell.setText(std::string(buffer.data(), n));
            break;
        }
        return cell;
    }

private:
    const void **m_pageOwner;
    MdbTableDef *m_table = nullptr;
    std::vector<int> m_types;
    std::vector<DbCell> m_cells;
    std::vector<bool> m_fresh;
    std::vector<std::vector<char>> m_buffers;
    std::vector<int> m_lengths;
};

} // namespace

AccessSource::AccessSource(const std::string &path)
{
    if (!looksLikeJetFile(path))
        throw DbSourceError(kOpenFailed, "Unrecognized database format '" + path + "'.");
    MdbHandle *mdb = mdb_open(path.c_str(), MDB_NOFLAGS);
    if (!mdb)
        throw DbSourceError(kOpenFailed, "Unrecognized database format '" + path + "'.");
    m_handle = mdb;
    mdb_set_bind_size(mdb, kBindSize);
    mdb_set_date_fmt(mdb, "%Y-%m-%d %H:%M:%S");

    if (!mdb_read_catalog(mdb, MDB_TABLE) || !mdb->catalog) {
        mdb_close(mdb);
        m_handle = nullptr;
        throw DbSourceError(kOpenFailed,
                            "The database '" + path + "' is damaged: its table list cannot be read.");
    }
    for (unsigned int i = 0; i < mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type != MDB_TABLE || mdb_is_system_table(entry))
            continue;
        auto table = std::make_unique<Table>();
        table->entry = entry;
        table->name = entry->object_name;
        MdbTableDef *def = mdb_read_table(entry);
        if (!def)
            continue; // an unreadable table is left out rather than failing the others
        if (mdb_read_columns(def)) {
            for (unsigned int c = 0; c < def->num_cols; ++c) {
                auto *col = static_cast<MdbColumn *>(g_ptr_array_index(def->columns, c));
                table->columns.push_back({col->name, kindOf(col->col_type)});
                table->mdbTypes.push_back(col->col_type);
            }
        }
        mdb_free_tabledef(def);
        if (!table->columns.empty())
            m_tables.push_back(std::move(table));
    }
}

AccessSource::~AccessSource()
{
    if (m_handle)
        mdb_close(handleOf(m_handle));
}

int AccessSource::tableCount() const { return int(m_tables.size()); }

std::string AccessSource::tableName(int table) const { return m_tables.at(table)->name; }

const std::vector<DbColumnInfo> &AccessSource::columns(int table) { return m_tables.at(table)->columns; }

std::unique_ptr<DbRowCursor> AccessSource::openCursor(int table, std::uint64_t columnsUsed)
{
    const Table &t = *m_tables.at(table);
    return std::make_unique<AccessCursor>(t.entry, t.mdbTypes, columnsUsed, &m_pageOwner);
}
