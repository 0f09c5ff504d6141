#pragma once

#include "submitpdu.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The fields that SMS-SUBMIT, SMS-DELIVER and SMS-STATUS-REPORT share (3GPP TS 23.040 9.1.2
// and 9.2.3): addresses, time stamps, the data coding scheme and the user data with its
// header. Pure functions over octets; the PDU readers walk their octets with OctetReader.
namespace gsm {

// Reads a PDU front to back. Every read is guarded by need(), which names the field that
// did not fit ("PDU too short for TP-SCTS") so a damaged PDU says where it broke.
class OctetReader
{
public:
    explicit OctetReader(const QByteArray &octets) : m_octets(octets) {}

    bool need(int count, const char *field);
    int octet() { return uchar(m_octets.at(m_pos++)); }
    QByteArray take(int count);
    QByteArray rest() const { return m_octets.mid(m_pos); }
    int remaining() const { return int(m_octets.size()) - m_pos; }
    // Sets the error (unless one is set) and returns false, for checks of a field's value.
    bool fail(const QString &error);
    const QString &error() const { return m_error; }

private:
    QByteArray m_octets;
    int m_pos = 0;
    QString m_error;
};

// Hex as a modem writes a PDU; false with an error for an odd count or a non-hex character.
bool octetsFromHex(const QByteArray &hex, QByteArray *octets, QString *error);

// The SMSC field in front of a TPDU: a length in octets (type included), 0 for none.
bool readServiceCentre(OctetReader &in, QString *smsc);
// TP-OA, TP-DA or TP-RA: a length in digits (semi-octets), the type of address, then BCD
// digits, or GSM 7-bit characters for an alphanumeric sender ("InternetSMS").
bool readAddress(OctetReader &in, const char *field, QString *address);
// The same field written for an originating or recipient address; a sender that is not
// a number is written as alphanumeric. Empty when it cannot be written.
QByteArray encodeOriginator(const QString &address);

// TP-SCTS and TP-DT: year, month, day, hour, minute, second as swapped semi-octets, then
// the zone in quarter hours (bit 3 of its first semi-octet is the sign).
bool readTimestamp(OctetReader &in, const char *field, QDateTime *time);
QByteArray encodeTimestamp(const QDateTime &time);

// The alphabet of a TP-DCS (3GPP TS 23.038 4); false for compressed text and reserved groups.
bool codingFromDcs(int dcs, Coding *coding);

struct UserData
{
    QByteArray header;          // information elements, without UDHL
    QString text;               // Gsm7 and Ucs2; for Data8 the octets in hex
    QByteArray data;            // after the header, as octets (septets for Gsm7)
    int concatRef = -1, concatTotal = 0, concatSeq = 0;
    int destinationPort = -1, sourcePort = -1;
};

// TP-UDL and TP-UD (TP-UDL already read): the header when TP-UDHI is set, then the text.
bool readUserData(OctetReader &in, int udl, Coding coding, bool udhi, UserData *out);
// The other way: userData is septets one per byte for Gsm7, else octets. False with an
// error when it does not fit one TPDU (140 octets, 160 septets).
bool packUserData(Coding coding, const QByteArray &header, const QByteArray &userData, int *udl, QByteArray *ud,
                  QString *error);

} // namespace gsm
