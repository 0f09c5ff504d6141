#pragma once

#include <QList>
#include <QString>

// The stored settings, one text per key of the settings file (see SettingsStore), as last
// loaded or applied.
struct ComDetails
{
    QString Port;
    QString BaudRate;
    QString DataBits;
    QString StopBits;
    QString Parity;
    QString PIN;
    QString Validity;
    QString SMSC;
    QString SendDelay;
    QString SendRetry;
    QString LongMsg;
    QString SysLog;
    QString MsgLog;
    QString Country; // "Country for local numbers": a two-letter code, or empty for none
    QString DeliveryReports; // "1": each message asks for a delivery report; else none
};

inline bool asksDeliveryReports(const ComDetails &details)
{
    return details.DeliveryReports == QLatin1String("1");
}

// One more modem of the pool, after the first (whose port settings are ComDetails'): the
// port with its own settings, stored texts as in ComDetails. Timeouts are the program's own.
struct ModemPort
{
    QString Port;
    QString BaudRate;
    QString DataBits;
    QString StopBits;
    QString Parity;
    QString PIN;

    bool operator==(const ModemPort &) const = default;
};

// The settings a modem of the pool is run with: the stored ones with its own port values.
inline ComDetails withModemPort(ComDetails details, const ModemPort &modem)
{
    details.Port = modem.Port;
    details.BaudRate = modem.BaudRate;
    details.DataBits = modem.DataBits;
    details.StopBits = modem.StopBits;
    details.Parity = modem.Parity;
    details.PIN = modem.PIN;
    return details;
}

// The port values of stored settings, as the pool's first modem.
inline ModemPort modemPortOf(const ComDetails &details)
{
    return {details.Port, details.BaudRate, details.DataBits, details.StopBits, details.Parity, details.PIN};
}
