#include "deliverpdu.h"

#include "tpdufields.h"

namespace gsm {

bool decodeDeliver(const QByteArray &hex, DeliverPart *out, QString *error)
{
    QString dummy;
    if (!error)
        error = &dummy;
    QByteArray pdu;
    if (!octetsFromHex(hex, &pdu, error))
        return false;
    OctetReader in(pdu);
    auto failed = [&] {
        *error = in.error();
        return false;
    };
    if (!readServiceCentre(in, &out->smsc) || !in.need(1, "first octet"))
        return failed();
    const int first = in.octet();
    if ((first & 0x03) != 0x00) {
        *error = QStringLiteral("not an SMS-DELIVER (TP-MTI %1)").arg(first & 0x03);
        return false;
    }
    const bool udhi = first & 0x40;
    if (!readAddress(in, "TP-OA", &out->sender) || !in.need(2, "TP-PID and TP-DCS"))
        return failed();
    in.octet(); // TP-PID
    const int dcs = in.octet();
    if (!codingFromDcs(dcs, &out->coding)) {
        *error = QStringLiteral("unsupported TP-DCS %1").arg(dcs, 2, 16, QLatin1Char('0'));
        return false;
    }
    if (!readTimestamp(in, "TP-SCTS", &out->sent) || !in.need(1, "TP-UDL"))
        return failed();
    const int udl = in.octet();
    UserData ud;
    if (!readUserData(in, udl, out->coding, udhi, &ud))
        return failed();
    out->text = ud.text;
    out->concatRef = ud.concatRef;
    out->concatTotal = ud.concatTotal;
    out->concatSeq = ud.concatSeq;
    return true;
}

bool buildDeliver(const DeliverMessage &message, NetworkPdu *pdu, QString *error)
{
    const QByteArray sender = encodeOriginator(message.sender);
    if (sender.isEmpty()) {
        if (error)
            *error = QStringLiteral("Invalid sender \"%1\"").arg(message.sender);
        return false;
    }
    int udl = 0;
    QByteArray ud;
    if (!packUserData(message.coding, message.header, message.userData, &udl, &ud, error))
        return false;
    QByteArray tpdu;
    // TP-MTI 00; TP-MMS (bit 2) set: no more messages waiting; TP-UDHI for a header.
    tpdu.append(char(0x04 | (message.header.isEmpty() ? 0 : 0x40)));
    tpdu.append(sender);
    tpdu.append('\0'); // TP-PID
    tpdu.append(char(dataCodingScheme(message.coding, false)));
    tpdu.append(encodeTimestamp(message.sent));
    tpdu.append(char(udl));
    tpdu.append(ud);
    QString why;
    QByteArray centre = encodeAddress(message.smsc, true, &why);
    if (centre.isEmpty())
        centre = QByteArray(1, '\0');
    pdu->hex = (centre + tpdu).toHex().toUpper();
    pdu->tpduLength = int(tpdu.size());
    return true;
}

} // namespace gsm
