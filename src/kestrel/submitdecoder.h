#pragma once

#include "submitpdu.h"

#include <QByteArray>
#include <QString>

// Reads back an SMS-SUBMIT PDU as a modem or service centre would: used by the simulated
// modem to check and record what it was given, and by tests as the inverse of buildSubmit.
namespace gsm {

struct DecodedSubmit
{
    QString smsc;
    QString destination;
    Coding coding = Coding::Gsm7;
    bool flash = false;
    int validity = -1;
    bool statusReport = false;  // TP-SRR
    QByteArray header;          // information elements, without UDHL
    QString text;               // Gsm7 and Ucs2; for Data8 the octets in hex
    QByteArray data;            // user data after the header, as octets (septets for Gsm7)
    int concatRef = -1, concatTotal = 0, concatSeq = 0;
    int destinationPort = -1, sourcePort = -1;
};

// hex: the SMSC field followed by the TPDU. tpduLength, when not negative, must match.
bool decodeSubmit(const QByteArray &hex, int tpduLength, DecodedSubmit *out, QString *error);

} // namespace gsm
