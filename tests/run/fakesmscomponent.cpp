#include "fakesmscomponent.h"

#include "common/error.h"

class FakeSmsComponent::Push : public SmsWapPush
{
public:
    explicit Push(FakeSmsComponent &owner) : m_owner(owner) {}
    void setDestination(const QString &number) override
    {
        m_owner.record(QStringLiteral("Push.Destination"), number);
        m_destination = number;
    }
    void setText(const QString &text) override { m_owner.record(QStringLiteral("Push.Text"), text); }
    void setUrl(const QString &url) override { m_owner.record(QStringLiteral("Push.Url"), url); }
    void setPushLevel(int level) override { m_owner.record(QStringLiteral("Push.PushLevel"), QString::number(level)); }
    void setPushDate(qint64 date) override { m_owner.record(QStringLiteral("Push.PushDate"), QString::number(date)); }
    void setPushId(const QString &id) override { m_owner.record(QStringLiteral("Push.PushId"), id); }
    bool IsLengthValid() override
    {
        m_owner.record(QStringLiteral("Push.IsLengthValid"));
        return m_owner.m_script->pushLengthValid;
    }
    QString Send() override { return m_owner.send(QStringLiteral("Push.Send"), m_destination, m_destination); }

private:
    FakeSmsComponent &m_owner;
    QString m_destination;
};

FakeSmsComponent::FakeSmsComponent(std::shared_ptr<Script> script)
    : m_script(std::move(script)), m_push(std::make_unique<Push>(*this))
{
    ++m_script->created;
}

FakeSmsComponent::~FakeSmsComponent()
{
    ++m_script->released;
}

SmsComponentFactory FakeSmsComponent::factory(std::shared_ptr<Script> script)
{
    return [script] { return std::make_unique<FakeSmsComponent>(script); };
}

void FakeSmsComponent::record(const QString &operation, const QString &argument)
{
    m_script->calls << (argument.isNull() ? operation : operation + QLatin1Char('(') + argument + QLatin1Char(')'));
    if (m_script->onCall)
        m_script->onCall(operation);
    if (operation == m_script->refuseOn)
        m_error = m_script->refuseError;
    if (operation == m_script->throwOn)
        throw QuilloError(91, QStringLiteral("Object variable or With block variable not set"), QStringLiteral("Kestrel"));
}

void FakeSmsComponent::setInitFlag(bool factoryReset) { record(QStringLiteral("InitFlag"), QString::number(factoryReset)); }
void FakeSmsComponent::setLogPath(const QString &folder) { record(QStringLiteral("LogPath"), folder); }
void FakeSmsComponent::setModemLogType(int level) { record(QStringLiteral("ModemLogType"), QString::number(level)); }
void FakeSmsComponent::ClearLog(bool keepBackup) { record(QStringLiteral("ClearLog"), QString::number(keepBackup)); }
void FakeSmsComponent::setPort(const QString &port) { record(QStringLiteral("Port"), port); }
void FakeSmsComponent::setBaudRate(qint32 baud) { record(QStringLiteral("BaudRate"), QString::number(baud)); }
void FakeSmsComponent::setDataBits(qint16 bits) { record(QStringLiteral("DataBits"), QString::number(bits)); }
void FakeSmsComponent::setStopBits(const QString &bits) { record(QStringLiteral("StopBits"), bits); }
void FakeSmsComponent::setParity(const QString &parity) { record(QStringLiteral("Parity"), parity); }
void FakeSmsComponent::setCommTimeout(int ms) { record(QStringLiteral("CommTimeout"), QString::number(ms)); }
void FakeSmsComponent::setConnectTimeout(int ms) { record(QStringLiteral("ConnectTimeout"), QString::number(ms)); }
void FakeSmsComponent::setPIN(const QString &pin) { record(QStringLiteral("PIN"), pin); }
void FakeSmsComponent::setNoPin(bool noPin) { record(QStringLiteral("NoPin"), QString::number(noPin)); }

bool FakeSmsComponent::Connect()
{
    record(QStringLiteral("Connect"));
    m_error = 0;
    ++m_connects;
    if (m_script->connectError != 0 && m_connects >= m_script->connectErrorOn)
        m_error = m_script->connectError;
    return m_error == 0;
}

bool FakeSmsComponent::IsError(bool show, const QString &title)
{
    record(QStringLiteral("IsError"), QString::number(show) + QLatin1Char('|') + title);
    if (m_error != 0 && show && m_display)
        m_display(ErrorDescription(), title);
    return m_error != 0;
}

QString FakeSmsComponent::ErrorDescription() const
{
    return m_error ? QStringLiteral("Fake error %1").arg(m_error) : QString();
}

QString FakeSmsComponent::Manufacturer() { record(QStringLiteral("Manufacturer")); return m_script->manufacturer; }
QString FakeSmsComponent::Model() { record(QStringLiteral("Model")); return m_script->model; }
QString FakeSmsComponent::IMEI() { record(QStringLiteral("IMEI")); return m_script->imei; }
QString FakeSmsComponent::IMSI() { record(QStringLiteral("IMSI")); return m_script->imsi; }
QString FakeSmsComponent::NetworkName() { record(QStringLiteral("NetworkName")); return m_script->networkName; }
QString FakeSmsComponent::NetworkCode() { record(QStringLiteral("NetworkCode")); return m_script->networkCode; }
qint16 FakeSmsComponent::SignalStrength() { record(QStringLiteral("SignalStrength")); return m_script->signal; }
void FakeSmsComponent::setSMSC(const QString &number) { record(QStringLiteral("SMSC"), number); }
void FakeSmsComponent::setValidity(const QString &code) { record(QStringLiteral("Validity"), code); }
void FakeSmsComponent::setLongMessage(int mode) { record(QStringLiteral("LongMessage"), QString::number(mode)); }
void FakeSmsComponent::setEncoding(int encoding) { record(QStringLiteral("Encoding"), QString::number(encoding)); }
void FakeSmsComponent::setSendDelay(int ms) { record(QStringLiteral("SendDelay"), QString::number(ms)); }
void FakeSmsComponent::setSendRetry(int count) { record(QStringLiteral("SendRetry"), QString::number(count)); }

QString FakeSmsComponent::send(const QString &operation, const QString &number, const QString &argument)
{
    m_error = 0;
    record(operation, argument);
    if (m_script->onSend)
        m_script->onSend(number);
    if (m_script->failingNumbers.contains(number)) {
        m_error = m_script->sendError;
        return QString();
    }
    return m_script->sendReport;
}

QString FakeSmsComponent::SendSMS(const QString &number, const QString &text, bool alert)
{
    return send(QStringLiteral("SendSMS"), number, number + QLatin1Char('|') + text + QLatin1Char('|') + QString::number(alert));
}

SmsWapPush &FakeSmsComponent::WapPush()
{
    record(QStringLiteral("WapPush"));
    return *m_push;
}
