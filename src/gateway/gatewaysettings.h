#pragma once

#include "gateway/kannelroute.h"

#include <QString>
#include <QStringList>

// The gateway route as config.ini keeps it, in a section of its own:
//
//   [Gateway]
//   Use=1                   1: runs go through the gateway, not the modems
//   SendsmsUrl=http://kannel.example:13013/cgi-bin/sendsms
//   User=quillo
//   Password=...            kept here only; never written to a log
//   Sender=ACME             Kannel's "from"
//   SMSC=modem1             Kannel's "smsc": route to this SMSC group
//   Validity=1440           minutes
//   Priority=0..3
//   Method=GET|POST
//   InFlight=8              requests waiting for Kannel's answer at once
//   ReportHost=127.0.0.1    how Kannel reaches this computer for delivery reports, and
//   ReportPort=13080        where this computer listens for them (0: any free port); read
//                           only, until runs through the gateway ask for reports
struct GatewaySettings
{
    bool use = false;
    KannelRoute route;
    QString reportHost = QStringLiteral("127.0.0.1");
    quint16 reportPort = 0;

    // What is wrong with the values, one line each naming the key; empty when they can be used.
    QStringList problems() const;
};

// Keys missing or unreadable load as their defaults; problems() then says what is wrong.
GatewaySettings loadGatewaySettings(const QString &dataFolder);
// Throws QuilloError on the first key it could not write.
void saveGatewaySettings(const QString &dataFolder, const GatewaySettings &settings);
