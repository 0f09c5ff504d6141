#include "xlswriter.h"

#include "compoundfile.h"

#include <QHash>
#include <QStringList>
#include <QtEndian>

namespace {

class Biff
{
public:
    void record(quint16 type, const QByteArray &body)
    {
        put16(m_out, type);
        put16(m_out, quint16(body.size()));
        m_out += body;
    }
    qsizetype size() const { return m_out.size(); }
    QByteArray &bytes() { return m_out; }

    static void put16(QByteArray &b, quint16 v) { char c[2]; qToLittleEndian(v, c); b.append(c, 2); }
    static void put32(QByteArray &b, quint32 v) { char c[4]; qToLittleEndian(v, c); b.append(c, 4); }

private:
    QByteArray m_out;
};

QByteArray bof(quint16 kind)
{
    QByteArray b;
    Biff::put16(b, 0x0600); // BIFF8
    Biff::put16(b, kind);   // 0x0005 workbook globals, 0x0010 worksheet
    Biff::put16(b, 0x0DBB);
    Biff::put16(b, 0x07CC);
    Biff::put32(b, 0);
    Biff::put32(b, 0x0206);
    return b;
}

// An uncompressed-Latin-1 string with a 16-bit length, as the SST stores them.
QByteArray sstString(const QString &s)
{
    QByteArray b;
    Biff::put16(b, quint16(s.size()));
    b.append(char(1)); // UTF-16LE characters
    for (QChar c : s)
        Biff::put16(b, c.unicode());
    return b;
}

} // namespace

QByteArray writeBenchWorkbook(const QString &sheet, const QStringList &headings, int rows,
                              const std::function<QVariant(int, int)> &cell)
{
    // Strings go to the shared string table; collect them first.
    QStringList strings = headings;
    QHash<QString, int> index;
    for (int i = 0; i < strings.size(); ++i)
        index.insert(strings[i], i);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < headings.size(); ++c) {
            const QVariant v = cell(r, c);
            if (v.typeId() == QMetaType::QString && !index.contains(v.toString())) {
                index.insert(v.toString(), int(strings.size()));
                strings << v.toString();
            }
        }

    Biff globals;
    globals.record(0x0809, bof(0x0005));
    QByteArray codepage;
    Biff::put16(codepage, 0x04B0);
    globals.record(0x0042, codepage);
    // One FONT and the XF records readers expect (15 style XFs and one cell XF).
    QByteArray font;
    Biff::put16(font, 200); Biff::put16(font, 0); Biff::put16(font, 0x7FFF); Biff::put16(font, 400);
    Biff::put16(font, 0); font.append(char(0)); font.append(char(0)); font.append(char(0)); font.append(char(0));
    font.append(char(5)); font.append(char(0));
    font.append("Arial", 5);
    globals.record(0x0031, font);
    for (int i = 0; i < 16; ++i) {
        QByteArray xf;
        Biff::put16(xf, 0); Biff::put16(xf, 0);
        Biff::put16(xf, i < 15 ? 0xFFF5 : 0x0001);
        Biff::put16(xf, 0x0020); Biff::put16(xf, 0); Biff::put32(xf, 0); Biff::put32(xf, 0); Biff::put16(xf, 0x20C0);
        globals.record(0x00E0, xf);
    }
    const qsizetype boundsheetAt = globals.size() + 4; // where lbPlyPos will sit
    QByteArray boundsheet;
    Biff::put32(boundsheet, 0); // patched below
    Biff::put16(boundsheet, 0);
    boundsheet.append(char(sheet.size()));
    boundsheet.append(char(1));
    for (QChar c : sheet)
        Biff::put16(boundsheet, c.unicode());
    globals.record(0x0085, boundsheet);

    // SST, split into CONTINUE records at the 8224-byte record limit (only between strings).
    QByteArray head;
    Biff::put32(head, quint32(strings.size()));
    Biff::put32(head, quint32(strings.size()));
    QByteArray chunk = head;
    quint16 type = 0x00FC;
    for (const QString &s : strings) {
        const QByteArray one = sstString(s);
        if (chunk.size() + one.size() > 8224) {
            globals.record(type, chunk);
            chunk.clear();
            type = 0x003C;
        }
        chunk += one;
    }
    globals.record(type, chunk);
    globals.record(0x000A, QByteArray());

    Biff ws;
    ws.record(0x0809, bof(0x0010));
    QByteArray dims;
    Biff::put32(dims, 0); Biff::put32(dims, quint32(rows + 1));
    Biff::put16(dims, 0); Biff::put16(dims, quint16(headings.size())); Biff::put16(dims, 0);
    ws.record(0x0200, dims);
    auto labelsst = [&](int r, int c, int sst) {
        QByteArray b;
        Biff::put16(b, quint16(r)); Biff::put16(b, quint16(c)); Biff::put16(b, 15); Biff::put32(b, quint32(sst));
        ws.record(0x00FD, b);
    };
    for (int c = 0; c < headings.size(); ++c)
        labelsst(0, c, c);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < headings.size(); ++c) {
            const QVariant v = cell(r, c);
            if (v.typeId() == QMetaType::QString) {
                labelsst(r + 1, c, index.value(v.toString()));
            } else if (v.isValid()) {
                QByteArray b;
                Biff::put16(b, quint16(r + 1)); Biff::put16(b, quint16(c)); Biff::put16(b, 15);
                const double d = v.toDouble();
                char raw[8];
                qToLittleEndian(d, raw);
                b.append(raw, 8);
                ws.record(0x0203, b);
            }
        }
    ws.record(0x000A, QByteArray());

    QByteArray stream = globals.bytes();
    qToLittleEndian(quint32(stream.size()), stream.data() + boundsheetAt);
    stream += ws.bytes();
    return CompoundFile::writeSingleStream(QStringLiteral("Workbook"), stream);
}
