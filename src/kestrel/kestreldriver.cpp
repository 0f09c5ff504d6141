#include "kestreldriver.h"

#include "kestrelerrors.h"
#include "kestrelwappush.h"
#include "validity.h"

#include <QElapsedTimer>
#include <QIODevice>
#include <QRandomGenerator>

KestrelDriver::KestrelDriver()
    : m_concatReference(int(QRandomGenerator::global()->bounded(256)))
{
}

KestrelDriver::~KestrelDriver()
{
    closePort();
}

void KestrelDriver::clearError()
{
    m_errorNumber = 0;
    m_errorDescription.clear();
}

void KestrelDriver::setError(qint32 number, const QString &description)
{
    m_errorNumber = number;
    m_errorDescription = description;
    m_log.error(QStringLiteral("Error %1: %2").arg(number).arg(description));
}

bool KestrelDriver::IsError(bool show, const QString &title)
{
    if (m_errorNumber == 0)
        return false;
    if (show && m_display)
        m_display(QStringLiteral("Error %1\r\n%2").arg(m_errorNumber).arg(m_errorDescription), title);
    return true;
}

void KestrelDriver::failFrom(const AtResult &result, const QString &what)
{
    if (result.lost || (m_channel && m_channel->isLost())) {
        m_connected = false;
        setError(kestrel::PortLost, kestrel::errorDescription(kestrel::PortLost));
        return;
    }
    if (result.timedOut) {
        setError(kestrel::NoAnswer, QStringLiteral("%1 (%2)").arg(kestrel::errorDescription(kestrel::NoAnswer), what));
        return;
    }
    const at::Reply &r = result.reply;
    if (r.status == at::Status::CmeError && r.code >= 0) {
        setError(r.code, QStringLiteral("%1 (+CME ERROR %2, %3)").arg(kestrel::cmeErrorDescription(r.code)).arg(r.code).arg(what));
    } else if (r.status == at::Status::CmsError && r.code >= 0) {
        setError(r.code, QStringLiteral("%1 (+CMS ERROR %2, %3)").arg(kestrel::cmsErrorDescription(r.code)).arg(r.code).arg(what));
    } else if (r.status == at::Status::Ok || r.status == at::Status::Prompt) {
        setError(kestrel::UnexpectedAnswer, QStringLiteral("%1 (%2)").arg(kestrel::errorDescription(kestrel::UnexpectedAnswer), what));
    } else {
        const QString detail = r.errorText.isEmpty() ? what : QStringLiteral("%1: %2").arg(what, r.errorText);
        setError(kestrel::ModemError, QStringLiteral("%1 (%2)").arg(kestrel::errorDescription(kestrel::ModemError), detail));
    }
}

bool KestrelDriver::ready()
{
    if (m_channel && m_channel->isLost()) {
        m_connected = false;
        setError(kestrel::PortLost, kestrel::errorDescription(kestrel::PortLost));
        return false;
    }
    if (!m_connected) {
        setError(kestrel::NotConnected, kestrel::errorDescription(kestrel::NotConnected));
        return false;
    }
    return true;
}

QString KestrelDriver::readValue(const QByteArray &command, const QString &what)
{
    if (!ready())
        return {};
    const AtResult r = m_channel->command(command, m_commTimeout);
    if (!r.ok()) {
        failFrom(r, what);
        return {};
    }
    return at::firstValue(r.reply, command);
}

QString KestrelDriver::Manufacturer() { return readValue("AT+CGMI", QStringLiteral("manufacturer")); }
QString KestrelDriver::Model() { return readValue("AT+CGMM", QStringLiteral("model")); }
QString KestrelDriver::IMEI() { return readValue("AT+CGSN", QStringLiteral("IMEI")); }
QString KestrelDriver::IMSI() { return readValue("AT+CIMI", QStringLiteral("IMSI")); }

QString KestrelDriver::readOperator(int format)
{
    if (!ready())
        return {};
    // The operator is reported in the format last chosen with AT+COPS=3,<format>.
    const AtResult f = m_channel->command("AT+COPS=3," + QByteArray::number(format), m_commTimeout);
    if (f.lost || f.timedOut) {
        failFrom(f, QStringLiteral("AT+COPS=3"));
        return {};
    }
    const AtResult r = m_channel->command("AT+COPS?", m_commTimeout);
    if (!r.ok()) {
        failFrom(r, QStringLiteral("network"));
        return {};
    }
    return at::parseCops(r.reply.lines);
}

QString KestrelDriver::NetworkName() { return readOperator(0); }

QString KestrelDriver::NetworkCode()
{
    const QString code = readOperator(2);
    if (m_connected)
        m_channel->command("AT+COPS=3,0", m_commTimeout); // back to names for other programs
    return code;
}

qint16 KestrelDriver::SignalStrength()
{
    if (!ready())
        return -1;
    const AtResult r = m_channel->command("AT+CSQ", m_commTimeout);
    if (!r.ok()) {
        failFrom(r, QStringLiteral("signal strength"));
        return -1;
    }
    return qint16(at::signalPercent(at::parseCsq(r.reply.lines)));
}

void KestrelDriver::setSMSC(const QString &number)
{
    const QString trimmed = number.trimmed();
    QString why;
    if (!trimmed.isEmpty() && gsm::encodeAddress(trimmed, true, &why).isEmpty()) {
        setError(kestrel::InvalidNumber, QStringLiteral("Service centre: %1").arg(why));
        return;
    }
    m_smsc = trimmed;
}

void KestrelDriver::setValidity(const QString &code)
{
    if (code.trimmed().isEmpty()) {
        m_validity = -1;
        return;
    }
    const std::optional<int> vp = gsm::relativeValidity(code);
    if (!vp) {
        setError(kestrel::SettingUnsupported, QStringLiteral("Validity \"%1\" not supported").arg(code));
        return;
    }
    m_validity = *vp;
}

void KestrelDriver::setLongMessage(int mode)
{
    if (mode < 0 || mode > 3) {
        setError(kestrel::SettingUnsupported, QStringLiteral("Long message mode %1 not supported").arg(mode));
        return;
    }
    m_longMode = gsm::LongMode(mode);
}

void KestrelDriver::setEncoding(int encoding)
{
    if (encoding != 0 && encoding != 2) {
        setError(kestrel::SettingUnsupported, QStringLiteral("Encoding %1 not supported").arg(encoding));
        return;
    }
    m_coding = encoding == 2 ? gsm::Coding::Ucs2 : gsm::Coding::Gsm7;
}

SmsWapPush &KestrelDriver::WapPush()
{
    if (!m_wapPush)
        m_wapPush = std::make_unique<KestrelWapPush>(this);
    return *m_wapPush;
}
