#include "phonelistfile.h"

#include "common/ansitext.h"

QByteArray formatPhoneList(const QStringList &entries)
{
    QByteArray bytes;
    for (const QString &entry : entries) {
        bytes += encodeAnsiText(entry);
        bytes += "\r\n";
    }
    return bytes;
}

void writePhoneList(const QString &path, const QStringList &entries)
{
    writeFileBytes(path, formatPhoneList(entries));
}
