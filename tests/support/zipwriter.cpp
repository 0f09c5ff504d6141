#include "zipwriter.h"

#include "littleendian.h"

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
        const bool packed = deflate && entry.name != QLatin1String("mimetype");
        // qCompress: a 4-byte length, zlib's 2-byte header, the deflate stream, Adler-32.
        const QByteArray data = packed ? qCompress(entry.data, 9).mid(6).chopped(4) : entry.data;
        // The fields the local and the central header share: version 2.0, flags (bit 11:
        // UTF-8 names), method, time and date (1980-01-01 00:00), CRC, sizes, name length
        // and no extra field.
        QByteArray common;
        for (quint16 v : {quint16(20), quint16(0x0800), quint16(packed ? 8 : 0), quint16(0), quint16(0x21)})
            put16(common, v);
        for (quint32 v : {crc32(entry.data), quint32(data.size()), quint32(entry.data.size())})
            put32(common, v);
        put16(common, quint16(name.size()));
        put16(common, 0);
        // The central header adds the made-by version, then comment length, disk,
        // attributes and the local header's offset.
        put32(directory, 0x02014b50);
        put16(directory, 20);
        directory += common;
        for (int i = 0; i < 3; ++i)
            put16(directory, 0);
        put32(directory, 0);
        put32(directory, quint32(out.size()));
        directory += name;
        put32(out, 0x04034b50);
        out += common + name + data;
    }
    const auto directoryOffset = quint32(out.size());
    out += directory;
    // End of central directory: disk numbers, entry counts, directory size and offset.
    put32(out, 0x06054b50);
    for (quint16 v : {quint16(0), quint16(0), quint16(entries.size()), quint16(entries.size())})
        put16(out, v);
    put32(out, quint32(directory.size()));
    put32(out, directoryOffset);
    put16(out, 0);
    return out;
}

} // namespace

QByteArray ZipWriter::stored(const QList<Entry> &entries) { return archive(entries, false); }

QByteArray ZipWriter::deflated(const QList<Entry> &entries) { return archive(entries, true); }
