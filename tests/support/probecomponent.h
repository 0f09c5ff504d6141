#pragma once

#include "kestrel/smscomponent.h"

#include <QElapsedTimer>
#include <functional>
#include <memory>

// Wraps the real component for end-to-end tests: every call goes through to it unchanged,
// except that time limits are cut short so a silent modem costs a test little, and a hook
// runs just before each message goes out (where an operator's click would land).
class ProbeComponent : public SmsComponent
{
public:
    struct Probe
    {
        int timeoutMs = 1500;
        std::function<void(const QString &number)> beforeSend;
        int sends = 0;
        qint64 sendNs = 0;         // time spent inside the sends (waiting for the modem)
        qint64 firstSendStartNs = -1; // on the probe's clock, below
        QElapsedTimer clock;
    };

    ProbeComponent(std::unique_ptr<SmsComponent> inner, std::shared_ptr<Probe> probe);
    ~ProbeComponent() override;

    // The real component from createKestrel(), wrapped.
    static SmsComponentFactory factory(std::shared_ptr<Probe> probe);

    void setInitFlag(bool factoryReset) override { m_inner->setInitFlag(factoryReset); }
    void setLogPath(const QString &folder) override { m_inner->setLogPath(folder); }
    void setModemLogType(int level) override { m_inner->setModemLogType(level); }
    void ClearLog(bool keepBackup) override { m_inner->ClearLog(keepBackup); }
    void setPort(const QString &port) override { m_inner->setPort(port); }
    void setBaudRate(qint32 baud) override { m_inner->setBaudRate(baud); }
    void setDataBits(qint16 bits) override { m_inner->setDataBits(bits); }
    void setStopBits(const QString &bits) override { m_inner->setStopBits(bits); }
    void setParity(const QString &parity) override { m_inner->setParity(parity); }
    void setCommTimeout(int ms) override { m_inner->setCommTimeout(std::min(ms, m_probe->timeoutMs)); }
    void setConnectTimeout(int ms) override { m_inner->setConnectTimeout(std::min(ms, m_probe->timeoutMs)); }
    void setPIN(const QString &pin) override { m_inner->setPIN(pin); }
    void setNoPin(bool noPin) override { m_inner->setNoPin(noPin); }
    bool Connect() override { return m_inner->Connect(); }
    bool IsError(bool show, const QString &title) override { return m_inner->IsError(show, title); }
    void ClearError() override { m_inner->ClearError(); }
    qint32 ErrorNumber() const override { return m_inner->ErrorNumber(); }
    QString ErrorDescription() const override { return m_inner->ErrorDescription(); }
    void setErrorDisplay(ErrorDisplay display) override { m_inner->setErrorDisplay(std::move(display)); }
    QString Manufacturer() override { return m_inner->Manufacturer(); }
    QString Model() override { return m_inner->Model(); }
    QString IMEI() override { return m_inner->IMEI(); }
    QString IMSI() override { return m_inner->IMSI(); }
    QString NetworkName() override { return m_inner->NetworkName(); }
    QString NetworkCode() override { return m_inner->NetworkCode(); }
    qint16 SignalStrength() override { return m_inner->SignalStrength(); }
    void setSMSC(const QString &number) override { m_inner->setSMSC(number); }
    void setValidity(const QString &code) override { m_inner->setValidity(code); }
    void setLongMessage(int mode) override { m_inner->setLongMessage(mode); }
    void setEncoding(int encoding) override { m_inner->setEncoding(encoding); }
    void setSendDelay(int ms) override { m_inner->setSendDelay(ms); }
    void setSendRetry(int count) override { m_inner->setSendRetry(count); }
    void setDeliveryReports(bool on) override { m_inner->setDeliveryReports(on); }
    void setIncomingMessages(bool on) override { m_inner->setIncomingMessages(on); }
    void setModemEvents(ModemEvents events) override { m_inner->setModemEvents(std::move(events)); }
    QString SendSMS(const QString &number, const QString &text, bool alert) override
    {
        return timedSend(number, [&] { return m_inner->SendSMS(number, text, alert); });
    }
    SmsWapPush &WapPush() override;

private:
    class Push;
    // Runs the hook, then the send, counting the time spent waiting for the modem.
    QString timedSend(const QString &number, const std::function<QString()> &send);

    std::unique_ptr<SmsComponent> m_inner;
    std::shared_ptr<Probe> m_probe;
    std::unique_ptr<Push> m_push;
};
