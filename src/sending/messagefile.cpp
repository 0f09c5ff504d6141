#include "messagefile.h"

#include "common/ansitext.h"
#include "common/error.h"
#include "common/errornumbers.h"

#include <QFileInfo>
#include <QtEndian>

QByteArray encodeMessageFile(const QString &text, bool unicode)
{
    if (!unicode)
        return encodeAnsiText(text) + "\r\n";
    QByteArray bytes;
    bytes.reserve(2 + text.size() * 2);
    bytes.append(char(0xFF)).append(char(0xFE));
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        bytes.append(char(code & 0xFF)).append(char(code >> 8));
    }
    return bytes;
}

namespace {

QString decodeUtf16LittleEndian(const QByteArray &bytes, qsizetype offset)
{
    if ((bytes.size() - offset) % 2 != 0)
        throw QuilloError(ErrorNumber::kMessageFileNotUnicode,
                          QStringLiteral("The file is not a valid Unicode text file (odd number of bytes)."));
    const qsizetype units = (bytes.size() - offset) / 2;
    QString text(units, Qt::Uninitialized);
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData()) + offset;
    for (qsizetype i = 0; i < units; ++i)
        text[i] = QChar(qFromLittleEndian<quint16>(data + 2 * i));
    for (qsizetype i = 0; i < units; ++i) {
        const QChar c = text.at(i);
        const bool pairOk = c.isHighSurrogate() ? (i + 1 < units && text.at(i + 1).isLowSurrogate())
                                                : !c.isLowSurrogate();
        if (!pairOk)
            throw QuilloError(ErrorNumber::kMessageFileNotUnicode,
                              QStringLiteral("The file is not a valid Unicode text file (broken surrogate pair)."));
        if (c.isHighSurrogate())
            ++i;
    }
    return text;
}

} // namespace

QString decodeMessageFile(const QByteArray &bytes)
{
    if (bytes.size() >= 2 && uchar(bytes.at(0)) == 0xFF && uchar(bytes.at(1)) == 0xFE)
        return decodeUtf16LittleEndian(bytes, 2);
    if (bytes.contains('\0'))
        throw QuilloError(ErrorNumber::kMessageFileNotText, QStringLiteral("The file does not hold plain text."));
    return decodeAnsiText(bytes);
}

QString readMessageFile(const QString &path)
{
    if (QFileInfo(path).size() > kMaxMessageFileBytes)
        throw QuilloError(ErrorNumber::kMessageFileTooLarge, QStringLiteral("The file is too large for a text message."));
    // Read one byte more than allowed, in case the file grew since it was looked at.
    const QByteArray bytes = readFileBytes(path, kMaxMessageFileBytes + 1);
    if (bytes.size() > kMaxMessageFileBytes)
        throw QuilloError(ErrorNumber::kMessageFileTooLarge, QStringLiteral("The file is too large for a text message."));
    return decodeMessageFile(bytes);
}
