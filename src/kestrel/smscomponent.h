#pragma once

#include "messagejoiner.h"
#include "statusreport.h"

#include <QString>
#include <functional>
#include <memory>

// Where a component hands what its modem says on its own.
struct ModemEvents
{
    std::function<void(const gsm::StatusReport &report)> report;
    std::function<void(const IncomingMessage &message)> message;
};

// The push object a component hands out: the same object at every call of WapPush().
class SmsWapPush
{
public:
    virtual ~SmsWapPush() = default;

    virtual void setDestination(const QString &number) = 0;
    virtual void setText(const QString &text) = 0;
    virtual void setUrl(const QString &url) = 0;
    virtual void setPushLevel(int level) = 0;      // 2: signal-medium
    virtual void setPushDate(qint64 date) = 0;     // 0: no creation date
    virtual void setPushId(const QString &id) = 0; // "0": the component makes one up
    // True when text and URL fit one SMS.
    virtual bool IsLengthValid() = 0;
    // Returns the send report; a failure shows through the component's IsError.
    virtual QString Send() = 0;
};

// The SMS component: a fresh instance serves one modem operation and is released at its
// end, which closes the port. A failing operation sets the pending error; Connect, SendSMS
// and WapPush().Send() clear it as they start; asking IsError leaves it.
class SmsComponent
{
public:
    using ErrorDisplay = std::function<void(const QString &text, const QString &title)>;

    virtual ~SmsComponent() = default;

    // Modem log Kestrel.log: level 0 off, 1 errors, 2 errors and status.
    virtual void setInitFlag(bool factoryReset) = 0;
    virtual void setLogPath(const QString &folder) = 0;
    virtual void setModemLogType(int level) = 0;
    virtual void ClearLog(bool keepBackup) = 0;

    // Port parameters, used by Connect.
    virtual void setPort(const QString &port) = 0;         // "COM1", "/dev/ttyUSB0", "SIMULATOR"
    virtual void setBaudRate(qint32 baud) = 0;
    virtual void setDataBits(qint16 bits) = 0;
    virtual void setStopBits(const QString &bits) = 0;     // "1", "1.5" or "2"
    virtual void setParity(const QString &parity) = 0;     // N, O, E, M or S
    virtual void setCommTimeout(int ms) = 0;
    virtual void setConnectTimeout(int ms) = 0;
    virtual void setPIN(const QString &pin) = 0;
    virtual void setNoPin(bool noPin) = 0;

    virtual bool Connect() = 0;

    // True while an error is pending; with show true the text goes to the error display.
    virtual bool IsError(bool show, const QString &title) = 0;
    virtual qint32 ErrorNumber() const = 0;
    virtual QString ErrorDescription() const = 0;
    // Forgets the pending error: a reading that only informs the operator must not fail
    // the operation that goes on after it.
    virtual void ClearError() = 0;
    // Where a pending error is shown when IsError is asked with show true.
    virtual void setErrorDisplay(ErrorDisplay display) = 0;

    // Modem and network readings, asked of the modem at each call.
    virtual QString Manufacturer() = 0;
    virtual QString Model() = 0;
    virtual QString IMEI() = 0;
    virtual QString IMSI() = 0;
    virtual QString NetworkName() = 0;
    virtual QString NetworkCode() = 0;
    virtual qint16 SignalStrength() = 0; // 0..100, -1 when the modem does not know

    // Message settings: apply to every later message.
    virtual void setSMSC(const QString &number) = 0;       // empty: the modem's own
    virtual void setValidity(const QString &code) = 0;     // "1H", "6H", "1D", "1W", "1M"; empty: none
    virtual void setLongMessage(int mode) = 0;             // 0 truncate, 1 split, 2 formatted, 3 concatenate
    virtual void setEncoding(int encoding) = 0;            // 0 GSM default alphabet, 2 UCS2
    virtual void setSendDelay(int ms) = 0;
    virtual void setSendRetry(int count) = 0;

    // What the modem says on its own about messages. Off by default, and off leaves every PDU
    // and the AT dialogue as they were. With delivery reports on, each message asks for a
    // status report (TP-SRR); with incoming messages on, messages that reach the modem are
    // read and then deleted there. Both take effect at the next Connect.
    virtual void setDeliveryReports(bool on) = 0;
    virtual void setIncomingMessages(bool on) = 0;
    // Where reports and messages go as they arrive, during operations and between them, for
    // as long as the component lives and its port is open: a run that wants the reports
    // that come after it ends keeps its component. A report's message reference is only
    // unique for the modem of the component it came from.
    virtual void setModemEvents(ModemEvents events) = 0;

    // Sends text as one or more SMS; returns the message references joined by ",".
    virtual QString SendSMS(const QString &number, const QString &text, bool alert) = 0;
    virtual SmsWapPush &WapPush() = 0;
};

using SmsComponentFactory = std::function<std::unique_ptr<SmsComponent>()>;
