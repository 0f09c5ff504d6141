#pragma once

#include "statusreport.h"
#include "submitpdu.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// SMS-DELIVER (3GPP TS 23.040 9.2.2.1): a message that reached this modem, as it hands it
// over in PDU mode (+CMT, or AT+CMGR/AT+CMGL after +CMTI): the SMSC field, then the TPDU.
namespace gsm {

struct DeliverPart
{
    QString smsc;
    QString sender;          // TP-OA: digits, "+" first when international, or a name
    QDateTime sent;          // TP-SCTS, with the service centre's zone
    Coding coding = Coding::Gsm7;
    QString text;            // Gsm7 and Ucs2; for Data8 the octets in hex
    // Concatenation (8- or 16-bit reference); concatTotal 0 for a message of one part.
    int concatRef = -1, concatTotal = 0, concatSeq = 0;
};

bool decodeDeliver(const QByteArray &hex, DeliverPart *out, QString *error);

// The other way, for the simulated modem's network: userData as for SMS-SUBMIT (septets
// one per byte for Gsm7, else octets), header the information elements without UDHL.
struct DeliverMessage
{
    QString smsc;
    QString sender;
    QDateTime sent;
    Coding coding = Coding::Gsm7;
    QByteArray header;
    QByteArray userData;
};
// False with an error when the sender cannot be written or the user data does not fit.
bool buildDeliver(const DeliverMessage &message, NetworkPdu *pdu, QString *error);

} // namespace gsm
