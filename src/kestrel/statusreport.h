#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

// SMS-STATUS-REPORT (3GPP TS 23.040 9.2.2.3): what the service centre says became of a
// message that asked for a report (TP-SRR), as a modem hands it over in PDU mode (+CDS, or
// AT+CMGR after +CDSI): the SMSC field, then the TPDU.
namespace gsm {

// What the operator wants to know of a message, read from TP-ST.
enum class DeliveryStatus {
    Delivered, // the transaction completed (0x00-0x1F)
    Pending,   // a temporary error, and the service centre is still trying (0x20-0x3F)
    Failed,    // a permanent error, or a temporary one it gave up on (0x40-0x7F but 0x46)
    Expired,   // 0x46: the validity period ran out before the phone could be reached
};

struct StatusReport
{
    int reference = -1;     // TP-MR of the submitted message, as +CMGS answered it
    QString recipient;      // TP-RA
    QDateTime submitted;    // TP-SCTS: when the service centre took the message
    QDateTime discharged;   // TP-DT: when the status below was reached
    int status = 0;         // TP-ST as sent
    DeliveryStatus outcome = DeliveryStatus::Delivered;
    QString reason;         // the network's words for TP-ST
};

DeliveryStatus deliveryStatus(int tpStatus);
// The meaning of a TP-ST value, by 23.040 9.2.3.15 ("SM validity period expired").
QString statusReason(int tpStatus);
// "delivered", "pending", "failed", "expired": the words the logs and the record use.
QString statusName(DeliveryStatus status);
// The status a word of statusName names; nothing for any other word.
std::optional<DeliveryStatus> statusNamed(const QString &word);

// hex: the SMSC field and the TPDU. False with an error naming the field that broke.
bool decodeStatusReport(const QByteArray &hex, StatusReport *out, QString *error);

// The report a service centre would send (the simulated modem's network): hex with the
// SMSC field, and the TPDU's length for the +CDS or +CMGR line.
struct NetworkPdu
{
    QByteArray hex;
    int tpduLength = 0;
};
NetworkPdu buildStatusReport(const QString &smsc, const StatusReport &report);

// What a stored or delivered PDU holds, from TP-MTI in the first octet after the SMSC field.
enum class PduKind { Deliver, Submit, StatusReport, Unknown };
PduKind pduKind(const QByteArray &hex);

} // namespace gsm
