#include "kestrelerrors.h"

#include <QHash>

namespace kestrel {
namespace {

const QHash<int, QString> &cmeTable()
{
    static const QHash<int, QString> table = {
        {0, "Phone failure"}, {1, "No connection to phone"}, {3, "Operation not allowed"},
        {4, "Operation not supported"}, {5, "PH-SIM PIN required"}, {10, "SIM not inserted"},
        {11, "SIM PIN required"}, {12, "SIM PUK required"}, {13, "SIM failure"}, {14, "SIM busy"},
        {15, "SIM wrong"}, {16, "Incorrect password"}, {17, "SIM PIN2 required"},
        {18, "SIM PUK2 required"}, {20, "Memory full"}, {21, "Invalid index"}, {22, "Not found"},
        {23, "Memory failure"}, {24, "Text string too long"}, {25, "Invalid characters in text string"},
        {26, "Dial string too long"}, {27, "Invalid characters in dial string"},
        {30, "No network service"}, {31, "Network timeout"}, {32, "Network not allowed - emergency calls only"},
        {100, "Unknown"},
    };
    return table;
}

const QHash<int, QString> &cmsTable()
{
    static const QHash<int, QString> table = {
        {1, "Unassigned (unallocated) number"}, {8, "Operator determined barring"},
        {10, "Call barred"}, {21, "Short message transfer rejected"}, {27, "Destination out of service"},
        {28, "Unidentified subscriber"}, {29, "Facility rejected"}, {30, "Unknown subscriber"},
        {38, "Network out of order"}, {41, "Temporary failure"}, {42, "Congestion"},
        {47, "Resources unavailable, unspecified"}, {50, "Requested facility not subscribed"},
        {69, "Requested facility not implemented"}, {81, "Invalid short message transfer reference value"},
        {95, "Invalid message, unspecified"}, {96, "Invalid mandatory information"},
        {97, "Message type non-existent or not implemented"}, {98, "Message not compatible with short message protocol state"},
        {99, "Information element non-existent or not implemented"}, {111, "Protocol error, unspecified"},
        {127, "Interworking, unspecified"}, {128, "Telematic interworking not supported"},
        {176, "TPDU not supported"}, {192, "SC busy"}, {193, "No SC subscription"},
        {194, "SC system failure"}, {195, "Invalid SME address"}, {196, "Destination SME barred"},
        {208, "SIM SMS storage full"}, {255, "Unspecified error cause"},
        {300, "ME failure"}, {301, "SMS service of ME reserved"}, {302, "Operation not allowed"},
        {303, "Operation not supported"}, {304, "Invalid PDU mode parameter"},
        {305, "Invalid text mode parameter"}, {310, "SIM not inserted"}, {311, "SIM PIN required"},
        {312, "PH-SIM PIN required"}, {313, "SIM failure"}, {314, "SIM busy"}, {315, "SIM wrong"},
        {316, "SIM PUK required"}, {317, "SIM PIN2 required"}, {318, "SIM PUK2 required"},
        {320, "Memory failure"}, {321, "Invalid memory index"}, {322, "Memory full"},
        {330, "SMSC address unknown"}, {331, "No network service"}, {332, "Network timeout"},
        {340, "No +CNMA acknowledgement expected"}, {500, "Unknown error"},
    };
    return table;
}

} // namespace

QList<ErrorInfo> ownErrors()
{
    return {
        {PortOpenFailed, "The port could not be opened (it does not exist, is in use or access is denied)"},
        {PortSettingUnsupported, "The port does not support the baud rate, data bits, parity or stop bits set"},
        {NoAnswer, "No answer from the modem within the time limit"},
        {PinRequired, "The SIM card asks for a PIN but none is set"},
        {PinRejected, "The SIM card rejected the PIN"},
        {PukRequired, "The SIM card is blocked and asks for its PUK"},
        {NotRegistered, "The modem did not register on the network within the time limit"},
        {PortLost, "The connection to the modem was lost"},
        {NotConnected, "The modem is not connected"},
        {ModemError, "The modem answered ERROR"},
        {UnexpectedAnswer, "The modem gave an answer that could not be understood"},
        {InvalidNumber, "Invalid phone number"},
        {WapPushTooLong, "The WAP Push text and URL do not fit one message"},
        {SettingUnsupported, "The message setting is not supported"},
        {SimNotReady, "The SIM card is not ready"},
        {RegistrationDenied, "The network denied registration"},
    };
}

QString cmeErrorDescription(int number)
{
    return cmeTable().value(number, QStringLiteral("Modem error %1").arg(number));
}

QString cmsErrorDescription(int number)
{
    return cmsTable().value(number, QStringLiteral("Message service error %1").arg(number));
}

QString errorDescription(qint32 number)
{
    for (const ErrorInfo &e : ownErrors()) {
        if (e.number == number)
            return e.description;
    }
    if (cmsTable().contains(number) && (number >= 256 || !cmeTable().contains(number)))
        return cmsTable().value(number);
    if (cmeTable().contains(number))
        return cmeTable().value(number);
    return QStringLiteral("Unknown error %1").arg(number);
}

} // namespace kestrel
