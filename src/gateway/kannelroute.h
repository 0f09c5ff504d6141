#pragma once

#include <QString>
#include <QUrl>

// Where and how messages leave through a Kannel smsbox: its sendsms interface and the
// options Kannel takes per message.
struct KannelRoute
{
    QUrl sendsmsUrl;         // http://host:13013/cgi-bin/sendsms
    QString user;
    QString password;        // never written to a log
    QString sender;          // "from"; empty: the sendsms-user's default sender
    QString smscId;          // "smsc": the SMSC group to route to; empty: Kannel's routing
    int validityMinutes = 0; // 0: the SMSC's default
    int priority = -1;       // 0 (lowest) to 3; -1: Kannel's default
    bool post = false;       // text in the body and the rest as X-Kannel headers
    int inFlight = 8;        // requests waiting for Kannel's answer at once
};

// One message as it goes to Kannel.
struct KannelMessage
{
    QString to;
    QString text;
    bool ucs2 = false;  // else GSM 7-bit: Kannel converts the UTF-8 text itself
    bool flash = false; // message class 0, shown at once and not stored
    QString dlrUrl;     // with Kannel's %d and %A in it; empty: no delivery report asked
};
