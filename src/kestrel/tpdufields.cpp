#include "tpdufields.h"

#include "gsmalphabet.h"
#include "septets.h"

namespace gsm {
namespace {

constexpr int kMaxUserDataOctets = 140;

// Type of number in bits 6-4 of the type of address: 001 international, 101 alphanumeric.
constexpr int kTypeMask = 0x70;
constexpr int kInternational = 0x10;
constexpr int kAlphanumeric = 0x50;

QString decodeBcd(const QByteArray &bcd, int digits)
{
    static const char kDigits[] = "0123456789*#abc";
    QString out;
    for (int i = 0; i < digits && i / 2 < bcd.size(); ++i) {
        const int octet = uchar(bcd.at(i / 2));
        const int nibble = (i % 2 == 0) ? (octet & 0xF) : (octet >> 4);
        if (nibble == 0xF)
            break;
        out.append(QChar(kDigits[nibble]));
    }
    return out;
}

// A time stamp octet holds two decimal digits, the first in the low nibble.
int swappedDecimal(int octet)
{
    return (octet & 0xF) * 10 + (octet >> 4);
}

int swappedOctet(int value)
{
    return (value / 10) | ((value % 10) << 4);
}

void readHeader(const QByteArray &header, UserData *out)
{
    int i = 0;
    while (i + 1 < header.size()) {
        const int iei = uchar(header.at(i));
        const int len = uchar(header.at(i + 1));
        const QByteArray value = header.mid(i + 2, len);
        if (value.size() < len)
            break;
        if (iei == 0x00 && len == 3) { // concatenation, 8-bit reference
            out->concatRef = uchar(value.at(0));
            out->concatTotal = uchar(value.at(1));
            out->concatSeq = uchar(value.at(2));
        } else if (iei == 0x08 && len == 4) { // concatenation, 16-bit reference
            out->concatRef = (uchar(value.at(0)) << 8) | uchar(value.at(1));
            out->concatTotal = uchar(value.at(2));
            out->concatSeq = uchar(value.at(3));
        } else if (iei == 0x05 && len == 4) { // application ports, 16-bit
            out->destinationPort = (uchar(value.at(0)) << 8) | uchar(value.at(1));
            out->sourcePort = (uchar(value.at(2)) << 8) | uchar(value.at(3));
        }
        i += 2 + len;
    }
}

} // namespace

bool OctetReader::need(int count, const char *field)
{
    if (count <= remaining())
        return true;
    return fail(QStringLiteral("PDU too short for %1").arg(QLatin1String(field)));
}

QByteArray OctetReader::take(int count)
{
    const QByteArray out = m_octets.mid(m_pos, count);
    m_pos += count;
    return out;
}

bool OctetReader::fail(const QString &error)
{
    if (m_error.isEmpty())
        m_error = error;
    return false;
}

bool octetsFromHex(const QByteArray &hex, QByteArray *octets, QString *error)
{
    const QByteArray trimmed = hex.trimmed();
    if (trimmed.size() % 2 != 0) {
        *error = QStringLiteral("PDU has an odd number of hex digits");
        return false;
    }
    for (const char c : trimmed) {
        if (!std::isxdigit(uchar(c))) {
            *error = QStringLiteral("PDU holds a character that is not hex");
            return false;
        }
    }
    *octets = QByteArray::fromHex(trimmed);
    return true;
}

bool readServiceCentre(OctetReader &in, QString *smsc)
{
    if (!in.need(1, "SMSC length"))
        return false;
    const int length = in.octet();
    if (!in.need(length, "SMSC address"))
        return false;
    if (length == 0)
        return true;
    const int type = in.octet();
    *smsc = ((type & kTypeMask) == kInternational ? QStringLiteral("+") : QString()) + decodeBcd(in.take(length - 1), (length - 1) * 2);
    return true;
}

bool readAddress(OctetReader &in, const char *field, QString *address)
{
    if (!in.need(2, field))
        return false;
    const int digits = in.octet();
    const int type = in.octet();
    const int octets = (digits + 1) / 2;
    if (!in.need(octets, field))
        return false;
    const QByteArray value = in.take(octets);
    if ((type & kTypeMask) == kAlphanumeric) {
        // The length counts the semi-octets the packed characters fill.
        *address = fromSeptets(unpackSeptets(value, 0, digits * 4 / 7));
        return true;
    }
    *address = ((type & kTypeMask) == kInternational ? QStringLiteral("+") : QString()) + decodeBcd(value, digits);
    return true;
}

QByteArray encodeOriginator(const QString &address)
{
    const QString number = normaliseNumber(address);
    QString why;
    const QByteArray encoded = encodeAddress(number, false, &why);
    if (!encoded.isEmpty())
        return encoded;
    // An alphanumeric sender holds at most 11 characters (77 bits in 10 octets).
    const QByteArray septets = toSeptets(address.left(11));
    if (septets.isEmpty())
        return {};
    const QByteArray packed = packSeptets(septets);
    QByteArray out;
    out.append(char((septets.size() * 7 + 3) / 4));
    out.append(char(0x80 | kAlphanumeric));
    out.append(packed);
    return out;
}

bool readTimestamp(OctetReader &in, const char *field, QDateTime *time)
{
    if (!in.need(7, field))
        return false;
    const QByteArray o = in.take(7);
    const int year = swappedDecimal(uchar(o.at(0)));
    // Two digits of year: short messages began in the 1990s.
    const QDate date(year >= 90 ? 1900 + year : 2000 + year, swappedDecimal(uchar(o.at(1))), swappedDecimal(uchar(o.at(2))));
    const QTime clock(swappedDecimal(uchar(o.at(3))), swappedDecimal(uchar(o.at(4))), swappedDecimal(uchar(o.at(5))));
    const int zone = uchar(o.at(6));
    const int quarters = (zone & 0x07) * 10 + (zone >> 4);
    if (!date.isValid() || !clock.isValid() || quarters > 4 * 14)
        return in.fail(QStringLiteral("%1 is not a valid time stamp (%2)").arg(QLatin1String(field), QString::fromLatin1(o.toHex())));
    *time = QDateTime(date, clock, Qt::OffsetFromUTC, ((zone & 0x08) ? -1 : 1) * quarters * 15 * 60);
    return true;
}

QByteArray encodeTimestamp(const QDateTime &time)
{
    const int offset = time.offsetFromUtc();
    const QDate d = time.date();
    const QTime t = time.time();
    QByteArray out;
    for (const int value : {d.year() % 100, d.month(), d.day(), t.hour(), t.minute(), t.second()})
        out.append(char(swappedOctet(value)));
    const int quarters = qAbs(offset) / (15 * 60);
    out.append(char(swappedOctet(quarters) | (offset < 0 ? 0x08 : 0)));
    return out;
}

bool codingFromDcs(int dcs, Coding *coding)
{
    const int group = dcs >> 4;
    if (group <= 0x7) {
        // General data coding (00xx) and its "marked for deletion" twin (01xx): bit 5 is
        // compression, which no handset has ever used; bits 3-2 give the alphabet.
        if (dcs & 0x20)
            return false;
        const int alphabet = (dcs >> 2) & 0x03;
        if (alphabet == 3)
            return false;
        *coding = alphabet == 0 ? Coding::Gsm7 : alphabet == 1 ? Coding::Data8 : Coding::Ucs2;
        return true;
    }
    switch (group) {
    case 0xC: // message waiting, discard
    case 0xD: // message waiting, store
        *coding = Coding::Gsm7;
        return true;
    case 0xE: // message waiting, store, UCS2
        *coding = Coding::Ucs2;
        return true;
    case 0xF: // data coding and message class: bit 2 chooses 8-bit data over 7-bit
        *coding = (dcs & 0x04) ? Coding::Data8 : Coding::Gsm7;
        return true;
    default:
        return false;
    }
}

bool readUserData(OctetReader &in, int udl, Coding coding, bool udhi, UserData *out)
{
    const int udOctets = coding == Coding::Gsm7 ? (udl * 7 + 7) / 8 : udl;
    if (udOctets > in.remaining())
        return in.fail(QStringLiteral("PDU too short for TP-UD: %1 of %2 octets").arg(in.remaining()).arg(udOctets));
    const QByteArray ud = in.take(udOctets);

    int headerOctets = 0;
    if (udhi) {
        if (ud.isEmpty())
            return in.fail(QStringLiteral("PDU too short for UDHL"));
        headerOctets = uchar(ud.at(0)) + 1;
        if (headerOctets > udOctets)
            return in.fail(QStringLiteral("UDHL longer than the user data"));
        out->header = ud.mid(1, headerOctets - 1);
        readHeader(out->header, out);
    }

    if (coding == Coding::Gsm7) {
        // The text starts on the first septet boundary after the header.
        const int skip = udhi ? headerSeptets(headerOctets) : 0;
        out->data = unpackSeptets(ud.mid(headerOctets), udhi ? fillBitsAfterHeader(headerOctets) : 0, udl - skip);
        out->text = fromSeptets(out->data);
        return true;
    }
    out->data = ud.mid(headerOctets);
    if (coding == Coding::Ucs2) {
        QString text;
        for (int i = 0; i + 1 < out->data.size(); i += 2)
            text.append(QChar(char16_t((uchar(out->data.at(i)) << 8) | uchar(out->data.at(i + 1)))));
        out->text = text;
    } else {
        out->text = QString::fromLatin1(out->data.toHex().toUpper());
    }
    return true;
}

bool packUserData(Coding coding, const QByteArray &header, const QByteArray &userData, int *udl, QByteArray *ud,
                  QString *error)
{
    QByteArray udh;
    if (!header.isEmpty()) {
        udh.append(char(header.size()));
        udh.append(header);
    }
    if (coding == Coding::Gsm7) {
        const int fill = udh.isEmpty() ? 0 : fillBitsAfterHeader(int(udh.size()));
        *ud = udh + packSeptets(userData, fill);
        // TP-UDL counts septets, the header's (with its fill bits) included.
        *udl = (udh.isEmpty() ? 0 : headerSeptets(int(udh.size()))) + int(userData.size());
        if (*udl > kSeptetsPerSms) {
            if (error)
                *error = QStringLiteral("PDU user data too long: %1 septets").arg(*udl);
            return false;
        }
    } else {
        *ud = udh + userData;
        *udl = int(ud->size());
    }
    if (ud->size() > kMaxUserDataOctets) {
        if (error)
            *error = QStringLiteral("PDU user data too long: %1 octets").arg(ud->size());
        return false;
    }
    return true;
}

} // namespace gsm
