#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// WAP Push of a Service Indication: the SI document in WBXML (WAP-167), carried in a
// connectionless WSP Push PDU (WAP-230), sent over WDP as 8-bit SMS addressed to the
// push port (WAP-259: destination 2948, source 9200).
namespace wap {

enum class SiAction { SignalNone = 0, SignalLow = 1, SignalMedium = 2, SignalHigh = 3, Delete = 4 };

constexpr int kPushPort = 2948;
constexpr int kSourcePort = 9200;

// created invalid: no "created" attribute.
QByteArray serviceIndication(const QString &url, const QString &text, SiAction action,
                             const QString &siId, const QDateTime &created);
// WSP Push PDU with content type application/vnd.wap.sic, UTF-8.
QByteArray wspPush(const QByteArray &body, int transactionId = 1);
// The application-port information element for the SMS user data header.
QByteArray wdpPortHeader();
// Octets left for the WSP PDU in one 8-bit SMS with the port header: 140 - 7.
constexpr int kSingleSmsPayload = 133;

// The SI "created" date: YYYY MM DD hh mm ss as two-digit nibbles, trailing zero octets
// dropped.
QByteArray encodeDate(const QDateTime &when);

} // namespace wap
