#pragma once

#include <QList>
#include <QString>

// How one modem is paced, as stored texts (see pacing.h for their reading); an empty text
// sets no limit, so a modem with every text empty is sent through as fast as Send Delay lets.
struct ModemPacing
{
    QString MinPause; // seconds between two messages: a random pause from MinPause to MaxPause
    QString MaxPause;
    QString PartsPerHour;
    QString PartsPerDay;
    QString RecipientsPerDay;

    bool isEmpty() const
    {
        return MinPause.isEmpty() && MaxPause.isEmpty() && PartsPerHour.isEmpty() && PartsPerDay.isEmpty()
            && RecipientsPerDay.isEmpty();
    }
    bool operator==(const ModemPacing &) const = default;
};

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
    ModemPacing Pacing; // the first modem's
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
    ModemPacing Pacing;

    bool operator==(const ModemPort &) const = default;
};

// The settings a modem of the pool is run with: the stored ones with its own port values
// and pacing.
inline ComDetails withModemPort(ComDetails details, const ModemPort &modem)
{
    details.Port = modem.Port;
    details.BaudRate = modem.BaudRate;
    details.DataBits = modem.DataBits;
    details.StopBits = modem.StopBits;
    details.Parity = modem.Parity;
    details.PIN = modem.PIN;
    details.Pacing = modem.Pacing;
    return details;
}

// The port values and pacing of stored settings, as the pool's first modem.
inline ModemPort modemPortOf(const ComDetails &details)
{
    return {details.Port,     details.BaudRate, details.DataBits, details.StopBits,
            details.Parity,   details.PIN,      details.Pacing};
}
