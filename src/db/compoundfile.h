#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Just enough of the OLE compound file format (the container of .xls workbooks) to copy
// one stream out of a file and into a fresh container.
//
// Why: FreeXL 1.0.6 cannot read a Workbook stream that lives in the compound file's
// mini stream (streams under 4096 bytes, which small workbooks written by some tools
// are). Copying the stream into a new container, padded past the mini stream cutoff
// so that it sits in regular sectors, gives FreeXL a file it reads. The padding follows
// the workbook's last EOF record, where readers stop.
namespace CompoundFile {

// The first stream whose name matches one of names (case-insensitive), read through the
// FAT or the mini FAT. Throws QuilloError when the container is damaged or has no such
// stream; every sector number and chain is checked, so a bad file cannot loop or read
// out of bounds.
QByteArray readStream(const QByteArray &file, const QStringList &names, QString *foundName = nullptr);

// A version 3 container (512-byte sectors) holding one stream, padded with zero bytes to
// at least minimumSize, all in regular sectors.
QByteArray writeSingleStream(const QString &name, const QByteArray &data, int minimumSize = 4608);

} // namespace CompoundFile
