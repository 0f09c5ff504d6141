#pragma once

#include <QByteArray>

// Packing of 7-bit septets into octets, least significant bit first (3GPP TS 23.038 6.1.2.1).
namespace gsm {

// fillBits zero bits come first, so that text after a user data header starts on a septet
// boundary of the whole user data.
QByteArray packSeptets(const QByteArray &septets, int fillBits = 0);
// count septets read after fillBits bits; fewer when the octets run out.
QByteArray unpackSeptets(const QByteArray &octets, int fillBits, int count);

// Fill bits needed after a header of headerOctets octets (UDHL included).
int fillBitsAfterHeader(int headerOctets);
// Septets a header of headerOctets octets occupies, fill bits included.
int headerSeptets(int headerOctets);

} // namespace gsm
