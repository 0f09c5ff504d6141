#include "compoundfile.h"

#include "common/error.h"
#include "dberrors.h"

#include <QtEndian>
#include <vector>

namespace {

constexpr quint32 kFreeSector = 0xFFFFFFFF;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFatSector = 0xFFFFFFFD;
constexpr quint32 kNoStream = 0xFFFFFFFF;
constexpr int kHeaderSize = 512;
constexpr int kDirEntrySize = 128;
constexpr int kHeaderDifatCount = 109;
constexpr quint32 kMiniStreamCutoff = 4096;
constexpr char kSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

[[noreturn]] void fail(const QString &what)
{
    throw QuilloError(DbErrors::kOpenFailed,
                      QStringLiteral("External table is not in the expected format (%1).").arg(what),
                      DbErrors::kSourceExcel);
}

quint32 u32(const QByteArray &b, qsizetype at)
{
    if (at < 0 || at + 4 > b.size())
        fail(QStringLiteral("container cut short"));
    return qFromLittleEndian<quint32>(b.constData() + at);
}

quint16 u16(const QByteArray &b, qsizetype at)
{
    if (at < 0 || at + 2 > b.size())
        fail(QStringLiteral("container cut short"));
    return qFromLittleEndian<quint16>(b.constData() + at);
}

class Reader
{
    static constexpr quint64 kWholeChain = ~quint64(0);

public:
    explicit Reader(const QByteArray &file) : m_file(file)
    {
        if (file.size() < kHeaderSize || !file.startsWith(QByteArray(kSignature, 8)))
            fail(QStringLiteral("no compound file signature"));
        const int shift = u16(file, 0x1E);
        if (shift != 9 && shift != 12)
            fail(QStringLiteral("bad sector size"));
        m_sectorSize = 1 << shift;
        const int miniShift = u16(file, 0x20);
        if (miniShift != 6)
            fail(QStringLiteral("bad mini sector size"));
        m_sectorCount = quint32((file.size() - m_sectorSize + m_sectorSize - 1) / m_sectorSize);
        readFat();
    }

    // Follows a FAT chain; a chain longer than the file has sectors is a loop.
    std::vector<quint32> chain(quint32 start, const std::vector<quint32> &table) const
    {
        std::vector<quint32> sectors;
        for (quint32 s = start; s != kEndOfChain;) {
            if (s >= table.size() || sectors.size() > table.size())
                fail(QStringLiteral("broken sector chain"));
            sectors.push_back(s);
            s = table[s];
        }
        return sectors;
    }

    QByteArray readChain(quint32 start, quint64 size) const
    {
        QByteArray out;
        for (quint32 s : chain(start, m_fat)) {
            const qsizetype at = qsizetype(s + 1) * m_sectorSize;
            if (at >= m_file.size())
                fail(QStringLiteral("sector past the end of the file"));
            out.append(m_file.mid(at, m_sectorSize));
            if (quint64(out.size()) >= size)
                break;
        }
        if (size != kWholeChain && quint64(out.size()) < size)
            fail(QStringLiteral("stream shorter than its size"));
        if (size != kWholeChain)
            out.truncate(qsizetype(size));
        return out;
    }

    QByteArray stream(const QStringList &names, QString *foundName) const
    {
        const QByteArray dir = readChain(u32(m_file, 0x30), kWholeChain);
        const int entries = int(dir.size() / kDirEntrySize);
        for (int i = 1; i < entries; ++i) {
            const qsizetype at = qsizetype(i) * kDirEntrySize;
            if (dir.at(at + 0x42) != 2) // stream objects only
                continue;
            const int nameBytes = qBound(0, int(u16(dir, at + 0x40)) - 2, 62);
            const QString name = QString::fromUtf16(
                reinterpret_cast<const char16_t *>(dir.constData() + at), nameBytes / 2);
            if (!names.contains(name, Qt::CaseInsensitive))
                continue;
            const quint32 start = u32(dir, at + 0x74);
            const quint64 size = u32(dir, at + 0x78); // the high half is unused in version 3
            if (size > quint64(m_file.size()))
                fail(QStringLiteral("stream larger than the file"));
            if (foundName)
                *foundName = name;
            if (size >= kMiniStreamCutoff)
                return readChain(start, size);
            return readMini(dir, start, size);
        }
        fail(QStringLiteral("no workbook stream"));
    }

private:

    void readFat()
    {
        std::vector<quint32> fatSectors;
        const quint32 fatCount = u32(m_file, 0x2C);
        if (fatCount > m_sectorCount)
            fail(QStringLiteral("bad FAT size"));
        for (int i = 0; i < kHeaderDifatCount && fatSectors.size() < fatCount; ++i)
            fatSectors.push_back(u32(m_file, 0x4C + 4 * i));
        quint32 difat = u32(m_file, 0x44);
        const int perSector = m_sectorSize / 4;
        for (quint32 guard = 0; fatSectors.size() < fatCount && difat < m_sectorCount; ++guard) {
            if (guard > m_sectorCount)
                fail(QStringLiteral("looping DIFAT"));
            const qsizetype at = qsizetype(difat + 1) * m_sectorSize;
            for (int i = 0; i < perSector - 1 && fatSectors.size() < fatCount; ++i)
                fatSectors.push_back(u32(m_file, at + 4 * i));
            difat = u32(m_file, at + 4 * (perSector - 1));
        }
        for (quint32 s : fatSectors) {
            if (s >= m_sectorCount)
                fail(QStringLiteral("FAT sector past the end of the file"));
            const qsizetype at = qsizetype(s + 1) * m_sectorSize;
            for (int i = 0; i < perSector; ++i)
                m_fat.push_back(u32(m_file, at + 4 * i));
        }
    }

    QByteArray readMini(const QByteArray &dir, quint32 start, quint64 size) const
    {
        // The mini stream is the root entry's stream; its 64-byte sectors are chained
        // by the mini FAT, itself a regular stream.
        const quint32 miniFatStart = u32(m_file, 0x3C);
        const quint32 miniFatSectors = u32(m_file, 0x40);
        if (miniFatSectors > m_sectorCount)
            fail(QStringLiteral("bad mini FAT size"));
        const QByteArray miniFatBytes = readChain(miniFatStart, quint64(miniFatSectors) * m_sectorSize);
        std::vector<quint32> miniFat;
        for (qsizetype i = 0; i + 4 <= miniFatBytes.size(); i += 4)
            miniFat.push_back(u32(miniFatBytes, i));
        const QByteArray ministream = readChain(u32(dir, 0x74), u32(dir, 0x78));
        QByteArray out;
        for (quint32 s : chain(start, miniFat)) {
            const qsizetype at = qsizetype(s) * 64;
            if (at + 64 > ministream.size())
                fail(QStringLiteral("mini sector past the end of the mini stream"));
            out.append(ministream.mid(at, 64));
            if (quint64(out.size()) >= size)
                break;
        }
        if (quint64(out.size()) < size)
            fail(QStringLiteral("stream shorter than its size"));
        out.truncate(qsizetype(size));
        return out;
    }

    const QByteArray &m_file;
    int m_sectorSize = 512;
    quint32 m_sectorCount = 0;
    std::vector<quint32> m_fat;
};

void put32(QByteArray &b, qsizetype at, quint32 v) { qToLittleEndian<quint32>(v, b.data() + at); }
void put16(QByteArray &b, qsizetype at, quint16 v) { qToLittleEndian<quint16>(v, b.data() + at); }

void putDirEntry(QByteArray &b, qsizetype at, const QString &name, quint8 type, quint32 child,
                 quint32 start, quint32 size)
{
    const QString n = name.left(31);
    for (int i = 0; i < n.size(); ++i)
        put16(b, at + 2 * i, n.at(i).unicode());
    put16(b, at + 0x40, quint16((n.size() + 1) * 2));
    b[at + 0x42] = char(type);
    b[at + 0x43] = 1; // black: a one-node red-black tree
    put32(b, at + 0x44, kNoStream);
    put32(b, at + 0x48, kNoStream);
    put32(b, at + 0x4C, child);
    put32(b, at + 0x74, start);
    put32(b, at + 0x78, size);
}

} // namespace

QByteArray CompoundFile::readStream(const QByteArray &file, const QStringList &names, QString *foundName)
{
    return Reader(file).stream(names, foundName);
}

QByteArray CompoundFile::writeSingleStream(const QString &name, const QByteArray &data, int minimumSize)
{
    constexpr int kSector = 512;
    constexpr int kPerFatSector = kSector / 4;
    QByteArray stream = data;
    if (stream.size() < minimumSize)
        stream.append(QByteArray(minimumSize - stream.size(), '\0'));
    const quint32 dataSectors = quint32((stream.size() + kSector - 1) / kSector);
    stream.append(QByteArray(qsizetype(dataSectors) * kSector - stream.size(), '\0'));
    // FAT sectors describe themselves, the directory sector and the data sectors.
    quint32 fatSectors = 1;
    while (fatSectors * kPerFatSector < fatSectors + 1 + dataSectors)
        ++fatSectors;
    if (fatSectors > quint32(kHeaderDifatCount))
        throw QuilloError(DbErrors::kOpenFailed, QStringLiteral("The workbook is too large to repack."),
                          DbErrors::kSourceExcel);
    const quint32 dirSector = fatSectors;
    const quint32 firstData = fatSectors + 1;

    QByteArray header(kHeaderSize, '\0');
    header.replace(0, 8, QByteArray(kSignature, 8));
    put16(header, 0x18, 0x003E);
    put16(header, 0x1A, 3);
    put16(header, 0x1C, 0xFFFE);
    put16(header, 0x1E, 9);
    put16(header, 0x20, 6);
    put32(header, 0x2C, fatSectors);
    put32(header, 0x30, dirSector);
    put32(header, 0x38, kMiniStreamCutoff);
    put32(header, 0x3C, kEndOfChain);
    put32(header, 0x44, kEndOfChain);
    for (int i = 0; i < kHeaderDifatCount; ++i)
        put32(header, 0x4C + 4 * i, quint32(i) < fatSectors ? quint32(i) : kFreeSector);

    QByteArray fat(qsizetype(fatSectors) * kSector, '\xFF');
    for (quint32 i = 0; i < fatSectors; ++i)
        put32(fat, 4 * i, kFatSector);
    put32(fat, 4 * dirSector, kEndOfChain);
    for (quint32 i = 0; i < dataSectors; ++i)
        put32(fat, 4 * (firstData + i), i + 1 < dataSectors ? firstData + i + 1 : kEndOfChain);

    QByteArray dir(kSector, '\0');
    putDirEntry(dir, 0, QStringLiteral("Root Entry"), 5, 1, kEndOfChain, 0);
    putDirEntry(dir, kDirEntrySize, name, 2, kNoStream, firstData, quint32(stream.size()));
    for (int i = 2; i < kSector / kDirEntrySize; ++i) {
        const qsizetype at = qsizetype(i) * kDirEntrySize;
        put32(dir, at + 0x44, kNoStream);
        put32(dir, at + 0x48, kNoStream);
        put32(dir, at + 0x4C, kNoStream);
    }
    return header + fat + dir + stream;
}
