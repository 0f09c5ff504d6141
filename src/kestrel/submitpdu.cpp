#include "submitpdu.h"

#include "tpdufields.h"

namespace gsm {
namespace {

int semiOctet(QChar ch)
{
    if (ch.isDigit())
        return ch.digitValue();
    if (ch == u'*')
        return 0xA;
    if (ch == u'#')
        return 0xB;
    return -1;
}

} // namespace

QString normaliseNumber(const QString &number)
{
    QString out;
    const QString trimmed = number.trimmed();
    for (int i = 0; i < trimmed.size(); ++i) {
        const QChar ch = trimmed.at(i);
        // Separators people type between digit groups carry no meaning for the network.
        if (ch == u' ' || ch == u'-' || ch == u'(' || ch == u')' || ch == u'.')
            continue;
        out.append(ch);
    }
    return out;
}

QByteArray encodeAddress(const QString &number, bool serviceCentre, QString *error)
{
    QString digits = normaliseNumber(number);
    // Type of number: 0x91 international (ISDN plan), 0x81 unknown (national or short code).
    int type = 0x81;
    if (digits.startsWith(u'+')) {
        type = 0x91;
        digits.remove(0, 1);
    }
    if (digits.isEmpty() || digits.size() > 20) {
        if (error)
            *error = QStringLiteral("Invalid phone number \"%1\"").arg(number);
        return {};
    }
    QByteArray bcd;
    for (int i = 0; i < digits.size(); i += 2) {
        const int low = semiOctet(digits.at(i));
        const int high = i + 1 < digits.size() ? semiOctet(digits.at(i + 1)) : 0xF;
        if (low < 0 || high < 0) {
            if (error)
                *error = QStringLiteral("Invalid phone number \"%1\"").arg(number);
            return {};
        }
        // Semi-octets are swapped: the first digit goes in the low nibble; an odd count
        // ends with the filler F.
        bcd.append(char(low | (high << 4)));
    }
    QByteArray out;
    out.append(char(serviceCentre ? bcd.size() + 1 : digits.size()));
    out.append(char(type));
    out.append(bcd);
    return out;
}

int dataCodingScheme(Coding coding, bool flash)
{
    // General data coding group 00xx: bit 4 says a class is given in bits 1-0 (class 0 =
    // flash); bits 3-2 give the alphabet (00 7-bit, 01 8-bit, 10 UCS2).
    int dcs = 0;
    if (coding == Coding::Data8)
        dcs = 0x04;
    else if (coding == Coding::Ucs2)
        dcs = 0x08;
    if (flash)
        dcs |= 0x10;
    return dcs;
}

bool buildSubmit(const SubmitMessage &message, SubmitPdu *pdu, QString *error)
{
    QByteArray smsc;
    if (message.smsc.trimmed().isEmpty()) {
        smsc.append('\0');
    } else {
        smsc = encodeAddress(message.smsc, true, error);
        if (smsc.isEmpty())
            return false;
    }
    const QByteArray destination = encodeAddress(message.destination, false, error);
    if (destination.isEmpty())
        return false;

    QByteArray userData;
    int userDataLength = 0; // TP-UDL: septets for 7-bit, octets otherwise
    if (!packUserData(message.coding, message.header, message.userData, &userDataLength, &userData, error))
        return false;

    QByteArray tpdu;
    // First octet: TP-MTI 01 (SUBMIT), TP-VPF 10 (relative) when a validity is given,
    // TP-SRR when a status report is wanted, TP-UDHI when a header precedes the text.
    int first = 0x01;
    if (message.validity >= 0)
        first |= 0x10;
    if (message.statusReport)
        first |= 0x20;
    if (!message.header.isEmpty())
        first |= 0x40;
    tpdu.append(char(first));
    tpdu.append('\0'); // TP-MR: the modem fills in the message reference
    tpdu.append(destination);
    tpdu.append('\0'); // TP-PID: plain short message
    tpdu.append(char(dataCodingScheme(message.coding, message.flash)));
    if (message.validity >= 0)
        tpdu.append(char(message.validity & 0xFF));
    tpdu.append(char(userDataLength));
    tpdu.append(userData);

    pdu->hex = (smsc + tpdu).toHex().toUpper();
    pdu->tpduLength = int(tpdu.size());
    return true;
}

} // namespace gsm
