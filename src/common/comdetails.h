#pragma once

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
};
