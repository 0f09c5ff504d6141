#include "zipwriter.h"

#include "littleendian.h"

#include <QtEndian>
#include <array>

namespace {

// CRC-32 as zip uses it: reflected polynomial 0xEDB88320, initial and final XOR ~0.
quint32 crc32(const QByteArray &data)
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : data)
        crc = table[(crc ^ quint8(byte)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}


QByteArray archive(const QList<ZipWriter::Entry> &entries, bool deflate)
{
    QByteArray out, directory;
    for (const ZipWriter::Entry &entry : entries) {
        const QByteArray name = entry.name.toUtf8();
        const quint32 crc = crc32(entry.data);
        const bool packed = deflate && entry.name != QLatin1String("mimetype");
        // qCompress: a 4-byte length, zlib's 2-byte header, the deflate stream, Adler-32.
        const QByteArray data = packed ? qCompress(entry.data, 9).mid(6).chopped(4) : entry.data;
        const quint16 method = packed ? 8 : 0;
        const auto offset = quint32(out.size());
        // Local file header: signature, version 2.0, flags (bit 11: UTF-8 names), method 0
        // (stored), time and date (1980-01-01 00:00), CRC, sizes, name and extra lengths.
        put32(out, 0x04034b50);
        put16(out, 20);
        put16(out, 0x0800);
        put16(out, method);
        put16(out, 0);
        put16(out, 0x21);
        put32(out, crc);
        put32(out, quint32(data.size()));
        put32(out, quint32(entry.data.size()));
        put16(out, quint16(name.size()));
        put16(out, 0);
        out += name;
        out += data;
        // Central directory header: the same, plus made-by version, comment, disk,
        // attributes and the local header's offset.
        put32(directory, 0x02014b50);
        put16(directory, 20);
        put16(directory, 20);
        put16(directory, 0x0800);
        put16(directory, method);
        put16(directory, 0);
        put16(directory, 0x21);
        put32(directory, crc);
        put32(directory, quint32(data.size()));
        put32(directory, quint32(entry.data.size()));
        put16(directory, quint16(name.size()));
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put32(directory, 0);
        put32(directory, offset);
        directory += name;
    }
    const auto directoryOffset = quint32(out.size());
    out += directory;
    // End of central directory: disk numbers, entry counts, directory size and offset.
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, quint16(entries.size()));
    put16(out, quint16(entries.size()));
    put32(out, quint32(directory.size()));
    put32(out, directoryOffset);
    put16(out, 0);
    return out;
}

} // namespace

QByteArray ZipWriter::stored(const QList<Entry> &entries)
{
    return archive(entries, false);
}

QByteArray ZipWriter::deflated(const QList<Entry> &entries)
{
    return archive(entries, true);
}
