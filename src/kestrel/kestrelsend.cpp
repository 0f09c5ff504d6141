#include "kestreldriver.h"

#include "kestrelerrors.h"

#include <QStringList>

void KestrelDriver::pace()
{
    // SendDelay is the time between two messages, measured from the end of the last submit,
    // so a slow modem is not made slower still. The first message goes at once.
    if (m_sendDelay <= 0 || !m_lastSubmit.isValid())
        return;
    const qint64 remaining = m_sendDelay - m_lastSubmit.elapsed();
    if (remaining > 0)
        AtChannel::pause(int(remaining));
}

bool KestrelDriver::keepLinkUp()
{
    if (m_linkKept)
        return true;
    // 27.005 "more messages to send": the radio link stays up between messages instead of
    // being set up again for each (mode 2 keeps it so until changed), as Gammu's SMSD asks.
    // A modem without it refuses, and sends as before; it is not asked again.
    const AtResult r = m_channel->command("AT+CMMS=2", m_commTimeout);
    if (r.lost || r.timedOut) {
        failFrom(r, QStringLiteral("AT+CMMS=2"));
        return false;
    }
    m_linkKept = true;
    if (!r.ok())
        m_log.status(QStringLiteral("The modem does not keep the link up between messages (%1)").arg(r.reply.errorText));
    return true;
}

int KestrelDriver::submit(const gsm::SubmitMessage &message)
{
    gsm::SubmitPdu pdu;
    QString why;
    if (!gsm::buildSubmit(message, &pdu, &why)) {
        setError(kestrel::InvalidNumber, why);
        return -1;
    }
    if (!keepLinkUp())
        return -1;
    for (int attempt = 0; attempt <= m_sendRetry; ++attempt) {
        pace();
        const AtResult r = m_channel->submit(pdu.tpduLength, pdu.hex, m_commTimeout);
        m_lastSubmit.start();
        if (r.ok()) {
            const int reference = at::parseCmgs(r.reply.lines);
            if (reference >= 0) {
                m_log.status(QStringLiteral("Message to %1 accepted, reference %2").arg(message.destination).arg(reference));
                return reference;
            }
        }
        failFrom(r, QStringLiteral("sending to %1").arg(message.destination));
        // A lost port will not come back, and a modem that went silent or said OK without a
        // reference may have sent the message after all: retrying could only hang or send
        // twice. Only a refusal is tried again.
        const bool refused = r.reply.status == at::Status::Error || r.reply.status == at::Status::CmsError
                             || r.reply.status == at::Status::CmeError;
        if (r.lost || r.timedOut || !refused)
            return -1;
        if (attempt < m_sendRetry)
            m_log.status(QStringLiteral("Retrying the message to %1 (%2 of %3)").arg(message.destination).arg(attempt + 1).arg(m_sendRetry));
    }
    return -1;
}

QString KestrelDriver::SendSMS(const QString &number, const QString &text, bool alert)
{
    clearError();
    if (!ready())
        return {};
    QString why;
    const QString destination = gsm::normaliseNumber(number);
    if (gsm::encodeAddress(destination, false, &why).isEmpty()) {
        setError(kestrel::InvalidNumber, why);
        return {};
    }
    m_concatReference = (m_concatReference + 1) % 256;
    const QList<gsm::MessagePart> parts = gsm::splitMessage(text, m_coding, m_longMode, m_concatReference);
    QStringList references;
    for (const gsm::MessagePart &part : parts) {
        gsm::SubmitMessage message;
        message.smsc = m_smsc;
        message.destination = destination;
        message.coding = m_coding;
        message.flash = alert;
        message.validity = m_validity;
        message.statusReport = m_deliveryReports;
        message.header = part.header;
        message.userData = part.userData;
        const int reference = submit(message);
        if (reference < 0)
            break; // the rest of a multi-part message is no use without this part
        references.append(QString::number(reference));
    }
    return references.join(u',');
}

QString KestrelDriver::sendData(const QString &number, const QByteArray &header, const QByteArray &data)
{
    clearError();
    if (!ready())
        return {};
    gsm::SubmitMessage message;
    message.smsc = m_smsc;
    message.destination = gsm::normaliseNumber(number);
    message.coding = gsm::Coding::Data8;
    message.validity = m_validity;
    message.statusReport = m_deliveryReports;
    message.header = header;
    message.userData = data;
    const int reference = submit(message);
    return reference < 0 ? QString() : QString::number(reference);
}
