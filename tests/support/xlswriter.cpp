#include "xlswriter.h"

#include "littleendian.h"

#include <QFile>
#include <QHash>
#include <QStringList>

namespace {

void record(QByteArray &out, quint16 type, const QByteArray &body)
{
    put16(out, type);
    put16(out, quint16(body.size()));
    out += body;
}

// Windows-1252 agrees with Latin-1 outside 0x80-0x9F, which no text written here uses.
QByteArray windows1252(const QString &text) { return text.toLatin1(); }

QByteArray bof(XlsWriter::Format format, quint16 kind) // kind: 0x0005 globals, 0x0010 worksheet
{
    QByteArray b;
    put16(b, format == XlsWriter::Format::Biff8 ? 0x0600 : 0x0500);
    put16(b, kind);
    put16(b, 0x0DBB); // build and year of the writing application
    put16(b, 0x07CC);
    if (format == XlsWriter::Format::Biff8) {
        put32(b, 0);
        put32(b, 0x0206); // lowest BIFF version that can read the file
    }
    return b;
}

QByteArray directoryEntry(const QString &name, quint8 type, quint32 child, quint32 start, quint32 size)
{
    QByteArray e;
    for (QChar c : name)
        put16(e, c.unicode());
    e.append(64 - e.size(), '\0');
    put16(e, name.isEmpty() ? 0 : quint16(name.size() * 2 + 2));
    e.append(char(type));
    e.append(char(1)); // black in the red-black tree
    put32(e, 0xFFFFFFFF);
    put32(e, 0xFFFFFFFF);
    put32(e, child);
    e.append(36, '\0'); // class id, state bits, times
    put32(e, start);
    put32(e, size);
    put32(e, 0);
    return e;
}

// A version 3 compound file (512-byte sectors): the stream's sectors, one directory
// sector, then the FAT. A stream under the 4096-byte cutoff would belong in the mini
// stream, so short ones are padded past it.
QByteArray compoundFile(const QString &streamName, QByteArray stream)
{
    constexpr quint32 kEndOfChain = 0xFFFFFFFE, kFree = 0xFFFFFFFF, kFatSector = 0xFFFFFFFD;
    if (stream.size() < 4608)
        stream.append(4608 - stream.size(), '\0');
    const quint32 size = quint32(stream.size());
    const quint32 streamSectors = (size + 511) / 512;
    stream.append(streamSectors * 512 - size, '\0');
    quint32 fatSectors = 1;
    while (fatSectors * 128 < streamSectors + 1 + fatSectors)
        ++fatSectors;
    if (fatSectors > 109) // beyond the header's own FAT list: about 7 MB
        return {};
    const quint32 directory = streamSectors;

    QByteArray file = QByteArray::fromHex("D0CF11E0A1B11AE1") + QByteArray(16, '\0');
    for (quint16 v : {0x003E, 0x0003, 0xFFFE, 9, 6}) // versions, byte order, sector and mini sector shift
        put16(file, v);
    file.append(10, '\0');
    for (quint32 v : {fatSectors, directory, 0u, 4096u, kEndOfChain, 0u, kEndOfChain, 0u})
        put32(file, v);
    for (quint32 i = 0; i < 109; ++i)
        put32(file, i < fatSectors ? directory + 1 + i : kFree);
    file += stream;
    file += directoryEntry(QStringLiteral("Root Entry"), 5, 1, kEndOfChain, 0);
    file += directoryEntry(streamName, 2, 0xFFFFFFFF, 0, size);
    file += directoryEntry({}, 0, 0xFFFFFFFF, 0, 0) + directoryEntry({}, 0, 0xFFFFFFFF, 0, 0);
    for (quint32 sector = 0; sector < fatSectors * 128; ++sector) {
        if (sector + 1 < streamSectors)
            put32(file, sector + 1);
        else if (sector < streamSectors + 1)
            put32(file, kEndOfChain);
        else
            put32(file, sector < streamSectors + 1 + fatSectors ? kFatSector : kFree);
    }
    return file;
}

} // namespace

namespace XlsWriter {

QByteArray write(Format format, const QList<Sheet> &sheets)
{
    const bool biff8 = format == Format::Biff8;
    QStringList strings; // BIFF8's shared string table, in order of first use
    QHash<QString, quint32> stringIndex;
    QList<QByteArray> worksheets;
    for (const Sheet &sheet : sheets) {
        QByteArray ws;
        record(ws, 0x0809, bof(format, 0x0010));
        qsizetype columns = 0;
        for (const QVariantList &row : sheet.rows)
            columns = std::max(columns, row.size());
        QByteArray dimensions; // rows first to last + 1 (32-bit in BIFF8), columns likewise, reserved
        for (quint32 row : {0u, quint32(sheet.rows.size())})
            biff8 ? put32(dimensions, row) : put16(dimensions, quint16(row));
        for (quint16 v : {quint16(0), quint16(columns), quint16(0)})
            put16(dimensions, v);
        record(ws, 0x0200, dimensions);
        for (qsizetype r = 0; r < sheet.rows.size(); ++r) {
            for (qsizetype c = 0; c < sheet.rows[r].size(); ++c) {
                const QVariant &value = sheet.rows[r][c];
                if (!value.isValid())
                    continue;
                QByteArray cell;
                for (quint16 v : {quint16(r), quint16(c), quint16(0)}) // row, column, XF
                    put16(cell, v);
                if (value.typeId() != QMetaType::QString) {
                    char raw[8];
                    qToLittleEndian(value.toDouble(), raw);
                    cell.append(raw, 8);
                    record(ws, 0x0203, cell); // NUMBER
                } else if (biff8) {
                    const QString text = value.toString();
                    if (!stringIndex.contains(text)) {
                        stringIndex.insert(text, quint32(strings.size()));
                        strings << text;
                    }
                    put32(cell, stringIndex.value(text));
                    record(ws, 0x00FD, cell); // LABELSST
                } else {
                    const QByteArray text = windows1252(value.toString());
                    put16(cell, quint16(text.size()));
                    record(ws, 0x0204, cell + text); // LABEL
                }
            }
        }
        record(ws, 0x000A, {});
        worksheets << ws;
    }

    QByteArray stream;
    record(stream, 0x0809, bof(format, 0x0005));
    QByteArray codepage;
    put16(codepage, biff8 ? 1200 : 1252); // UTF-16 or Windows-1252
    record(stream, 0x0042, codepage);
    QList<qsizetype> sheetOffsets;
    for (const Sheet &sheet : sheets) {
        sheetOffsets << stream.size() + 4;
        QByteArray boundsheet;
        put32(boundsheet, 0); // the worksheet's offset, set below
        put16(boundsheet, 0); // a visible worksheet
        boundsheet.append(char(sheet.name.size()));
        if (biff8) {
            boundsheet.append(char(1)); // UTF-16 characters follow
            for (QChar c : sheet.name)
                put16(boundsheet, c.unicode());
        } else {
            boundsheet += windows1252(sheet.name);
        }
        record(stream, 0x0085, boundsheet);
    }
    if (biff8) {
        // SST, continued in CONTINUE records at the 8224-byte record limit (between strings only).
        QByteArray chunk;
        put32(chunk, quint32(strings.size()));
        put32(chunk, quint32(strings.size()));
        quint16 type = 0x00FC;
        for (const QString &s : strings) {
            QByteArray one;
            put16(one, quint16(s.size()));
            one.append(char(1));
            for (QChar c : s)
                put16(one, c.unicode());
            if (chunk.size() + one.size() > 8224) {
                record(stream, type, chunk);
                chunk.clear();
                type = 0x003C;
            }
            chunk += one;
        }
        record(stream, type, chunk);
    }
    record(stream, 0x000A, {});
    for (qsizetype i = 0; i < worksheets.size(); ++i) {
        qToLittleEndian(quint32(stream.size()), stream.data() + sheetOffsets[i]);
        stream += worksheets[i];
    }
    return compoundFile(biff8 ? QStringLiteral("Workbook") : QStringLiteral("Book"), stream);
}

bool writeFile(const QString &path, Format format, const QList<Sheet> &sheets)
{
    const QByteArray bytes = write(format, sheets);
    QFile file(path);
    return !bytes.isEmpty() && file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace XlsWriter
