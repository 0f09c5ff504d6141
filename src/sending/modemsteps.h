#pragma once

#include "common/comdetails.h"
#include "kestrel/smscomponent.h"
#include "sending/runmessage.h"
#include "sending/runsummary.h"

// The steps of a sending run that one modem's component takes, the same for the one modem of
// a usual run and for each modem of a pool. None shows a box: each leaves its failure in the
// component's pending error, for the run to read.
namespace modemsteps {

// Below this reading (on the bar's 0 to 100 scale) messages are likely to fail.
constexpr int kLowSignal = 36;

// A reading only shown (maker, model, IMEI, IMSI, network) that the modem refuses must not
// fail the run; a lost or silent modem still does.
void forgiveReadingError(SmsComponent &modem);

// Encoding, delay, retry, long-message mode and service centre, for every message after.
void configureMessages(SmsComponent &modem, const ComDetails &stored, const ComposedMessage &message,
                       const MessageOptions &options);

// A WAP Push run sets the push up once; false when text and URL do not fit one message.
bool preparePush(SmsComponent &modem, const ComposedMessage &message);

// Sends the recipient's text (or the push) to its number; true when the modem took it, with
// report set to its message references. personalEncoding: the recipient's text chose its own
// alphabet (a personal text that needs UCS2).
bool sendTo(SmsComponent &modem, const ComposedMessage &message, const PersonalMessage &personal,
            bool personalEncoding, QString &report);

// Whether an error means the modem itself is gone (port lost) or stopped answering, rather
// than that one message was refused.
bool isModemLost(qint32 errorNumber);

// Sends a text of the program's own (a stop confirmation) to number, whole, in the GSM
// alphabet when it can be, else in UCS2; the component's error text, or empty when it went.
QString sendReply(SmsComponent &modem, const QString &number, const QString &text);

// Asks the modem for what events wants to hear (status reports, incoming messages) and hands
// it over there; nothing changes when events is empty. Before Connect.
void listenFor(SmsComponent &modem, const ModemEvents &events);

} // namespace modemsteps
