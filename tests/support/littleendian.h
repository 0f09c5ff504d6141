#pragma once

#include <QByteArray>
#include <QtEndian>

// Appends a little-endian 16- or 32-bit value, as the binary formats the writers produce
// (BIFF, zip) store their numbers.
inline void put16(QByteArray &out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

inline void put32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}
