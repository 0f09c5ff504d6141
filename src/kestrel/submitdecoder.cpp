#include "submitdecoder.h"

#include "tpdufields.h"

namespace gsm {

bool decodeSubmit(const QByteArray &hex, int tpduLength, DecodedSubmit *out, QString *error)
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

    if (!readServiceCentre(in, &out->smsc))
        return failed();
    if (tpduLength >= 0 && in.remaining() != tpduLength) {
        *error = QStringLiteral("TPDU is %1 octets, AT+CMGS said %2").arg(in.remaining()).arg(tpduLength);
        return false;
    }
    if (!in.need(2, "first octet and TP-MR"))
        return failed();
    const int first = in.octet();
    if ((first & 0x03) != 0x01) {
        *error = QStringLiteral("not an SMS-SUBMIT (TP-MTI %1)").arg(first & 0x03);
        return false;
    }
    const int vpf = (first >> 3) & 0x03;
    out->statusReport = first & 0x20;
    const bool udhi = first & 0x40;
    in.octet(); // TP-MR

    if (!readAddress(in, "TP-DA", &out->destination) || !in.need(2, "TP-PID and TP-DCS"))
        return failed();
    in.octet(); // TP-PID
    const int dcs = in.octet();
    if ((dcs & 0xC0) != 0 || !codingFromDcs(dcs, &out->coding)) {
        *error = QStringLiteral("unsupported TP-DCS %1").arg(dcs, 2, 16, QLatin1Char('0'));
        return false;
    }
    out->flash = (dcs & 0x10) && (dcs & 0x03) == 0;

    // TP-VP: none, one relative octet, or seven octets (enhanced or absolute).
    if (vpf == 2) {
        if (!in.need(1, "TP-VP"))
            return failed();
        out->validity = in.octet();
    } else if (vpf != 0) {
        if (!in.need(7, "TP-VP"))
            return failed();
        in.take(7);
    }

    if (!in.need(1, "TP-UDL"))
        return failed();
    const int udl = in.octet();
    UserData ud;
    if (!readUserData(in, udl, out->coding, udhi, &ud))
        return failed();
    out->header = ud.header;
    out->text = ud.text;
    out->data = ud.data;
    out->concatRef = ud.concatRef;
    out->concatTotal = ud.concatTotal;
    out->concatSeq = ud.concatSeq;
    out->destinationPort = ud.destinationPort;
    out->sourcePort = ud.sourcePort;
    return true;
}

} // namespace gsm
