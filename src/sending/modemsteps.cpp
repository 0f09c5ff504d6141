#include "modemsteps.h"

#include "sending/sendingrunvalues.h"

#include "common/text.h"
#include "kestrel/gsmalphabet.h"
#include "kestrel/kestrelerrors.h"

namespace {

const QString kKestrelError = QStringLiteral("Kestrel Error");

} // namespace

namespace modemsteps {

void forgiveReadingError(SmsComponent &modem)
{
    const qint32 number = modem.ErrorNumber();
    if (number == 0 || number == kestrel::NoAnswer || number == kestrel::PortLost || number == kestrel::NotConnected)
        return;
    modem.ClearError();
}

void configureMessages(SmsComponent &modem, const ComDetails &stored, const ComposedMessage &message,
                       const MessageOptions &options)
{
    modem.setEncoding(message.encoding);
    modem.setSendDelay(runvalues::sendDelayMs(stored.SendDelay));
    modem.setSendRetry(runvalues::toInt16(stored.SendRetry));
    if (const std::optional<int> code = runvalues::longMessageCode(options.longMessage))
        modem.setLongMessage(*code);
    if (!options.internalSmsc && !trimSpaces(stored.SMSC).isEmpty())
        modem.setSMSC(stored.SMSC);
}

bool preparePush(SmsComponent &modem, const ComposedMessage &message)
{
    SmsWapPush &push = modem.WapPush();
    push.setPushLevel(2);
    push.setPushDate(0);
    push.setPushId(QStringLiteral("0"));
    push.setUrl(message.url);
    push.setText(message.text);
    return push.IsLengthValid();
}

bool sendTo(SmsComponent &modem, const ComposedMessage &message, const PersonalMessage &personal,
            bool personalEncoding, QString &report)
{
    const QString &number = personal.number;
    if (!message.wapPush) {
        if (personalEncoding)
            modem.setEncoding(personal.encoding);
        report = modem.SendSMS(number, personal.text, message.alert);
    } else {
        SmsWapPush &push = modem.WapPush();
        // Setting the destination does not clear the error of the previous number, which is
        // already counted; only an error that appears here means this destination was
        // refused. Otherwise one failure would fail every later push unsent.
        const bool leftOver = modem.IsError(false, kKestrelError);
        push.setDestination(number);
        if (leftOver || !modem.IsError(false, kKestrelError)) {
            push.Send();
            report = QStringLiteral("0");
        }
    }
    return !modem.IsError(false, kKestrelError);
}

bool isModemLost(qint32 errorNumber)
{
    return errorNumber == kestrel::PortLost || errorNumber == kestrel::NoAnswer;
}

void listenFor(SmsComponent &modem, const ModemEvents &events)
{
    if (!events.report && !events.message)
        return;
    modem.setDeliveryReports(bool(events.report));
    modem.setIncomingMessages(bool(events.message));
    modem.setModemEvents(events);
}

QString sendReply(SmsComponent &modem, const QString &number, const QString &text)
{
    modem.setLongMessage(3);
    modem.setEncoding(gsm::isRepresentable(text) ? 0 : 2);
    modem.SendSMS(number, text, false);
    return modem.IsError(false, {}) ? modem.ErrorDescription() : QString();
}

} // namespace modemsteps
