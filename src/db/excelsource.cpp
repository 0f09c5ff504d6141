#include "excelsource.h"

#include "common/error.h"
#include "compoundfile.h"
#include "dberrors.h"
#include "worksheetcolumns.h"

#include <QFile>
#include <QTemporaryFile>
#include <freexl.h>

namespace {

QString describe(int freexlError)
{
    switch (freexlError) {
    case FREEXL_FILE_NOT_FOUND:
        return QStringLiteral("The file cannot be opened for reading.");
    case FREEXL_INSUFFICIENT_MEMORY:
        return QStringLiteral("Not enough memory to read the workbook.");
    case FREEXL_CRAFTED_FILE:
        return QStringLiteral("External table is not in the expected format (the workbook is damaged).");
    default:
        return QStringLiteral("External table is not in the expected format (FreeXL error %1).")
            .arg(freexlError);
    }
}

[[noreturn]] void fail(int freexlError)
{
    throw QuilloError(DbErrors::kOpenFailed, describe(freexlError), DbErrors::kSourceExcel);
}

// FreeXL's failures that a workbook in the mini stream produces.
bool isMiniStreamFailure(int rc)
{
    return rc == FREEXL_INVALID_MINI_STREAM || rc == FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY
        || rc == FREEXL_CFBF_EMPTY_FAT_CHAIN || rc == FREEXL_CFBF_ILLEGAL_FAT_ENTRY
        || rc == FREEXL_BIFF_INVALID_BOF || rc == FREEXL_BIFF_WORKBOOK_NOT_FOUND;
}

class ExcelCursor : public DbRowCursor
{
public:
    ExcelCursor(ExcelSource &source, int sheet, size_t columns)
        : m_source(source), m_sheet(sheet), m_rows(source.rowCount(sheet)), m_cells(columns),
          m_fresh(columns, false)
    {
    }

    bool next() override
    {
        if (m_row + 1 >= m_rows)
            return false;
        ++m_row;
        m_fresh.assign(m_fresh.size(), true);
        return true;
    }

    const DbCell &cell(int column) override
    {
        DbCell &cell = m_cells[column];
        if (m_fresh[column]) {
            m_fresh[column] = false;
            m_source.readCell(m_sheet, m_row, static_cast<unsigned short>(column), cell);
        }
        return cell;
    }

private:
    ExcelSource &m_source;
    int m_sheet;
    unsigned int m_rows;
    unsigned int m_row = 0; // the heading row; data starts at 1
    std::vector<DbCell> m_cells;
    std::vector<bool> m_fresh;
};

} // namespace

struct ExcelSource::Sheet
{
    std::string name;
    unsigned int rows = 0;
    unsigned short columnCount = 0;
    std::vector<DbColumnInfo> columns;
};

ExcelSource::ExcelSource(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    int rc = freexl_open(native.constData(), &m_handle);
    if (rc != FREEXL_OK) {
        m_handle = nullptr;
        if (!isMiniStreamFailure(rc))
            fail(rc);
        openRepacked(path, rc);
    }
    unsigned int password = 0;
    if (freexl_get_info(m_handle, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK
        && password == FREEXL_BIFF_OBFUSCATED) {
        freexl_close(m_handle);
        m_handle = nullptr;
        throw QuilloError(DbErrors::kOpenFailed,
                          QStringLiteral("The workbook is protected with a password and cannot be read."),
                          DbErrors::kSourceExcel);
    }
    try {
        loadSheets();
    } catch (...) {
        freexl_close(m_handle);
        m_handle = nullptr;
        throw;
    }
}

ExcelSource::~ExcelSource()
{
    if (m_handle)
        freexl_close(m_handle);
}

void ExcelSource::openRepacked(const QString &path, int freexlError)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        fail(freexlError);
    const QByteArray file = in.readAll();
    in.close();
    QString name;
    const QByteArray workbook =
        CompoundFile::readStream(file, {QStringLiteral("Workbook"), QStringLiteral("Book")}, &name);
    if (workbook.size() >= 4096)
        fail(freexlError); // in regular sectors already: the file is damaged some other way
    m_repacked = std::make_unique<QTemporaryFile>();
    if (!m_repacked->open() || m_repacked->write(CompoundFile::writeSingleStream(name, workbook)) < 0
        || !m_repacked->flush())
        throw QuilloError(DbErrors::kOpenFailed,
                          QStringLiteral("A temporary copy of the workbook could not be written."),
                          DbErrors::kSourceExcel);
    const int rc = freexl_open(QFile::encodeName(m_repacked->fileName()).constData(), &m_handle);
    if (rc != FREEXL_OK) {
        m_handle = nullptr;
        fail(rc);
    }
}

void ExcelSource::select(int sheet)
{
    if (m_active == sheet)
        return;
    if (freexl_select_active_worksheet(m_handle, static_cast<unsigned short>(sheet)) != FREEXL_OK)
        throw DbSourceError(DbErrors::kReadFailed, "The worksheet could not be selected.");
    m_active = sheet;
}

void ExcelSource::readCell(int sheet, unsigned int row, unsigned short column, DbCell &cell, bool *isDate)
{
    select(sheet);
    FreeXL_CellValue value;
    if (column >= m_sheets[sheet]->columnCount
        || freexl_get_cell_value(m_handle, row, column, &value) != FREEXL_OK) {
        cell.setNull();
        return;
    }
    switch (value.type) {
    case FREEXL_CELL_INT:
        cell.setInteger(value.value.int_value);
        break;
    case FREEXL_CELL_DOUBLE:
        if (dbIsWholeNumber(value.value.double_value))
            cell.setInteger(static_cast<std::int64_t>(value.value.double_value));
        else
            cell.setReal(value.value.double_value);
        break;
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        if (isDate && value.type != FREEXL_CELL_TEXT && value.type != FREEXL_CELL_SST_TEXT)
            *isDate = true;
        // The desktop driver gave an empty text cell as Null, like an empty cell.
        if (value.value.text_value && *value.value.text_value)
            cell.setText(value.value.text_value);
        else
            cell.setNull();
        break;
    default:
        cell.setNull();
        break;
    }
}

void ExcelSource::loadSheets()
{
    unsigned int count = 0;
    if (freexl_get_info(m_handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK)
        fail(FREEXL_BIFF_INVALID_BOF);
    for (unsigned int i = 0; i < count && i < 0xFFFF; ++i) {
        auto sheet = std::make_unique<Sheet>();
        const char *name = nullptr;
        if (freexl_get_worksheet_name(m_handle, static_cast<unsigned short>(i), &name) != FREEXL_OK)
            fail(FREEXL_BIFF_INVALID_BOF);
        sheet->name = name ? name : "";
        m_sheets.push_back(std::move(sheet));
        select(int(i));
        Sheet &s = *m_sheets.back();
        if (freexl_worksheet_dimensions(m_handle, &s.rows, &s.columnCount) != FREEXL_OK)
            s.rows = s.columnCount = 0;
        if (s.rows == 0)
            s.columnCount = 0;

        std::vector<WorksheetColumns::Tally> tallies(s.columnCount);
        std::vector<DbCell> headings(s.columnCount);
        DbCell cell;
        bool anyCell = false;
        for (unsigned int r = 0; r < s.rows; ++r) {
            for (unsigned short c = 0; c < s.columnCount; ++c) {
                bool isDate = false;
                readCell(int(i), r, c, r == 0 ? headings[c] : cell, &isDate);
                if (r == 0) {
                    anyCell = anyCell || headings[c].type != DbCell::Type::Null;
                    continue;
                }
                anyCell = anyCell || cell.type != DbCell::Type::Null;
                tallies[c].count(cell, isDate);
            }
        }
        if (!anyCell)
            continue; // an empty worksheet: no columns
        s.columns = WorksheetColumns::fromHeadings(headings, tallies);
    }
}

int ExcelSource::tableCount() const { return int(m_sheets.size()); }

std::string ExcelSource::tableName(int table) const { return m_sheets.at(table)->name + "$"; }

std::string ExcelSource::tableAlias(int table) const { return m_sheets.at(table)->name; }

std::string ExcelSource::tableType(int) const { return "SYSTEM TABLE"; }

const std::vector<DbColumnInfo> &ExcelSource::columns(int table) { return m_sheets.at(table)->columns; }

unsigned int ExcelSource::rowCount(int sheet) const
{
    return m_sheets.at(sheet)->columns.empty() ? 0 : m_sheets.at(sheet)->rows;
}

std::unique_ptr<DbRowCursor> ExcelSource::openCursor(int table, std::uint64_t)
{
    return std::make_unique<ExcelCursor>(*this, table, m_sheets.at(table)->columns.size());
}
