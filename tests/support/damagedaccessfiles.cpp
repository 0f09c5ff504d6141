#include "damagedaccessfiles.h"

#include <QFile>
#include <QRandomGenerator>

namespace {

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

} // namespace

void writeDamagedAccessFiles(const QString &folder, const QString &workbookPath)
{
    QRandomGenerator rng(20261206);
    QByteArray random(8192, '\0');
    for (char &byte : random)
        byte = char(rng.bounded(256));
    // A Jet signature over junk gets past the first check and must still fail cleanly.
    QByteArray jet("\0\1\0\0Standard Jet DB\0", 20);
    while (jet.size() < 4096)
        jet += char(rng.bounded(256));
    QFile workbook(workbookPath);
    const QByteArray workbookBytes = workbook.open(QIODevice::ReadOnly) ? workbook.readAll() : QByteArray();
    write(folder + QStringLiteral("/empty.mdb"), {});
    write(folder + QStringLiteral("/random.mdb"), random);
    write(folder + QStringLiteral("/jet-header-junk.mdb"), jet);
    write(folder + QStringLiteral("/workbook-named.mdb"), workbookBytes);
}
