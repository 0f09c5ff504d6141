#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Writes a zip archive with every entry stored uncompressed, which is all a test workbook
// (.xlsx, .ods) needs: PKWARE's APPNOTE local headers, central directory and end record,
// with CRC-32 but no data descriptors, no ZIP64, no extra fields.
namespace ZipWriter {

struct Entry
{
    QString name;
    QByteArray data;
};

QByteArray stored(const QList<Entry> &entries);

} // namespace ZipWriter
