#include "accesswriter.h"

#include <QSaveFile>
#include <QStringEncoder>

#include <stdexcept>
#include <utility>

namespace AccessWriter {
namespace {

// Jet column types.
constexpr quint8 kInteger = 0x03, kLong = 0x04, kText = 0x0A, kOle = 0x0B;
// Column flags: a fixed-length column, a column that may hold Null.
constexpr quint8 kFixed = 0x01, kNullable = 0x02;
constexpr quint16 kGeneralSortOrder = 0x0409; // Access's "General" collation (US English)
constexpr quint16 kWindows1252 = 1252;
// MSysObjects: Type 1 is a table; Flags bit 31 marks a system object, which readers hide.
constexpr qint32 kTableObject = 1;
constexpr qint32 kSystemObject = qint32(0x80000000u);
constexpr int kMaxNameLength = 64; // Access's limit for table and column names

struct Field
{
    QString name;
    quint8 type;
    int size; // characters for Text
};

// Where the two formats differ.
struct Layout
{
    bool jet4;
    int pageSize;
    int rowCountAt;   // data page: row count, then the table of row offsets
    int headerExtra;  // table definition: Jet 4 has 4 more bytes before the row count, 16 after it
    int columnEntry;  // table definition: bytes per column entry
    int colNumAt, sortAt, flagsAt, fixedAt, lengthAt; // within a column entry
    int mapBytes;     // bitmap bytes in a page usage map, as Access sizes it
};
constexpr Layout kJet3{false, 2048, 0x08, 0, 18, 1, 9, 13, 14, 16, 128};
constexpr Layout kJet4{true, 4096, 0x0C, 20, 25, 5, 11, 15, 21, 23, 64};

const QList<Field> kCatalogFields{{QStringLiteral("Id"), kLong, 0},
                                  {QStringLiteral("Name"), kText, 255},
                                  {QStringLiteral("Type"), kInteger, 0},
                                  {QStringLiteral("Flags"), kLong, 0},
                                  {QStringLiteral("LvProp"), kOle, 0}}; // properties: always Null here

[[noreturn]] void fail(const QString &what)
{
    throw std::invalid_argument(QStringLiteral("AccessWriter: %1").arg(what).toStdString());
}

int fixedSize(quint8 type) { return type == kLong ? 4 : type == kInteger ? 2 : 0; }

void put(QByteArray &bytes, int at, quint32 value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[at + i] = char(value >> (8 * i));
}

void append(QByteArray &bytes, quint32 value, int size)
{
    bytes.resize(bytes.size() + size);
    put(bytes, bytes.size() - size, value, size);
}

QByteArray ucs2(const QString &text)
{
    QByteArray bytes;
    for (const QChar c : text)
        append(bytes, c.unicode(), 2);
    return bytes;
}

// Access masks the header from 0x18 with RC4 under a fixed key; masking again unmasks.
void rc4Mask(char *data, int size)
{
    static constexpr quint8 kKey[4] = {0xC7, 0xDA, 0x39, 0x6B};
    quint8 s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = quint8(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + kKey[i % 4]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    for (int k = 0, i = 0, j = 0; k < size; ++k) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        data[k] = char(data[k] ^ s[(s[i] + s[j]) & 0xFF]);
    }
}

class Writer
{
public:
    explicit Writer(Format format) : m_f(format == Format::Jet3 ? kJet3 : kJet4), m_ace(format == Format::Ace12) {}

    QByteArray run(const QList<Table> &tables)
    {
        // Page 2 is where readers look for MSysObjects; page 1 holds its usage maps.
        m_pages = {headerPage(), {}, {}};
        QList<QVariantList> catalog{{2, QStringLiteral("MSysObjects"), kTableObject, kSystemObject, {}}};
        for (const Table &table : tables) {
            QList<Field> fields;
            for (const Column &c : table.columns)
                fields.append({c.name, c.type == Column::Type::Long ? kLong : kText, c.size});
            const int mapPage = int(m_pages.size());
            m_pages << QByteArray() << QByteArray();
            placeTable(table.name, fields, table.rows, mapPage, false);
            // Id: the low 24 bits give the table definition page.
            catalog.append({mapPage + 1, table.name, kTableObject, 0, {}});
        }
        // The catalog's rows go last, as they name the pages of every other table.
        placeTable(QStringLiteral("MSysObjects"), kCatalogFields, catalog, 1, true);
        QByteArray file;
        for (const QByteArray &page : std::as_const(m_pages))
            file += page;
        return file;
    }

private:
    QByteArray headerPage() const
    {
        QByteArray page(m_f.pageSize, '\0');
        // Page type 0, the engine's name; Access 2007 (ACE 12) names another engine and a
        // version of 2 over the Jet 4 layout.
        page.replace(0, 20, QByteArray(m_ace ? "\0\1\0\0Standard ACE DB\0" : "\0\1\0\0Standard Jet DB\0", 20));
        page[0x14] = char(m_ace ? 2 : m_f.jet4 ? 1 : 0);                   // version
        put(page, m_f.jet4 ? 0x6E : 0x3A, kGeneralSortOrder, 2);            // database sort order
        put(page, 0x3C, kWindows1252, 2);                                   // code page of Jet 3 text
        // 0x3E database key stays 0: the other pages are not encrypted.
        rc4Mask(page.data() + 0x18, m_f.jet4 ? 128 : 126);
        return page;
    }

    int roomOnPage() const { return m_f.pageSize - m_f.rowCountAt - 2; }

    // A name: its length in bytes (one byte in Jet 3, two in Jet 4), then its characters,
    // UCS-2 uncompressed in Jet 4 as Access writes them.
    QByteArray encodeName(const QString &name, const QString &where) const
    {
        if (name.isEmpty() || name.size() > kMaxNameLength)
            fail(QStringLiteral("%1: a name must have 1 to %2 characters").arg(where).arg(kMaxNameLength));
        bool encodable = true;
        const QByteArray bytes = m_f.jet4 ? ucs2(name) : encodeText(name, &encodable);
        if (!encodable)
            fail(QStringLiteral("%1: \"%2\" has characters outside Windows-1252").arg(where, name));
        QByteArray out;
        append(out, quint32(bytes.size()), m_f.jet4 ? 2 : 1);
        return out + bytes;
    }

    // Jet 3 text is Windows-1252; *encodable turns false when a character has no byte there.
    QByteArray encodeText(const QString &text, bool *encodable) const
    {
        if (!m_f.jet4) {
            const QByteArray bytes = m_cp1252.encode(text);
            *encodable = m_cp1252.isValid() && !m_cp1252.hasError();
            return bytes;
        }
        // Unicode compression: after the FF FE mark a character below U+0100 takes one
        // byte, others two; a zero byte switches between the modes, so a character whose
        // low byte is zero rules it out. Access keeps it only when it saves space.
        const QByteArray plain = ucs2(text);
        QByteArray packed("\xFF\xFE");
        bool narrowMode = true;
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if ((u & 0xFF) == 0)
                return plain;
            if ((u < 0x100) != narrowMode) {
                packed += '\0';
                narrowMode = !narrowMode;
            }
            append(packed, u, narrowMode ? 1 : 2);
        }
        return packed.size() < plain.size() ? packed : plain;
    }

    // Row: column count, fixed columns at their offsets, variable columns, then (when the
    // table has variable columns) their offset table, and the null mask (bit set = not Null).
    QByteArray encodeRow(const QList<Field> &fields, const QVariantList &values, const QString &table,
                         int rowNumber) const
    {
        // Built only for an error: a large table has many cells.
        const auto where = [&](const QString &column = {}) {
            const QString row = QStringLiteral("table '%1' row %2").arg(table).arg(rowNumber);
            return column.isEmpty() ? row : QStringLiteral("%1 column '%2'").arg(row, column);
        };
        if (values.size() != fields.size())
            fail(QStringLiteral("%1 has %2 values for %3 columns").arg(where()).arg(values.size()).arg(fields.size()));
        const int countBytes = m_f.jet4 ? 2 : 1;
        int fixedBytes = 0;
        for (const Field &f : fields)
            fixedBytes += fixedSize(f.type);
        QByteArray fixed, var, nullMask((fields.size() + 7) / 8, '\0');
        QList<int> varStarts;
        for (int i = 0; i < fields.size(); ++i) {
            const Field &f = fields[i];
            const QVariant &value = values[i];
            if (!value.isNull())
                nullMask[i / 8] = char(nullMask[i / 8] | (1 << (i % 8)));
            if (fixedSize(f.type)) {
                bool ok = true;
                const qint32 number = value.isNull() ? 0 : value.toInt(&ok);
                if (!ok)
                    fail(QStringLiteral("%1: %2 is not a Long Integer").arg(where(f.name), value.toString()));
                append(fixed, quint32(number), fixedSize(f.type));
                continue;
            }
            varStarts << countBytes + fixedBytes + int(var.size());
            if (value.isNull())
                continue;
            const QString text = value.toString();
            if (text.size() > f.size)
                fail(QStringLiteral("%1: \"%2\" is longer than %3 characters").arg(where(f.name), text).arg(f.size));
            bool encodable = true;
            var += encodeText(text, &encodable);
            if (!encodable)
                fail(QStringLiteral("%1: \"%2\" has characters outside Windows-1252").arg(where(f.name), text));
        }
        QByteArray row;
        append(row, quint32(fields.size()), countBytes);
        row += fixed + var;
        const int varCount = int(varStarts.size());
        const int eod = int(row.size()); // end of the variable data
        if (varCount && m_f.jet4) {
            append(row, eod, 2);
            for (int k = varCount - 1; k >= 0; --k)
                append(row, varStarts[k], 2);
            append(row, varCount, 2);
        } else if (varCount) {
            // Jet 3 keeps one byte per offset; rows past 256 bytes would need a jump table.
            if (eod + 2 + varCount + int(nullMask.size()) > 256)
                fail(QStringLiteral("%1 is too long for Jet 3's one-byte offsets").arg(where()));
            append(row, eod, 1);
            for (int k = varCount - 1; k >= 0; --k)
                append(row, varStarts[k], 1);
            append(row, varCount, 1);
        }
        row += nullMask;
        if (row.size() + 2 > roomOnPage())
            fail(QStringLiteral("%1 does not fit one page").arg(where()));
        return row;
    }

    // Data page: type 1, free space, owning table's definition page, row count, row offsets;
    // rows are stored from the end of the page backwards.
    QByteArray dataPage(int owner, const QList<QByteArray> &rows) const
    {
        QByteArray page(m_f.pageSize, '\0');
        page[0] = 0x01;
        page[1] = 0x01;
        put(page, 4, owner, 4);
        put(page, m_f.rowCountAt, quint32(rows.size()), 2);
        int end = m_f.pageSize;
        for (int i = 0; i < rows.size(); ++i) {
            end -= int(rows[i].size());
            page.replace(end, rows[i].size(), rows[i]);
            put(page, m_f.rowCountAt + 2 + 2 * i, end, 2);
        }
        put(page, 2, end - (m_f.rowCountAt + 2 + 2 * int(rows.size())), 2);
        return page;
    }

    // Usage map, type 0: the first page it covers, then one bit per page from there.
    QByteArray usageMap(const QList<int> &pages) const
    {
        const int first = pages.isEmpty() ? 0 : pages.first();
        QByteArray map(1, '\0');
        append(map, first, 4);
        QByteArray bits(qMax(m_f.mapBytes, pages.isEmpty() ? 0 : (pages.last() - first) / 8 + 1), '\0');
        for (const int page : pages)
            bits[(page - first) / 8] = char(bits[(page - first) / 8] | (1 << ((page - first) % 8)));
        return map + bits;
    }

    // Appends the table's data pages and fills in its usage-map page and, after it, its
    // table definition page.
    void placeTable(const QString &name, const QList<Field> &fields, const QList<QVariantList> &rows,
                    int mapPage, bool system)
    {
        const QString where = QStringLiteral("table '%1'").arg(name);
        const int tdefPage = mapPage + 1;
        QList<int> dataPages;
        QList<QByteArray> onPage;
        int used = 0;
        auto flush = [&] {
            dataPages << int(m_pages.size());
            m_pages << dataPage(tdefPage, onPage);
            onPage.clear();
            used = 0;
        };
        for (int i = 0; i < rows.size(); ++i) {
            const QByteArray row = encodeRow(fields, rows[i], name, i + 1);
            if (used + row.size() + 2 > roomOnPage())
                flush();
            onPage << row;
            used += int(row.size()) + 2;
        }
        if (!onPage.isEmpty())
            flush();
        // The used-page map and the free-space map; every page here may take more rows.
        const QByteArray map = usageMap(dataPages);
        if (2 * (map.size() + 2) > roomOnPage())
            fail(QStringLiteral("%1 has too many pages for its usage map").arg(where));
        m_pages[mapPage] = dataPage(0, {map, map});
        m_pages[tdefPage] = tableDefinition(name, fields, int(rows.size()), mapPage, system);
    }

    QByteArray tableDefinition(const QString &name, const QList<Field> &fields, int rowCount, int mapPage,
                               bool system) const
    {
        const int x = m_f.headerExtra;
        QByteArray def(43 + x, '\0');
        def[0] = 0x02; // page type: table definition
        def[1] = 0x01;
        if (!m_f.jet4)
            def.replace(2, 2, "VC");                   // Jet 3 tag; Jet 4 puts free space here
        put(def, m_f.jet4 ? 16 : 12, rowCount, 4);      // row count
        def[20 + x] = system ? 'S' : 'N';               // table type: system or user
        int varCount = 0;
        for (const Field &f : fields)
            varCount += fixedSize(f.type) ? 0 : 1;
        put(def, 21 + x, quint32(fields.size()), 2);   // columns a row may hold
        put(def, 23 + x, varCount, 2);                  // variable columns
        put(def, 25 + x, quint32(fields.size()), 2);   // columns; 27 + x indexes and 31 + x real indexes stay 0
        put(def, 35 + x, quint32(mapPage) << 8, 4);     // used-page map: page << 8 | row
        put(def, 39 + x, quint32(mapPage) << 8 | 1, 4); // free-space map
        int fixedOffset = 0, varIndex = 0;
        for (int i = 0; i < fields.size(); ++i) {
            const Field &f = fields[i];
            const QString at = QStringLiteral("table '%1' column '%2'").arg(name, f.name);
            if (f.type == kText && (f.size < 1 || f.size > 255))
                fail(QStringLiteral("%1: a Text column holds 1 to 255 characters").arg(at));
            QByteArray entry(m_f.columnEntry, '\0');
            entry[0] = char(f.type);
            put(entry, m_f.colNumAt, i, 2);
            put(entry, m_f.colNumAt + 4, m_f.jet4 ? i : i + 1, 2); // column number again (Jet 3 from 1)
            put(entry, m_f.sortAt, kGeneralSortOrder, 2);
            if (!m_f.jet4)
                put(entry, m_f.sortAt + 2, kWindows1252, 2);
            const int size = fixedSize(f.type);
            entry[m_f.flagsAt] = char(kNullable | (size ? kFixed : 0));
            if (m_f.jet4 && f.type == kText)
                entry[m_f.flagsAt + 1] = 0x01; // Unicode compression allowed
            if (size) {
                put(entry, m_f.fixedAt, fixedOffset, 2);
                fixedOffset += size;
            } else {
                put(entry, m_f.colNumAt + 2, varIndex++, 2); // place in the variable offset table
            }
            put(entry, m_f.lengthAt, size ? size : f.type == kText ? f.size * (m_f.jet4 ? 2 : 1) : 0, 2);
            def += entry;
        }
        for (const Field &f : fields)
            def += encodeName(f.name, QStringLiteral("table '%1' column '%2'").arg(name, f.name));
        encodeName(name, QStringLiteral("table '%1'").arg(name)); // checked here, stored in MSysObjects
        append(def, 0xFFFF, 2); // no long-value columns with pages of their own
        if (def.size() > m_f.pageSize)
            fail(QStringLiteral("table '%1': its definition does not fit one page").arg(name));
        put(def, 8, quint32(def.size()), 4); // definition length
        if (m_f.jet4)
            put(def, 2, quint32(m_f.pageSize - def.size() - 8), 2); // free space, less 8
        def.resize(m_f.pageSize, '\0');
        return def;
    }

    const Layout &m_f;
    bool m_ace;
    mutable QStringEncoder m_cp1252{"windows-1252", QStringConverter::Flag::Stateless};
    QList<QByteArray> m_pages;
};

} // namespace

QByteArray write(Format format, const QList<Table> &tables)
{
    return Writer(format).run(tables);
}

bool writeFile(const QString &path, Format format, const QList<Table> &tables)
{
    const QByteArray bytes = write(format, tables);
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace AccessWriter
