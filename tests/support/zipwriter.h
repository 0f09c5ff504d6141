#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Writes a zip archive for test workbooks (.xlsx, .ods): local headers, the central
// directory and its end record, with CRC-32 but no data descriptors, no ZIP64, no extra
// fields.
namespace ZipWriter {

struct Entry
{
    QString name;
    QByteArray data;
};

QByteArray stored(const QList<Entry> &entries);
// The same with every entry but "mimetype" deflated (method 8), as office programs write
// them; the raw deflate stream is zlib's, as qCompress gives it, without its wrapping.
QByteArray deflated(const QList<Entry> &entries);

} // namespace ZipWriter
