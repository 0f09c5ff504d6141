#pragma once

#include <QList>
#include <QString>

// Error numbers of the Kestrel SMS component. Numbers a modem reports with +CME ERROR
// (3GPP TS 27.007 9.2) or +CMS ERROR (3GPP TS 27.005 3.2.5) pass through unchanged; the
// component's own failures use the range 9001-9099, which no modem uses.
namespace kestrel {

enum Error : qint32 {
    NoError = 0,
    PortOpenFailed = 9001,      // the port does not exist, is busy or may not be opened
    PortSettingUnsupported = 9002, // baud rate, data bits, parity or stop bits refused
    NoAnswer = 9003,            // the modem did not answer within the time limit
    PinRequired = 9004,         // the SIM asks for a PIN and none was given
    PinRejected = 9005,         // the SIM refused the PIN
    PukRequired = 9006,         // the SIM is blocked and asks for its PUK
    NotRegistered = 9007,       // no network registration within the connect time limit
    PortLost = 9008,            // the port went away (cable pulled, modem switched off)
    NotConnected = 9009,        // an operation that needs the modem came before Connect
    ModemError = 9010,          // the modem answered ERROR without a number
    UnexpectedAnswer = 9011,    // the modem's answer could not be understood
    InvalidNumber = 9012,       // the destination or service-centre number is not a phone number
    WapPushTooLong = 9013,      // text and URL do not fit one WAP Push message
    SettingUnsupported = 9014,  // a message setting the component does not know (validity code, ...)
    SimNotReady = 9015,         // the SIM reports a state other than ready, PIN or PUK
    RegistrationDenied = 9016,  // the network refused registration
};

struct ErrorInfo
{
    qint32 number;
    QString description;
};

// The component's own error numbers with their descriptions, in number order.
QList<ErrorInfo> ownErrors();

// The description of an error number: the component's own, a +CMS ERROR number (300-500
// and the network causes below 256) or a +CME ERROR number; "Unknown error N" otherwise.
QString errorDescription(qint32 number);
// The same, knowing which kind of modem error the number came as.
QString cmeErrorDescription(int number);
QString cmsErrorDescription(int number);

} // namespace kestrel
