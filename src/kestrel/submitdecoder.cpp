#include "submitdecoder.h"

#include "gsmalphabet.h"
#include "septets.h"

namespace gsm {
namespace {

QString decodeBcd(const QByteArray &bcd, int digits)
{
    static const char kDigits[] = "0123456789*#abc";
    QString out;
    for (int i = 0; i < digits; ++i) {
        const int octet = uchar(bcd.at(i / 2));
        const int nibble = (i % 2 == 0) ? (octet & 0xF) : (octet >> 4);
        if (nibble == 0xF)
            break;
        out.append(QChar(kDigits[nibble]));
    }
    return out;
}

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

void readHeader(const QByteArray &header, DecodedSubmit *out)
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

bool decodeSubmit(const QByteArray &hex, int tpduLength, DecodedSubmit *out, QString *error)
{
    const QByteArray trimmed = hex.trimmed();
    if (trimmed.size() % 2 != 0)
        return fail(error, QStringLiteral("PDU has an odd number of hex digits"));
    for (const char c : trimmed) {
        if (!std::isxdigit(uchar(c)))
            return fail(error, QStringLiteral("PDU holds a character that is not hex"));
    }
    const QByteArray pdu = QByteArray::fromHex(trimmed);
    int pos = 0;
    auto need = [&](int count, const char *what) {
        if (pos + count > pdu.size())
            return fail(error, QStringLiteral("PDU too short for %1").arg(QLatin1String(what)));
        return true;
    };

    // Service-centre address: a length in octets (type included); 0 for the modem's own.
    if (!need(1, "SMSC length"))
        return false;
    const int smscLength = uchar(pdu.at(pos++));
    if (!need(smscLength, "SMSC address"))
        return false;
    if (smscLength > 0) {
        const int type = uchar(pdu.at(pos));
        out->smsc = (type == 0x91 ? QStringLiteral("+") : QString())
                    + decodeBcd(pdu.mid(pos + 1, smscLength - 1), (smscLength - 1) * 2);
    }
    pos += smscLength;
    if (tpduLength >= 0 && pdu.size() - pos != tpduLength)
        return fail(error, QStringLiteral("TPDU is %1 octets, AT+CMGS said %2")
                               .arg(pdu.size() - pos).arg(tpduLength));

    if (!need(2, "first octet and TP-MR"))
        return false;
    const int first = uchar(pdu.at(pos));
    if ((first & 0x03) != 0x01)
        return fail(error, QStringLiteral("not an SMS-SUBMIT (TP-MTI %1)").arg(first & 0x03));
    const int vpf = (first >> 3) & 0x03;
    const bool udhi = first & 0x40;
    pos += 2;

    // Destination: a length in digits, then the type of number and the semi-octets.
    if (!need(2, "TP-DA"))
        return false;
    const int digits = uchar(pdu.at(pos));
    const int type = uchar(pdu.at(pos + 1));
    pos += 2;
    if (!need((digits + 1) / 2, "TP-DA digits"))
        return false;
    out->destination = (type == 0x91 ? QStringLiteral("+") : QString())
                       + decodeBcd(pdu.mid(pos, (digits + 1) / 2), digits);
    pos += (digits + 1) / 2;

    if (!need(2, "TP-PID and TP-DCS"))
        return false;
    const int dcs = uchar(pdu.at(pos + 1));
    pos += 2;
    if ((dcs & 0xC0) != 0)
        return fail(error, QStringLiteral("unsupported TP-DCS %1").arg(dcs, 2, 16, QLatin1Char('0')));
    const int alphabet = (dcs >> 2) & 0x03;
    out->coding = alphabet == 0 ? Coding::Gsm7 : alphabet == 1 ? Coding::Data8 : Coding::Ucs2;
    out->flash = (dcs & 0x10) && (dcs & 0x03) == 0;

    // TP-VP: none, one relative octet, or seven octets (enhanced or absolute).
    if (vpf == 2) {
        if (!need(1, "TP-VP"))
            return false;
        out->validity = uchar(pdu.at(pos++));
    } else if (vpf != 0) {
        if (!need(7, "TP-VP"))
            return false;
        pos += 7;
    }

    if (!need(1, "TP-UDL"))
        return false;
    const int udl = uchar(pdu.at(pos++));
    const QByteArray ud = pdu.mid(pos);
    const int udOctets = out->coding == Coding::Gsm7 ? (udl * 7 + 7) / 8 : udl;
    if (ud.size() < udOctets)
        return fail(error, QStringLiteral("PDU too short for TP-UD: %1 of %2 octets").arg(ud.size()).arg(udOctets));

    int headerOctets = 0;
    if (udhi) {
        if (ud.isEmpty())
            return fail(error, QStringLiteral("PDU too short for UDHL"));
        headerOctets = uchar(ud.at(0)) + 1;
        if (headerOctets > udOctets)
            return fail(error, QStringLiteral("UDHL longer than the user data"));
        out->header = ud.mid(1, headerOctets - 1);
        readHeader(out->header, out);
    }

    if (out->coding == Coding::Gsm7) {
        const int skip = udhi ? headerSeptets(headerOctets) : 0;
        const QByteArray all = unpackSeptets(ud, 0, udl);
        // Re-read after the header so the fill bits are skipped exactly.
        const QByteArray septets = udhi ? unpackSeptets(ud.mid(headerOctets), fillBitsAfterHeader(headerOctets), udl - skip)
                                        : all;
        out->data = septets;
        out->text = fromSeptets(septets);
    } else {
        out->data = ud.mid(headerOctets, udl - headerOctets);
        if (out->coding == Coding::Ucs2) {
            QString text;
            for (int i = 0; i + 1 < out->data.size(); i += 2)
                text.append(QChar(char16_t((uchar(out->data.at(i)) << 8) | uchar(out->data.at(i + 1)))));
            out->text = text;
        } else {
            out->text = QString::fromLatin1(out->data.toHex().toUpper());
        }
    }
    return true;
}

} // namespace gsm
