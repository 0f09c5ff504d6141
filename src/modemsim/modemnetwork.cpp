#include "modemresponder.h"

#include "kestrel/deliverpdu.h"
#include "kestrel/gsmalphabet.h"
#include "kestrel/messagesplitter.h"
#include "kestrel/statusreport.h"

#include <QTimer>

// What the simulated network sends the modem on its own: status reports for messages that
// asked for one, and messages to the SIM. Each goes where AT+CNMI routes it: straight to
// the host (+CDS, +CMT, the PDU on the next line) or into memory with its index announced
// (+CDSI, +CMTI), to be read with AT+CMGR and deleted with AT+CMGD.

void ModemResponder::indicate(const QByteArray &bytes)
{
    // Between "> " and the message's answer the host is not listening for anything else:
    // a real modem holds its indications until then (AT+CNMI <mode> 2).
    if (m_inPrompt || m_awaitingNetwork) {
        m_heldIndications.append(bytes);
        return;
    }
    send(bytes);
}

void ModemResponder::flushIndications()
{
    for (const QByteArray &bytes : std::exchange(m_heldIndications, {}))
        send(bytes);
}

void ModemResponder::scheduleReport(int reference, const QString &number)
{
    gsm::StatusReport report;
    report.reference = reference;
    report.recipient = number;
    report.submitted = QDateTime::currentDateTime();
    // One roll per message, in the order sent: the same seed gives the same outcomes.
    const int roll = int(m_reportDice.bounded(100));
    if (roll < m_config.lostShare) {
        emit reportSent({reference, number, QStringLiteral("lost"), 0, QStringLiteral("never sent")});
        return;
    }
    if (roll < m_config.lostShare + m_config.failedShare)
        report.status = m_config.failedStatus;
    else if (roll < m_config.lostShare + m_config.failedShare + m_config.expiredShare)
        report.status = 0x46; // validity period expired
    else
        report.status = 0x00; // received by the phone
    QTimer::singleShot(m_config.reportDelayMs, this, [this, report]() mutable {
        report.discharged = QDateTime::currentDateTime();
        sendReport(report);
    });
}

void ModemResponder::sendReport(const gsm::StatusReport &report)
{
    if (m_hungUp)
        return;
    const gsm::NetworkPdu pdu = gsm::buildStatusReport(m_commands.serviceCentre(), report);
    QString routing;
    if (m_commands.cnmiDs() == 1) {
        indicate("\r\n+CDS: " + QByteArray::number(pdu.tpduLength) + "\r\n" + pdu.hex + "\r\n");
        routing = QStringLiteral("+CDS");
    } else if (m_commands.cnmiDs() == 2) {
        const int index = m_commands.store("SR", pdu.hex, pdu.tpduLength);
        if (index > 0)
            indicate("\r\n+CDSI: \"SR\"," + QByteArray::number(index) + "\r\n");
        routing = index > 0 ? QStringLiteral("+CDSI") : QStringLiteral("memory full");
    } else {
        routing = QStringLiteral("not routed");
    }
    emit reportSent({report.reference, report.recipient, gsm::statusName(gsm::deliveryStatus(report.status)),
                     report.status, routing});
}

void ModemResponder::scheduleIncoming(const QList<IncomingSpec> &messages)
{
    for (const IncomingSpec &message : messages)
        QTimer::singleShot(message.delayMs, this, [this, message] { deliverIncoming(message); });
}

void ModemResponder::deliverIncoming(const IncomingSpec &message)
{
    if (m_hungUp)
        return;
    const gsm::Coding coding = gsm::isRepresentable(message.text) ? gsm::Coding::Gsm7 : gsm::Coding::Ucs2;
    // A text longer than one SMS arrives as concatenated parts, as a phone sends it.
    m_nextConcatRef = (m_nextConcatRef + 1) % 256;
    const QList<gsm::MessagePart> parts = gsm::splitMessage(message.text, coding, gsm::LongMode::Concatenate, m_nextConcatRef);
    DeliveredMessage delivered{message.sender, message.text, int(parts.size()), {}};
    for (const gsm::MessagePart &part : parts) {
        gsm::DeliverMessage deliver;
        deliver.smsc = m_commands.serviceCentre();
        deliver.sender = message.sender;
        deliver.sent = QDateTime::currentDateTime();
        deliver.coding = coding;
        deliver.header = part.header;
        deliver.userData = part.userData;
        gsm::NetworkPdu pdu;
        QString error;
        if (!gsm::buildDeliver(deliver, &pdu, &error)) {
            delivered.routing = error;
            break;
        }
        if (m_commands.cnmiMt() == 2) {
            indicate("\r\n+CMT: ," + QByteArray::number(pdu.tpduLength) + "\r\n" + pdu.hex + "\r\n");
            delivered.routing = QStringLiteral("+CMT");
            continue;
        }
        const int index = m_commands.store("SM", pdu.hex, pdu.tpduLength);
        if (index < 0) {
            delivered.routing = QStringLiteral("memory full");
            break;
        }
        const bool announced = m_commands.cnmiMt() == 1 || m_commands.cnmiMt() == 3;
        if (announced)
            indicate("\r\n+CMTI: \"SM\"," + QByteArray::number(index) + "\r\n");
        delivered.routing = announced ? QStringLiteral("+CMTI") : QStringLiteral("stored");
    }
    emit messageDelivered(delivered);
}
