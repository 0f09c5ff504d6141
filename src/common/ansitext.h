#pragma once

#include <QByteArray>
#include <QString>

// "ANSI" text files: written in the system's 8-bit encoding (UTF-8 here), read as UTF-8
// when the bytes are valid UTF-8 and as Windows-1252 otherwise, so files made on Windows
// read correctly.
QString decodeAnsiText(const QByteArray &bytes);
QByteArray encodeAnsiText(const QString &text);

// Reads a whole file; throws QuilloError when it cannot be read.
QByteArray readFileBytes(const QString &path, qint64 maxBytes = -1);
// Writes the bytes to the file, replacing it; throws QuilloError with the reason on failure.
void writeFileBytes(const QString &path, const QByteArray &bytes);
