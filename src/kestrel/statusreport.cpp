#include "statusreport.h"

#include "tpdufields.h"

#include <QHash>

namespace gsm {
namespace {

// TP-MTI in the two low bits of the first octet; in this direction (service centre to
// phone) 00 is SMS-DELIVER and 10 SMS-STATUS-REPORT. A stored message the phone wrote
// itself is a SUBMIT (01).
constexpr int kMtiDeliver = 0x00;
constexpr int kMtiSubmit = 0x01;
constexpr int kMtiStatusReport = 0x02;

} // namespace

DeliveryStatus deliveryStatus(int tpStatus)
{
    // Bits 6-5 give the kind: 00 completed, 01 still trying, 10 permanent error, 11 a
    // temporary error the centre no longer retries. Bit 7 set is reserved: no report
    // with it can be trusted to mean the message arrived.
    if (tpStatus == 0x46)
        return DeliveryStatus::Expired;
    if (tpStatus & 0x80)
        return DeliveryStatus::Failed;
    switch ((tpStatus >> 5) & 0x03) {
    case 0: return DeliveryStatus::Delivered;
    case 1: return DeliveryStatus::Pending;
    default: return DeliveryStatus::Failed;
    }
}

QString statusReason(int tpStatus)
{
    static const QHash<int, const char *> kReasons = {
        {0x00, "Short message received by the SME"},
        {0x01, "Short message forwarded by the SC to the SME but the SC is unable to confirm delivery"},
        {0x02, "Short message replaced by the SC"},
        {0x20, "Congestion"},
        {0x21, "SME busy"},
        {0x22, "No response from SME"},
        {0x23, "Service rejected"},
        {0x24, "Quality of service not available"},
        {0x25, "Error in SME"},
        {0x40, "Remote procedure error"},
        {0x41, "Incompatible destination"},
        {0x42, "Connection rejected by SME"},
        {0x43, "Not obtainable"},
        {0x44, "Quality of service not available"},
        {0x45, "No interworking available"},
        {0x46, "SM validity period expired"},
        {0x47, "SM deleted by originating SME"},
        {0x48, "SM deleted by SC administration"},
        {0x49, "SM does not exist"},
        {0x60, "Congestion"},
        {0x61, "SME busy"},
        {0x62, "No response from SME"},
        {0x63, "Service rejected"},
        {0x64, "Quality of service not available"},
        {0x65, "Error in SME"},
    };
    if (const char *reason = kReasons.value(tpStatus))
        return QString::fromLatin1(reason);
    // Each kind ends with a range the service centre defines for itself (0x10-0x1F,
    // 0x30-0x3F, 0x50-0x5F, 0x70-0x7F); the rest is reserved.
    const QString code = QStringLiteral("0x") + QString::number(tpStatus, 16).rightJustified(2, u'0').toUpper();
    if (tpStatus < 0x80 && (tpStatus & 0x10))
        return QStringLiteral("Service centre specific status %1").arg(code);
    return QStringLiteral("Reserved status %1").arg(code);
}

QString statusName(DeliveryStatus status)
{
    switch (status) {
    case DeliveryStatus::Delivered: return QStringLiteral("delivered");
    case DeliveryStatus::Pending: return QStringLiteral("pending");
    case DeliveryStatus::Failed: return QStringLiteral("failed");
    case DeliveryStatus::Expired: return QStringLiteral("expired");
    }
    return {};
}

std::optional<DeliveryStatus> statusNamed(const QString &word)
{
    for (DeliveryStatus status : {DeliveryStatus::Delivered, DeliveryStatus::Pending, DeliveryStatus::Failed,
                                  DeliveryStatus::Expired})
        if (statusName(status) == word)
            return status;
    return std::nullopt;
}

PduKind pduKind(const QByteArray &hex)
{
    QByteArray pdu;
    QString error;
    if (!octetsFromHex(hex, &pdu, &error) || pdu.isEmpty())
        return PduKind::Unknown;
    const int smscLength = uchar(pdu.at(0));
    if (pdu.size() <= smscLength + 1)
        return PduKind::Unknown;
    switch (uchar(pdu.at(smscLength + 1)) & 0x03) {
    case kMtiDeliver: return PduKind::Deliver;
    case kMtiSubmit: return PduKind::Submit;
    case kMtiStatusReport: return PduKind::StatusReport;
    default: return PduKind::Unknown;
    }
}

bool decodeStatusReport(const QByteArray &hex, StatusReport *out, QString *error)
{
    QString dummy;
    if (!error)
        error = &dummy;
    QByteArray pdu;
    if (!octetsFromHex(hex, &pdu, error))
        return false;
    OctetReader in(pdu);
    QString smsc;
    if (!readServiceCentre(in, &smsc) || !in.need(2, "first octet and TP-MR")) {
        *error = in.error();
        return false;
    }
    const int first = in.octet();
    if ((first & 0x03) != kMtiStatusReport) {
        *error = QStringLiteral("not an SMS-STATUS-REPORT (TP-MTI %1)").arg(first & 0x03);
        return false;
    }
    out->reference = in.octet();
    // TP-PI and what it announces (TP-PID, TP-DCS, TP-UD) may follow TP-ST; none of it
    // changes what became of the message.
    if (!readAddress(in, "TP-RA", &out->recipient) || !readTimestamp(in, "TP-SCTS", &out->submitted)
        || !readTimestamp(in, "TP-DT", &out->discharged) || !in.need(1, "TP-ST")) {
        *error = in.error();
        return false;
    }
    out->status = in.octet();
    out->outcome = deliveryStatus(out->status);
    out->reason = statusReason(out->status);
    return true;
}

NetworkPdu buildStatusReport(const QString &smsc, const StatusReport &report)
{
    QByteArray tpdu;
    // TP-MTI 10; TP-MMS (bit 2) set: no more messages are waiting.
    tpdu.append(char(kMtiStatusReport | 0x04));
    tpdu.append(char(report.reference & 0xFF));
    tpdu.append(encodeOriginator(report.recipient));
    tpdu.append(encodeTimestamp(report.submitted));
    tpdu.append(encodeTimestamp(report.discharged));
    tpdu.append(char(report.status & 0xFF));
    QString why;
    QByteArray centre = encodeAddress(smsc, true, &why);
    if (centre.isEmpty())
        centre = QByteArray(1, '\0');
    return {(centre + tpdu).toHex().toUpper(), int(tpdu.size())};
}

} // namespace gsm
