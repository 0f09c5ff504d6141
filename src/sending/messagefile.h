#pragma once

#include <QByteArray>
#include <QString>

// Message text files. GSM: the text in the "ANSI" encoding followed by CR LF. Unicode:
// the byte order mark 0xFF 0xFE, then the text as UTF-16 little-endian, no line end added.
// A Unicode file reads back unchanged; a GSM file reads back with the CR LF it gained.
QByteArray encodeMessageFile(const QString &text, bool unicode);

// A file that starts with 0xFF 0xFE is UTF-16 little-endian (the mark dropped); anything
// else, 0xFE 0xFF included, is "ANSI" text. Nothing is trimmed: line ends in the file become
// part of the message; an empty file is an empty message.
// Throws QuilloError (and the message stays as it was) for what would otherwise turn into a
// garbled message without a word: UTF-16 with an odd byte count or a broken surrogate pair,
// and an "ANSI" file holding NUL bytes (a binary file, or UTF-16 without its mark).
QString decodeMessageFile(const QByteArray &bytes);

// Reads and decodes a message file; a file above kMaxMessageFileBytes is refused unread.
QString readMessageFile(const QString &path);

// The largest message file imported: far beyond any message a run can send (16,383 GSM or
// 32,766 Unicode characters are counted), small enough to keep the window responsive.
constexpr qint64 kMaxMessageFileBytes = 1024 * 1024;

