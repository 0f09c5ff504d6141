#pragma once

#include "kestrel/smscomponent.h"

#include <QSet>
#include <QStringList>
#include <functional>
#include <memory>

// A scripted SMS component: answers readings from its fields, fails the numbers and
// operations it is told to, and records every call as one text ("setPort(COM3)",
// "SendSMS(123|text|0)") so tests can check what reached the component and in which order.
// The script lives in a shared Script, so a test keeps it after the program released the
// component.
class FakeSmsComponent : public SmsComponent
{
public:
    struct Script
    {
        QString manufacturer = QStringLiteral("Acme");
        QString model = QStringLiteral("M1");
        QString imei = QStringLiteral("356938035643809");
        QString imsi = QStringLiteral("404685505601234");
        QString networkName = QStringLiteral("Airtel");
        QString networkCode = QStringLiteral("40410");
        qint16 signal = 70;
        qint32 connectError = 0;      // pending after the connectErrorOn-th Connect
        int connectErrorOn = 1;
        qint32 sendError = 500;       // the error number of a failing number
        QSet<QString> failingNumbers; // SendSMS / push Send fails for these
        QString sendReport = QStringLiteral("7");
        bool pushLengthValid = true;
        QString throwOn;              // an operation name that raises a QuilloError instead
        QString refuseOn;             // an operation name that leaves refuseError pending
        qint32 refuseError = 9014;
        std::function<void(const QString &number)> onSend; // runs inside each send
        std::function<void(const QString &operation)> onCall; // runs at every call
        QStringList calls;
        int created = 0;
        int released = 0;
    };

    explicit FakeSmsComponent(std::shared_ptr<Script> script);
    ~FakeSmsComponent() override;

    // A factory that hands out fakes over the one script.
    static SmsComponentFactory factory(std::shared_ptr<Script> script);

    void setInitFlag(bool factoryReset) override;
    void setLogPath(const QString &folder) override;
    void setModemLogType(int level) override;
    void ClearLog(bool keepBackup) override;
    void setPort(const QString &port) override;
    void setBaudRate(qint32 baud) override;
    void setDataBits(qint16 bits) override;
    void setStopBits(const QString &bits) override;
    void setParity(const QString &parity) override;
    void setCommTimeout(int ms) override;
    void setConnectTimeout(int ms) override;
    void setPIN(const QString &pin) override;
    void setNoPin(bool noPin) override;
    bool Connect() override;
    bool IsError(bool show, const QString &title) override;
    qint32 ErrorNumber() const override { return m_error; }
    QString ErrorDescription() const override;
    void setErrorDisplay(ErrorDisplay display) override { m_display = std::move(display); }
    QString Manufacturer() override;
    QString Model() override;
    QString IMEI() override;
    QString IMSI() override;
    QString NetworkName() override;
    QString NetworkCode() override;
    qint16 SignalStrength() override;
    void setSMSC(const QString &number) override;
    void setValidity(const QString &code) override;
    void setLongMessage(int mode) override;
    void setEncoding(int encoding) override;
    void setSendDelay(int ms) override;
    void setSendRetry(int count) override;
    QString SendSMS(const QString &number, const QString &text, bool alert) override;
    SmsWapPush &WapPush() override;

private:
    class Push;
    void record(const QString &operation, const QString &argument = QString());
    QString send(const QString &operation, const QString &number, const QString &argument);

    std::shared_ptr<Script> m_script;
    std::unique_ptr<Push> m_push;
    qint32 m_error = 0;
    int m_connects = 0;
    ErrorDisplay m_display;
};
