#pragma once

#include "atchannel.h"
#include "messagesplitter.h"
#include "modemlistener.h"
#include "modemlog.h"
#include "modemsession.h"
#include "smscomponent.h"
#include "submitpdu.h"

#include <QElapsedTimer>
#include <memory>

class KestrelWapPush;
class QIODevice;

// The SMS component as a driver of a GSM modem (or phone) over AT commands in PDU mode.
// Errors follow one rule: a failing operation sets the pending error (number and
// description), Connect, SendSMS and the push's Send clear it as they start, asking
// leaves it. Nothing here throws.
class KestrelDriver : public SmsComponent
{
public:
    KestrelDriver();
    ~KestrelDriver() override;

    void setInitFlag(bool factoryReset) override { m_factoryReset = factoryReset; }
    void setLogPath(const QString &folder) override { m_log.setFolder(folder); }
    void setModemLogType(int level) override { m_log.setLevel(level); }
    void ClearLog(bool keepBackup) override { m_log.clear(keepBackup); }

    void setPort(const QString &port) override { m_portName = port.trimmed(); }
    void setBaudRate(qint32 baud) override { m_baudRate = baud; }
    void setDataBits(qint16 bits) override { m_dataBits = bits; }
    void setStopBits(const QString &bits) override { m_stopBits = bits.trimmed(); }
    void setParity(const QString &parity) override { m_parity = parity.trimmed().toUpper(); }
    void setCommTimeout(int ms) override { m_commTimeout = ms > 0 ? ms : kDefaultTimeoutMs; }
    void setConnectTimeout(int ms) override { m_connectTimeout = ms > 0 ? ms : kDefaultTimeoutMs; }
    void setPIN(const QString &pin) override { m_pin = pin.trimmed(); }
    void setNoPin(bool noPin) override { m_noPin = noPin; }

    bool Connect() override;

    bool IsError(bool show, const QString &title) override;
    void ClearError() override { clearError(); }
    qint32 ErrorNumber() const override { return m_errorNumber; }
    QString ErrorDescription() const override { return m_errorDescription; }
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
    void setSendDelay(int ms) override { m_sendDelay = qMax(0, ms); }
    void setSendRetry(int count) override { m_sendRetry = qMax(0, count); }

    void setDeliveryReports(bool on) override { m_deliveryReports = on; }
    void setIncomingMessages(bool on) override { m_incomingMessages = on; }
    void setModemEvents(ModemEvents events) override { m_events = std::move(events); }
    // How reports and messages come (ModemListener::Routing); stored unless set.
    void setRouting(ModemListener::Routing routing) { m_routing = routing; }

    QString SendSMS(const QString &number, const QString &text, bool alert) override;
    SmsWapPush &WapPush() override;

    // Sends prepared 8-bit parts (the push): used by KestrelWapPush.
    QString sendData(const QString &number, const QByteArray &header, const QByteArray &data);
    void clearError();
    void setError(qint32 number, const QString &description);

    static constexpr int kDefaultTimeoutMs = 30000;

private:
    bool openPort();
    void startSession(std::unique_ptr<QIODevice> device);
    void closePort();
    bool synchronise();
    bool unlockSim();
    bool waitForRegistration();
    void startListening();
    // AT+CMMS=2 before the first message of a connection; false only when the modem is gone.
    bool keepLinkUp();
    // Sets the error from a failed exchange; `what` says which step failed.
    void failFrom(const AtResult &result, const QString &what);
    // A step that needs the modem: false (and the error set) when there is none.
    bool ready();
    QString readValue(const QByteArray &command, const QString &what);
    QString readOperator(int format);
    // Submits one PDU with pacing and retries; -1 on failure.
    int submit(const gsm::SubmitMessage &message);
    void pace();

    // Settings
    bool m_factoryReset = false;
    QString m_portName;
    qint32 m_baudRate = 9600;
    qint16 m_dataBits = 8;
    QString m_stopBits = QStringLiteral("1");
    QString m_parity = QStringLiteral("N");
    int m_commTimeout = kDefaultTimeoutMs;
    int m_connectTimeout = kDefaultTimeoutMs;
    QString m_pin;
    bool m_noPin = false;
    QString m_smsc;
    int m_validity = -1;
    gsm::LongMode m_longMode = gsm::LongMode::Truncate;
    gsm::Coding m_coding = gsm::Coding::Gsm7;
    int m_sendDelay = 0;
    int m_sendRetry = 0;
    bool m_deliveryReports = false;
    bool m_incomingMessages = false;
    ModemListener::Routing m_routing = ModemListener::Routing::Stored;
    ModemEvents m_events;

    // State
    ModemLog m_log;
    std::unique_ptr<ModemSession> m_session;
    std::unique_ptr<AtChannel> m_channel;
    std::unique_ptr<ModemListener> m_listener;
    bool m_linkKept = false; // AT+CMMS=2 answered on this connection
    std::unique_ptr<KestrelWapPush> m_wapPush;
    bool m_connected = false;
    qint32 m_errorNumber = 0;
    QString m_errorDescription;
    ErrorDisplay m_display;
    QElapsedTimer m_lastSubmit;
    int m_concatReference;
};
