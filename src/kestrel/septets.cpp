#include "septets.h"

namespace gsm {

QByteArray packSeptets(const QByteArray &septets, int fillBits)
{
    const int totalBits = fillBits + int(septets.size()) * 7;
    QByteArray out((totalBits + 7) / 8, '\0');
    int bit = fillBits;
    for (const char s : septets) {
        const unsigned value = unsigned(s) & 0x7F;
        const int octet = bit / 8;
        const int shift = bit % 8;
        out[octet] = char(uchar(out[octet]) | uchar(value << shift));
        // A septet that does not end in this octet spills its high bits into the next.
        if (shift > 1)
            out[octet + 1] = char(uchar(out[octet + 1]) | uchar(value >> (8 - shift)));
        bit += 7;
    }
    return out;
}

QByteArray unpackSeptets(const QByteArray &octets, int fillBits, int count)
{
    QByteArray out;
    out.reserve(count);
    for (int i = 0; i < count; ++i) {
        const int bit = fillBits + i * 7;
        const int octet = bit / 8;
        const int shift = bit % 8;
        if (octet >= octets.size())
            break;
        unsigned value = uchar(octets.at(octet)) >> shift;
        if (shift > 1) {
            if (octet + 1 >= octets.size())
                break;
            value |= unsigned(uchar(octets.at(octet + 1))) << (8 - shift);
        }
        out.append(char(value & 0x7F));
    }
    return out;
}

int fillBitsAfterHeader(int headerOctets)
{
    return (7 - (headerOctets * 8) % 7) % 7;
}

int headerSeptets(int headerOctets)
{
    return (headerOctets * 8 + 6) / 7;
}

} // namespace gsm
