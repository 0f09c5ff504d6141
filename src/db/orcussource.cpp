#include "orcussource.h"

#include "sheetgrid.h"

#include <orcus/orcus_ods.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/import_interface.hpp>

#include <algorithm>
#include <cstdlib>
#include <cctype>
#include <map>
#include <stdexcept>
#include <unordered_map>

namespace iface = orcus::spreadsheet::iface;
using orcus::spreadsheet::col_t;
using orcus::spreadsheet::row_t;

namespace {

// Constant mirrored from dberrors.h, which needs Qt.
constexpr std::int32_t kOpenFailed = -2147467259;

// The number formats that show a number as a date or a time. Office Open XML names the
// built-in ones by number (14-22 and 45-47 everywhere, 27-36 and 50-58 in East Asian
// locales); a format code is a date when, outside quotes, brackets and escapes, it holds
// a date or time letter (y, m, d, h, s).
bool isBuiltinDateFormat(std::size_t id)
{
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
}

bool isDateFormatCode(std::string_view code)
{
    std::string lower;
    for (char c : code)
        lower += char(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "general" || lower.empty())
        return false;
    bool quoted = false, bracketed = false;
    for (std::size_t i = 0; i < lower.size(); ++i) {
        const char c = lower[i];
        if (quoted) {
            quoted = c != '"';
        } else if (bracketed) {
            // [h], [mm] and [ss] are elapsed times; [Red] and [$-409] are not.
            if (c == ']')
                bracketed = false;
            else if ((c == 'h' || c == 'm' || c == 's') && i > 0 && lower[i - 1] == '[')
                return lower.compare(i, 3, "red") != 0;
        } else if (c == '"') {
            quoted = true;
        } else if (c == '[') {
            bracketed = true;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i; // the next character is shown or spaced as is
        } else if (c == 'y' || c == 'm' || c == 'd' || c == 'h' || c == 's') {
            return true;
        }
    }
    return false;
}

class Strings : public iface::import_shared_strings
{
public:
    explicit Strings(std::vector<std::string> &texts) : m_texts(texts) {}

    std::size_t append(std::string_view s) override
    {
        m_texts.emplace_back(s);
        return m_texts.size() - 1;
    }
    std::size_t add(std::string_view s) override
    {
        auto found = m_index.find(std::string(s));
        if (found != m_index.end())
            return found->second;
        const std::size_t index = append(s);
        m_index.emplace(m_texts.back(), index);
        return index;
    }
    void set_segment_font(std::size_t) override {}
    void set_segment_bold(bool) override {}
    void set_segment_italic(bool) override {}
    void set_segment_font_name(std::string_view) override {}
    void set_segment_font_size(double) override {}
    void set_segment_font_color(orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t,
                                orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t) override
    {
    }
    void append_segment(std::string_view s) override { m_segments += s; }
    std::size_t commit_segments() override
    {
        const std::size_t index = append(m_segments);
        m_segments.clear();
        return index;
    }

private:
    std::vector<std::string> &m_texts;
    std::unordered_map<std::string, std::size_t> m_index;
    std::string m_segments;
};

// Only the number formats matter here: they tell dates from numbers.
class Styles : public iface::import_styles
{
public:
    explicit Styles(bool formatsById) : m_formatsById(formatsById) {}

    // Whether cells of this cell format (xf) show dates.
    bool isDate(std::size_t xf) const { return xf < m_xfIsDate.size() && m_xfIsDate[xf]; }

    void set_number_format_count(std::size_t) override {}
    void set_number_format_identifier(std::size_t id) override { m_formatId = id; }
    void set_number_format_code(std::string_view s) override { m_formatCode = s; }
    std::size_t commit_number_format() override
    {
        const bool date = isDateFormatCode(m_formatCode);
        const std::size_t index = m_formatCount++;
        // Office Open XML refers to a format by its id, OpenDocument by its order.
        m_formatIsDate[m_formatsById ? m_formatId : index] = date;
        m_formatId = 0;
        m_formatCode.clear();
        return index;
    }
    void set_xf_number_format(std::size_t index) override { m_xfFormat = index; }
    std::size_t commit_cell_xf() override
    {
        auto found = m_formatIsDate.find(m_xfFormat);
        const bool date = found != m_formatIsDate.end() ? found->second
                                                        : m_formatsById && isBuiltinDateFormat(m_xfFormat);
        m_xfIsDate.push_back(date);
        m_xfFormat = 0;
        return m_xfIsDate.size() - 1;
    }

    // Everything else about looks is of no use to an import.
    void set_font_count(std::size_t) override {}
    void set_font_bold(bool) override {}
    void set_font_italic(bool) override {}
    void set_font_name(std::string_view) override {}
    void set_font_size(double) override {}
    void set_font_underline(orcus::spreadsheet::underline_t) override {}
    void set_font_underline_width(orcus::spreadsheet::underline_width_t) override {}
    void set_font_underline_mode(orcus::spreadsheet::underline_mode_t) override {}
    void set_font_underline_type(orcus::spreadsheet::underline_type_t) override {}
    void set_font_underline_color(orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t,
                                  orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t) override
    {
    }
    void set_font_color(orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t,
                        orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t) override
    {
    }
    void set_strikethrough_style(orcus::spreadsheet::strikethrough_style_t) override {}
    void set_strikethrough_type(orcus::spreadsheet::strikethrough_type_t) override {}
    void set_strikethrough_width(orcus::spreadsheet::strikethrough_width_t) override {}
    void set_strikethrough_text(orcus::spreadsheet::strikethrough_text_t) override {}
    std::size_t commit_font() override { return m_fonts++; }
    void set_fill_count(std::size_t) override {}
    void set_fill_pattern_type(orcus::spreadsheet::fill_pattern_t) override {}
    void set_fill_fg_color(orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t,
                           orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t) override
    {
    }
    void set_fill_bg_color(orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t,
                           orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t) override
    {
    }
    std::size_t commit_fill() override { return m_fills++; }
    void set_border_count(std::size_t) override {}
    void set_border_style(orcus::spreadsheet::border_direction_t, orcus::spreadsheet::border_style_t) override {}
    void set_border_color(orcus::spreadsheet::border_direction_t, orcus::spreadsheet::color_elem_t,
                          orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t,
                          orcus::spreadsheet::color_elem_t) override
    {
    }
    void set_border_width(orcus::spreadsheet::border_direction_t, double, orcus::length_unit_t) override {}
    std::size_t commit_border() override { return m_borders++; }
    void set_cell_hidden(bool) override {}
    void set_cell_locked(bool) override {}
    void set_cell_print_content(bool) override {}
    void set_cell_formula_hidden(bool) override {}
    std::size_t commit_cell_protection() override { return m_protections++; }
    void set_cell_xf_count(std::size_t) override {}
    void set_cell_style_xf_count(std::size_t) override {}
    void set_dxf_count(std::size_t) override {}
    void set_xf_font(std::size_t) override {}
    void set_xf_fill(std::size_t) override {}
    void set_xf_border(std::size_t) override {}
    void set_xf_protection(std::size_t) override {}
    void set_xf_style_xf(std::size_t) override {}
    void set_xf_apply_alignment(bool) override {}
    void set_xf_horizontal_alignment(orcus::spreadsheet::hor_alignment_t) override {}
    void set_xf_vertical_alignment(orcus::spreadsheet::ver_alignment_t) override {}
    std::size_t commit_cell_style_xf() override { m_xfFormat = 0; return m_styleXfs++; }
    std::size_t commit_dxf() override { m_xfFormat = 0; return m_dxfs++; }
    void set_cell_style_count(std::size_t) override {}
    void set_cell_style_name(std::string_view) override {}
    void set_cell_style_xf(std::size_t) override {}
    void set_cell_style_builtin(std::size_t) override {}
    void set_cell_style_parent_name(std::string_view) override {}
    std::size_t commit_cell_style() override { return m_cellStyles++; }

private:
    bool m_formatsById;
    std::size_t m_formatId = 0;
    std::string m_formatCode;
    std::size_t m_formatCount = 0;
    std::map<std::size_t, bool> m_formatIsDate;
    std::size_t m_xfFormat = 0;
    std::vector<bool> m_xfIsDate;
    std::size_t m_fonts = 0, m_fills = 0, m_borders = 0, m_protections = 0, m_styleXfs = 0, m_dxfs = 0,
                m_cellStyles = 0;
};

// A formula cell counts as the value the file keeps for it.
class Formula : public iface::import_formula
{
public:
    Formula(SheetGrid &grid, std::vector<std::string> &texts) : m_grid(grid), m_texts(texts) {}

    void set_position(row_t row, col_t col) override
    {
        m_row = row;
        m_column = col;
        m_kind = Result::None;
    }
    void set_formula(orcus::spreadsheet::formula_grammar_t, std::string_view) override {}
    void set_shared_formula_index(std::size_t) override {}
    void set_result_string(std::string_view value) override
    {
        m_kind = Result::Text;
        m_text = value;
    }
    void set_result_value(double value) override
    {
        m_kind = Result::Number;
        m_number = value;
    }
    void set_result_bool(bool value) override { set_result_value(value ? 1 : 0); }
    void set_result_empty() override { m_kind = Result::None; }
    void commit() override
    {
        if (m_row < 0 || m_column < 0)
            return;
        if (m_kind == Result::Number) {
            m_grid.setNumber(std::uint32_t(m_row), std::uint32_t(m_column), m_number);
        } else if (m_kind == Result::Text) {
            m_texts.push_back(m_text);
            m_grid.setText(std::uint32_t(m_row), std::uint32_t(m_column), std::uint32_t(m_texts.size() - 1));
        }
    }

private:
    enum class Result { None, Number, Text };
    SheetGrid &m_grid;
    std::vector<std::string> &m_texts;
    row_t m_row = -1;
    col_t m_column = -1;
    Result m_kind = Result::None;
    double m_number = 0;
    std::string m_text;
};

class Sheet : public iface::import_sheet
{
public:
    Sheet(std::string name, std::vector<std::string> &texts, int dateOrigin)
        : m_name(std::move(name)), m_texts(texts), m_formula(m_grid, texts),
          m_dateOrigin(dateOrigin)
    {
    }

    const std::string &name() const { return m_name; }
    SheetGrid &grid() { return m_grid; }

    iface::import_formula *get_formula() override { return &m_formula; }

    // A cell whose type the file leaves open (an inline string): text, as written.
    void set_auto(row_t row, col_t col, std::string_view s) override
    {
        if (!inRange(row, col))
            return;
        m_texts.emplace_back(s);
        m_grid.setText(std::uint32_t(row), std::uint32_t(col), std::uint32_t(m_texts.size() - 1));
    }
    void set_string(row_t row, col_t col, orcus::spreadsheet::string_id_t sindex) override
    {
        if (inRange(row, col) && sindex < m_texts.size())
            m_grid.setText(std::uint32_t(row), std::uint32_t(col), std::uint32_t(sindex));
    }
    void set_value(row_t row, col_t col, double value) override
    {
        if (inRange(row, col))
            m_grid.setNumber(std::uint32_t(row), std::uint32_t(col), value);
    }
    void set_bool(row_t row, col_t col, bool value) override { set_value(row, col, value ? 1 : 0); }
    void set_date_time(row_t row, col_t col, int year, int month, int day, int hour, int minute,
                       double second) override
    {
        if (!inRange(row, col))
            return;
        // Days from 1899-12-30 by the civil calendar (proleptic Gregorian), as a serial.
        const long long y = month <= 2 ? year - 1 : year;
        const long long era = (y >= 0 ? y : y - 399) / 400;
        const long long yoe = y - era * 400;
        const long long doy = (153LL * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
        const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
        const long long daysFrom1970 = era * 146097 + doe - 719468;
        const double serial = double(daysFrom1970 + 25569) + (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
        m_grid.setDate(std::uint32_t(row), std::uint32_t(col), serial - m_dateOrigin);
    }
    void set_format(row_t row, col_t col, std::size_t xf) override
    {
        if (inRange(row, col) && xf > 0) // 0 is the default, General
            m_grid.setFormat(std::uint32_t(row), std::uint32_t(col), std::uint32_t(xf));
    }
    void set_format(row_t rowStart, col_t colStart, row_t rowEnd, col_t colEnd, std::size_t xf) override
    {
        if (xf > 0 && inRange(rowStart, colStart) && rowEnd >= rowStart && colEnd >= colStart)
            m_grid.setFormat(std::uint32_t(rowStart), std::uint32_t(colStart), std::uint32_t(rowEnd),
                             std::uint32_t(colEnd), std::uint32_t(xf));
    }
    void fill_down_cells(row_t row, col_t col, row_t count) override
    {
        if (inRange(row, col) && count > 0)
            m_grid.fillDown(std::uint32_t(row), std::uint32_t(col), std::uint32_t(count));
    }
    orcus::spreadsheet::range_size_t get_sheet_size() const override
    {
        return {row_t(SheetGrid::kMaxRows), col_t(SheetGrid::kMaxColumns)};
    }

private:
    static bool inRange(row_t row, col_t col) { return row >= 0 && col >= 0; }

    std::string m_name;
    std::vector<std::string> &m_texts;
    SheetGrid m_grid;
    Formula m_formula;
    int m_dateOrigin;
};

class Settings : public iface::import_global_settings
{
public:
    // Days from 1899-12-30 to the workbook's day 0 (1904-01-01 in a Mac workbook is 1462).
    int dateOrigin = 0;

    void set_origin_date(int year, int month, int day) override
    {
        if (year == 1904 && month == 1 && day == 1)
            dateOrigin = 1462;
        else
            dateOrigin = 0;
    }
    void set_default_formula_grammar(orcus::spreadsheet::formula_grammar_t grammar) override { m_grammar = grammar; }
    orcus::spreadsheet::formula_grammar_t get_default_formula_grammar() const override { return m_grammar; }
    void set_character_set(orcus::character_set_t) override {}

private:
    orcus::spreadsheet::formula_grammar_t m_grammar = orcus::spreadsheet::formula_grammar_t::unknown;
};

// Office Open XML places each cell by its A1 name ("B7", "$AB$12"), and names ranges
// as "A1:C3"; the sheet is the one being read.
class A1Resolver : public iface::import_reference_resolver
{
public:
    orcus::spreadsheet::src_address_t resolve_address(std::string_view text) override
    {
        std::size_t i = 0;
        const auto skipDollar = [&] {
            if (i < text.size() && text[i] == '$')
                ++i;
        };
        skipDollar();
        long long column = 0, row = 0;
        const std::size_t letters = i;
        while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i])) && column <= SheetGrid::kMaxColumns)
            column = column * 26 + (std::toupper(static_cast<unsigned char>(text[i++])) - 'A' + 1);
        skipDollar();
        const std::size_t digits = i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && row <= SheetGrid::kMaxRows)
            row = row * 10 + (text[i++] - '0');
        if (i == letters || i == digits || i != text.size() || column == 0 || row == 0)
            throw std::invalid_argument("not a cell reference: " + std::string(text));
        return {0, row_t(std::min<long long>(row - 1, SheetGrid::kMaxRows)),
                col_t(std::min<long long>(column - 1, SheetGrid::kMaxColumns))};
    }
    orcus::spreadsheet::src_range_t resolve_range(std::string_view text) override
    {
        const std::size_t colon = text.find(':');
        const auto first = resolve_address(text.substr(0, colon));
        return {first, colon == std::string_view::npos ? first : resolve_address(text.substr(colon + 1))};
    }
};

class Factory : public iface::import_factory
{
public:
    Factory(std::vector<std::string> &texts, bool formatsById)
        : m_texts(texts), m_strings(texts), m_styles(formatsById)
    {
    }

    std::vector<std::unique_ptr<Sheet>> sheets;

    iface::import_global_settings *get_global_settings() override { return &m_settings; }
    iface::import_shared_strings *get_shared_strings() override { return &m_strings; }
    iface::import_styles *get_styles() override { return &m_styles; }
    iface::import_reference_resolver *get_reference_resolver(orcus::spreadsheet::formula_ref_context_t) override
    {
        return &m_resolver;
    }

    iface::import_sheet *append_sheet(orcus::spreadsheet::sheet_t, std::string_view name) override
    {
        sheets.push_back(std::make_unique<Sheet>(std::string(name), m_texts, m_settings.dateOrigin));
        return sheets.back().get();
    }
    iface::import_sheet *get_sheet(std::string_view name) override
    {
        for (auto &sheet : sheets)
            if (sheet->name() == name)
                return sheet.get();
        return nullptr;
    }
    iface::import_sheet *get_sheet(orcus::spreadsheet::sheet_t index) override
    {
        return index >= 0 && std::size_t(index) < sheets.size() ? sheets[std::size_t(index)].get() : nullptr;
    }
    void finalize() override {}

    int dateOrigin() const { return m_settings.dateOrigin; }
    const Styles &styles() const { return m_styles; }

private:
    std::vector<std::string> &m_texts;
    Strings m_strings;
    Styles m_styles;
    Settings m_settings;
    A1Resolver m_resolver;
};

class GridCursor : public DbRowCursor
{
public:
    GridCursor(const SheetGrid &grid, const std::vector<std::string> &texts)
        : m_grid(grid), m_texts(texts), m_cells(grid.columns().size())
    {
    }

    bool next() override
    {
        if (m_grid.columns().empty() || m_row + 1 >= m_grid.rowCount())
            return false;
        m_grid.readRow(++m_row, m_cells, m_texts);
        return true;
    }
    const DbCell &cell(int column) override { return m_cells.at(std::size_t(column)); }

private:
    const SheetGrid &m_grid;
    const std::vector<std::string> &m_texts;
    std::vector<DbCell> m_cells;
    std::uint32_t m_row = 0; // the heading row; data starts at 1
};

} // namespace

struct OrcusSource::Document
{
    std::vector<std::string> texts;
    std::vector<std::string> names;
    std::vector<SheetGrid> grids;
};

OrcusSource::OrcusSource(const std::string &path, Format format) : m_document(std::make_unique<Document>())
{
    Factory factory(m_document->texts, format == Format::Xlsx);
    try {
        if (format == Format::Xlsx) {
            orcus::orcus_xlsx filter(&factory);
            filter.read_file(path);
        } else {
            // liborcus parses content.xml on a second thread by default, queueing every
            // token it finds: a 100,000-row sheet then costs about 90 MB more than parsing
            // it in place, and is no faster on two cores.
            ::setenv("ORCUS_ODS_USE_THREADS", "0", 1);
            orcus::orcus_ods filter(&factory);
            filter.read_file(path);
        }
    } catch (const std::bad_alloc &) {
        throw;
    } catch (const std::exception &e) {
        throw DbSourceError(kOpenFailed, "The workbook '" + path + "' could not be read: " + e.what());
    }
    // liborcus passes over a missing content.xml with a note on standard output.
    if (factory.sheets.empty())
        throw DbSourceError(kOpenFailed, "The workbook '" + path + "' holds no worksheet.");
    for (auto &sheet : factory.sheets) {
        sheet->grid().finish(m_document->texts, factory.dateOrigin(),
                             [&](std::uint32_t xf) { return factory.styles().isDate(xf); });
        m_document->names.push_back(sheet->name());
        m_document->grids.push_back(std::move(sheet->grid()));
    }
    m_document->texts.shrink_to_fit();
}

OrcusSource::~OrcusSource() = default;

int OrcusSource::tableCount() const { return int(m_document->names.size()); }

std::string OrcusSource::tableName(int table) const { return m_document->names.at(std::size_t(table)) + "$"; }

std::string OrcusSource::tableAlias(int table) const { return m_document->names.at(std::size_t(table)); }

std::string OrcusSource::tableType(int) const { return "SYSTEM TABLE"; }

const std::vector<DbColumnInfo> &OrcusSource::columns(int table)
{
    return m_document->grids.at(std::size_t(table)).columns();
}

std::unique_ptr<DbRowCursor> OrcusSource::openCursor(int table, std::uint64_t)
{
    return std::make_unique<GridCursor>(m_document->grids.at(std::size_t(table)), m_document->texts);
}
