#pragma once

#include "common/error.h"
#include "kestrel/smscomponent.h"

#include <QSet>
#include <QStringList>
#include <functional>
#include <memory>

// A scripted SMS component: answers readings from its Script, fails the numbers and
// operations it is told to, and records every call as one text ("Port(COM3)",
// "SendSMS(123|text|0)") so tests see what reached the component and in which order. The
// Script is shared, so a test keeps it after the program released the component.
class FakeSmsComponent : public SmsComponent
{
public:
    struct Script
    {
        QString manufacturer = QStringLiteral("Acme");
        QString imsi = QStringLiteral("404685505601234");
        QString networkName = QStringLiteral("Airtel");
        QString networkCode = QStringLiteral("40410");
        qint16 signal = 70;
        qint32 connectError = 0; // pending after the connectErrorOn-th Connect
        int connectErrorOn = 1;
        QSet<QString> failingNumbers; // their send leaves error 500 pending
        QString sendReport = QStringLiteral("7");
        bool pushLengthValid = true;
        QString throwOn;  // an operation that raises a QuilloError instead
        QString refuseOn; // an operation that leaves refuseError pending
        qint32 refuseError = 9014;
        std::function<void(const QString &number)> onSend;
        std::function<void(const QString &operation)> onCall;
        ModemEvents events; // as the program set them, for a test to report through
        QStringList calls;
        int created = 0;
        int released = 0;
    };

    explicit FakeSmsComponent(std::shared_ptr<Script> script) : m_script(std::move(script)) { ++m_script->created; }
    ~FakeSmsComponent() override { ++m_script->released; }
    static SmsComponentFactory factory(std::shared_ptr<Script> script)
    {
        return [script] { return std::make_unique<FakeSmsComponent>(script); };
    }

    void setInitFlag(bool reset) override { record("InitFlag", QString::number(reset)); }
    void setLogPath(const QString &folder) override { record("LogPath", folder); }
    void setModemLogType(int level) override { record("ModemLogType", QString::number(level)); }
    void ClearLog(bool keepBackup) override { record("ClearLog", QString::number(keepBackup)); }
    void setPort(const QString &port) override { record("Port", port); }
    void setBaudRate(qint32 baud) override { record("BaudRate", QString::number(baud)); }
    void setDataBits(qint16 bits) override { record("DataBits", QString::number(bits)); }
    void setStopBits(const QString &bits) override { record("StopBits", bits); }
    void setParity(const QString &parity) override { record("Parity", parity); }
    void setCommTimeout(int ms) override { record("CommTimeout", QString::number(ms)); }
    void setConnectTimeout(int ms) override { record("ConnectTimeout", QString::number(ms)); }
    void setPIN(const QString &pin) override { record("PIN", pin); }
    void setNoPin(bool noPin) override { record("NoPin", QString::number(noPin)); }
    bool Connect() override
    {
        m_error = 0;
        record("Connect");
        if (m_script->connectError != 0 && ++m_connects >= m_script->connectErrorOn)
            m_error = m_script->connectError;
        return m_error == 0;
    }
    bool IsError(bool show, const QString &title) override
    {
        record("IsError", QString::number(show) + QLatin1Char('|') + title);
        if (m_error != 0 && show && m_display)
            m_display(ErrorDescription(), title);
        return m_error != 0;
    }
    qint32 ErrorNumber() const override { return m_error; }
    void ClearError() override { record("ClearError"), m_error = 0; }
    QString ErrorDescription() const override { return m_error ? QStringLiteral("Fake error %1").arg(m_error) : QString(); }
    void setErrorDisplay(ErrorDisplay display) override { m_display = std::move(display); }
    QString Manufacturer() override { return record("Manufacturer"), m_script->manufacturer; }
    QString Model() override { return record("Model"), QStringLiteral("M1"); }
    QString IMEI() override { return record("IMEI"), QStringLiteral("356938035643809"); }
    QString IMSI() override { return record("IMSI"), m_script->imsi; }
    QString NetworkName() override { return record("NetworkName"), m_script->networkName; }
    QString NetworkCode() override { return record("NetworkCode"), m_script->networkCode; }
    qint16 SignalStrength() override { return record("SignalStrength"), m_script->signal; }
    void setSMSC(const QString &number) override { record("SMSC", number); }
    void setValidity(const QString &code) override { record("Validity", code); }
    void setLongMessage(int mode) override { record("LongMessage", QString::number(mode)); }
    void setEncoding(int encoding) override { record("Encoding", QString::number(encoding)); }
    void setSendDelay(int ms) override { record("SendDelay", QString::number(ms)); }
    void setSendRetry(int count) override { record("SendRetry", QString::number(count)); }
    void setDeliveryReports(bool on) override { record("DeliveryReports", QString::number(on)); }
    void setIncomingMessages(bool on) override { record("IncomingMessages", QString::number(on)); }
    void setModemEvents(ModemEvents events) override { m_script->events = std::move(events); }
    QString SendSMS(const QString &number, const QString &text, bool alert) override
    {
        return send("SendSMS", number, number + QLatin1Char('|') + text + QLatin1Char('|') + QString::number(alert));
    }
    SmsWapPush &WapPush() override { return record("WapPush"), m_push; }

private:
    struct Push : SmsWapPush
    {
        FakeSmsComponent &c;
        QString destination;
        explicit Push(FakeSmsComponent &owner) : c(owner) {}
        void setDestination(const QString &number) override { c.record("Push.Destination", destination = number); }
        void setText(const QString &text) override { c.record("Push.Text", text); }
        void setUrl(const QString &url) override { c.record("Push.Url", url); }
        void setPushLevel(int level) override { c.record("Push.PushLevel", QString::number(level)); }
        void setPushDate(qint64 date) override { c.record("Push.PushDate", QString::number(date)); }
        void setPushId(const QString &id) override { c.record("Push.PushId", id); }
        bool IsLengthValid() override { return c.record("Push.IsLengthValid"), c.m_script->pushLengthValid; }
        QString Send() override { return c.send("Push.Send", destination, destination); }
    };

    void record(const char *operation, const QString &argument = QString())
    {
        const QString name = QLatin1String(operation);
        m_script->calls << (argument.isNull() ? name : name + QLatin1Char('(') + argument + QLatin1Char(')'));
        if (m_script->onCall)
            m_script->onCall(name);
        if (name == m_script->refuseOn)
            m_error = m_script->refuseError;
        if (name == m_script->throwOn)
            throw QuilloError(91, QStringLiteral("Object variable or With block variable not set"), QStringLiteral("Kestrel"));
    }
    QString send(const char *operation, const QString &number, const QString &argument)
    {
        m_error = 0;
        record(operation, argument);
        if (m_script->onSend)
            m_script->onSend(number);
        if (m_script->failingNumbers.contains(number))
            return m_error = 500, QString();
        return m_script->sendReport;
    }

    std::shared_ptr<Script> m_script;
    Push m_push{*this};
    qint32 m_error = 0;
    int m_connects = 0;
    ErrorDisplay m_display;
};
