#include "csvsource.h"

#include "worksheetcolumns.h"

#include <QFileInfo>
#include <charconv>

namespace {

// Constant mirrored from dberrors.h.
constexpr std::int32_t kOpenFailed = -2147467259;

// Windows-1252's 0x80-0x9F, where it departs from Latin-1 (0 where the code page leaves
// a byte undefined; such a byte is read as U+FFFD).
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // € ‚ ƒ „ … † ‡
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,      // ˆ ‰ Š ‹ Œ Ž
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // ‘ ’ “ ” • – —
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178, // ˜ ™ š › œ ž Ÿ
};

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool isUtf8(const unsigned char *p, const unsigned char *end)
{
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int length;
        char32_t value, minimum;
        if ((c & 0xE0) == 0xC0) {
            length = 2, value = c & 0x1F, minimum = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3, value = c & 0x0F, minimum = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4, value = c & 0x07, minimum = 0x10000;
        } else {
            return false;
        }
        if (end - p < length)
            return false;
        for (int i = 1; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            value = (value << 6) | (p[i] & 0x3F);
        }
        if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        p += length;
    }
    return true;
}

// An unquoted field a spreadsheet would store as a number, without losing digits a
// phone number needs: no leading zero, no plus sign, no blanks, no thousands marks.
bool looksNumeric(const char *p, std::size_t size)
{
    std::size_t i = 0;
    if (i < size && p[i] == '-')
        ++i;
    const std::size_t digits = i;
    while (i < size && p[i] >= '0' && p[i] <= '9')
        ++i;
    if (i == digits || (p[digits] == '0' && i - digits > 1))
        return false;
    if (i < size && p[i] == '.') {
        const std::size_t fraction = ++i;
        while (i < size && p[i] >= '0' && p[i] <= '9')
            ++i;
        if (i == fraction)
            return false;
    }
    return i == size;
}

// A date as spreadsheets export it: "YYYY-MM-DD", optionally " HH:MM" or " HH:MM:SS".
bool looksLikeIsoDate(const char *p, std::size_t size)
{
    static constexpr char kShape[] = "dddd-dd-dd dd:dd:dd";
    if (size != 10 && size != 16 && size != 19)
        return false;
    for (std::size_t i = 0; i < size; ++i)
        if (kShape[i] == 'd' ? !(p[i] >= '0' && p[i] <= '9') : p[i] != kShape[i])
            return false;
    return true;
}

class CsvCursor : public DbRowCursor
{
public:
    CsvCursor(const char *position, const char *end, char separator, bool utf8, std::size_t columns)
        : m_position(position), m_end(end), m_separator(separator), m_utf8(utf8), m_cells(columns),
          m_fresh(columns, false)
    {
    }

    bool next() override
    {
        do {
            if (m_position >= m_end)
                return false;
            m_position = CsvSource::readRecord(m_position, m_end, m_separator, m_fields);
        } while (m_fields.empty()); // a blank line is no record
        m_fresh.assign(m_fresh.size(), true);
        return true;
    }

    const DbCell &cell(int column) override
    {
        DbCell &cell = m_cells.at(std::size_t(column));
        if (m_fresh[std::size_t(column)]) {
            m_fresh[std::size_t(column)] = false;
            if (std::size_t(column) < m_fields.size())
                CsvSource::toCell(m_fields[std::size_t(column)], m_utf8, cell);
            else
                cell.setNull();
        }
        return cell;
    }

private:
    const char *m_position;
    const char *m_end;
    char m_separator;
    bool m_utf8;
    std::vector<CsvSource::Field> m_fields;
    std::vector<DbCell> m_cells;
    std::vector<bool> m_fresh;
};

} // namespace

const char *CsvSource::readRecord(const char *p, const char *end, char separator, std::vector<Field> &fields)
{
    fields.clear();
    if (p < end && (*p == '\n' || *p == '\r')) { // a blank line
        p += (*p == '\r' && p + 1 < end && p[1] == '\n') ? 2 : 1;
        return p;
    }
    while (p <= end) {
        Field field;
        if (p < end && *p == '"') {
            field.quoted = true;
            field.begin = ++p;
            // To the closing quote; "" is a quote inside the field.
            while (p < end && !(*p == '"' && (p + 1 >= end || p[1] != '"')))
                p += (*p == '"') ? 2 : 1;
            field.size = std::size_t(std::min(p, end) - field.begin);
            if (p < end)
                ++p;
            // Text between the closing quote and the separator (a damaged file) is dropped.
            while (p < end && *p != separator && *p != '\n' && *p != '\r')
                ++p;
        } else {
            field.begin = p;
            while (p < end && *p != separator && *p != '\n' && *p != '\r')
                ++p;
            field.size = std::size_t(p - field.begin);
        }
        fields.push_back(field);
        if (p < end && *p == separator) {
            ++p;
            continue;
        }
        if (p < end && *p == '\r')
            ++p;
        if (p < end && *p == '\n')
            ++p;
        break;
    }
    return p;
}

void CsvSource::toCell(const Field &field, bool utf8, DbCell &cell)
{
    if (field.size == 0) {
        cell.setNull();
        return;
    }
    if (!field.quoted && looksNumeric(field.begin, field.size)) {
        std::int64_t whole = 0;
        auto [end, ec] = std::from_chars(field.begin, field.begin + field.size, whole);
        if (ec == std::errc() && end == field.begin + field.size) {
            cell.setInteger(whole);
            return;
        }
        double value = 0;
        std::from_chars(field.begin, field.begin + field.size, value);
        if (dbIsWholeNumber(value))
            cell.setInteger(static_cast<std::int64_t>(value));
        else
            cell.setReal(value);
        return;
    }
    std::string text;
    text.reserve(field.size);
    for (std::size_t i = 0; i < field.size; ++i) {
        const unsigned char c = static_cast<unsigned char>(field.begin[i]);
        if (field.quoted && c == '"')
            ++i; // the first of a doubled quote
        if (utf8 || c < 0x80)
            text += char(c);
        else if (c < 0xA0)
            appendUtf8(text, kWindows1252High[c - 0x80] ? kWindows1252High[c - 0x80] : 0xFFFD);
        else
            appendUtf8(text, c);
    }
    cell.setText(std::move(text));
}

CsvSource::CsvSource(const QString &path) : m_file(path)
{
    const std::string shown = QFile::encodeName(path).toStdString();
    if (!m_file.open(QIODevice::ReadOnly))
        throw DbSourceError(kOpenFailed, "The file '" + shown + "' cannot be opened for reading.");
    static const char kEmpty[1] = {};
    m_begin = kEmpty;
    m_end = kEmpty;
    if (m_file.size() > 0) {
        const uchar *mapped = m_file.map(0, m_file.size());
        if (!mapped)
            throw DbSourceError(kOpenFailed, "The file '" + shown + "' could not be read.");
        m_begin = reinterpret_cast<const char *>(mapped);
        m_end = m_begin + m_file.size();
    }
    if (m_end - m_begin >= 3 && std::string_view(m_begin, 3) == "\xEF\xBB\xBF")
        m_begin += 3;
    m_utf8 = isUtf8(reinterpret_cast<const unsigned char *>(m_begin), reinterpret_cast<const unsigned char *>(m_end));
    m_name = QFileInfo(path).completeBaseName().toStdString();

    // The separator the heading line uses most, outside quotes.
    std::size_t commas = 0, semicolons = 0;
    bool quoted = false;
    for (const char *p = m_begin; p < m_end && (quoted || (*p != '\n' && *p != '\r')); ++p) {
        if (*p == '"')
            quoted = !quoted;
        else if (!quoted && *p == ',')
            ++commas;
        else if (!quoted && *p == ';')
            ++semicolons;
    }
    m_separator = semicolons > commas ? ';' : ',';

    std::vector<Field> fields;
    const char *p = m_begin;
    while (p < m_end && fields.empty())
        p = readRecord(p, m_end, m_separator, fields);
    m_firstRow = p;
    if (fields.empty())
        return; // an empty file: a worksheet with no columns
    std::vector<DbCell> headings(fields.size());
    for (std::size_t c = 0; c < fields.size(); ++c)
        toCell(fields[c], m_utf8, headings[c]);
    std::vector<WorksheetColumns::Tally> tallies(headings.size());
    while (p < m_end) {
        p = readRecord(p, m_end, m_separator, fields);
        if (fields.size() > headings.size()) {
            headings.resize(fields.size());
            tallies.resize(fields.size());
        }
        for (std::size_t c = 0; c < fields.size(); ++c) {
            if (fields[c].size == 0)
                continue;
            if (!fields[c].quoted && looksNumeric(fields[c].begin, fields[c].size))
                ++tallies[c].numbers;
            else if (looksLikeIsoDate(fields[c].begin, fields[c].size))
                ++tallies[c].dates;
            else
                ++tallies[c].texts;
        }
    }
    m_columns = WorksheetColumns::fromHeadings(headings, tallies);
}

CsvSource::~CsvSource() = default;

std::string CsvSource::tableName(int) const { return m_name + "$"; }

std::string CsvSource::tableAlias(int) const { return m_name; }

const std::vector<DbColumnInfo> &CsvSource::columns(int) { return m_columns; }

std::unique_ptr<DbRowCursor> CsvSource::openCursor(int, std::uint64_t)
{
    return std::make_unique<CsvCursor>(m_columns.empty() ? m_end : m_firstRow, m_end, m_separator, m_utf8,
                                       m_columns.size());
}
