#include "ansitext.h"

#include "error.h"
#include "errornumbers.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

// Windows-1252 for 0x80..0x9F; the rest of the high half is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // € � ‚ ƒ „ … † ‡
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, // ˆ ‰ Š ‹ Œ � Ž �
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // � ' ' " " • – —
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178, // ˜ ™ š › œ � ž Ÿ
};

QString decodeCp1252(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b < 0xA0)
            text.append(QChar(kCp1252High[b - 0x80]));
        else
            text.append(QChar(b));
    }
    return text;
}

// Maps the standard file errors onto the run-time error numbers operators know.

qint32 errorNumberFor(QFileDevice::FileError error)
{
    switch (error) {
    case QFileDevice::PermissionsError:
        return ErrorNumber::kPermissionDenied;
    case QFileDevice::OpenError:
        return ErrorNumber::kPathNotFound;
    default:
        return ErrorNumber::kFileIo;
    }
}

} // namespace

QString decodeAnsiText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return decodeCp1252(bytes);
}

QByteArray encodeAnsiText(const QString &text)
{
    return text.toUtf8();
}

QByteArray readFileBytes(const QString &path, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw QuilloError(errorNumberFor(file.error()), file.errorString(), path);
    QByteArray bytes = maxBytes < 0 ? file.readAll() : file.read(maxBytes);
    if (file.error() != QFileDevice::NoError)
        throw QuilloError(ErrorNumber::kFileIo, file.errorString(), path);
    return bytes;
}

void writeFileBytes(const QString &path, const QByteArray &bytes)
{
    // QSaveFile keeps the old file whole when the write fails half way.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        throw QuilloError(errorNumberFor(file.error()), file.errorString(), path);
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw QuilloError(errorNumberFor(file.error()), file.errorString(), path);
}
