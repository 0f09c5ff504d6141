#pragma once

#include <QtGlobal>

// The gateway route's error numbers, beside the modem driver's 9000s.
namespace gateway {

enum Error : qint32 {
    Unreachable = 9101,    // no connection to Kannel: nothing was sent
    Forbidden = 9102,      // Kannel refused the user name or password
    Refused = 9103,        // Kannel will not send this message (its answer says why)
    NoAnswer = 9104,       // the request went out and no answer came: the message may have gone
    BadSettings = 9105,    // the gateway settings cannot be used
    WapPushNotSupported = 9106, // sendsms carries text messages only
};

} // namespace gateway
