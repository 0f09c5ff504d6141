#pragma once

#include <QByteArray>
#include <QString>

// SMS-SUBMIT PDU as the modem takes it in PDU mode (AT+CMGS): the service-centre address
// followed by the TPDU (3GPP TS 23.040 9.2.2.2), written in hexadecimal.
namespace gsm {

enum class Coding { Gsm7, Data8, Ucs2 };

struct SubmitMessage
{
    QString smsc;            // empty: "00", the modem uses its own service centre
    QString destination;     // digits, "+" first for an international number
    Coding coding = Coding::Gsm7;
    bool flash = false;      // message class 0, shown at once and not stored
    int validity = -1;       // TP-VP relative octet; -1 for no validity field
    bool statusReport = false; // TP-SRR: the network sends a status report once it knows
    QByteArray header;       // user data header information elements, without UDHL
    QByteArray userData;     // septets one per byte for Gsm7, else octets
};

struct SubmitPdu
{
    QByteArray hex;          // what is written after the "> " prompt, before Ctrl-Z
    int tpduLength = 0;      // the length AT+CMGS asks for: octets after the SMSC field
};

// Address field: length, type of number, BCD semi-octets. For the SMSC the length counts
// octets, for the destination it counts digits. Empty result and an error text when the
// number holds characters a phone number cannot have.
QByteArray encodeAddress(const QString &number, bool serviceCentre, QString *error);

// Keeps the characters of a dialled number: digits, * and #, and a leading "+".
QString normaliseNumber(const QString &number);

// Builds the PDU; false with an error text when an address is invalid or the user data
// does not fit (more than 140 octets).
bool buildSubmit(const SubmitMessage &message, SubmitPdu *pdu, QString *error);

// The data coding scheme octet (3GPP TS 23.038 4) for the coding and class.
int dataCodingScheme(Coding coding, bool flash);

} // namespace gsm
