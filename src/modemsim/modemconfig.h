#pragma once

#include <QList>
#include <QSet>
#include <QString>

// A message the simulated network delivers to the modem: delayMs after the host's first
// command (from the configuration) or after the request (on demand).
struct IncomingSpec
{
    int delayMs = 0;
    QString sender;
    QString text;
    // One line "<delay ms> <sender> <text>"; false with an error for anything else.
    static bool parse(const QString &line, IncomingSpec *spec, QString *error);
};

// What the simulated modem is and how it misbehaves. Read from an INI file:
//   [modem]   Manufacturer, Model, Revision, IMEI, IMSI
//   [network] Name, Code, RSSI (0-31, 99 unknown), Registered (true/false), Denied (true/false),
//             LteOnly (true: registered in +CEREG only, +CREG says not registered),
//             SubmitDelay (ms from a message's PDU to the network's +CMGS answer; a real
//             network takes 2-3 s)
//   [sim]     PIN (empty: no PIN asked)
//   [faults]  CmsErrorNumbers (comma list), NoReferenceNumbers (comma list), CmsErrorCode (default 500),
//             CmsErrorTimes (0: those numbers always fail; n: the first n submits fail),
//             ReplyDelay (ms), SilentAfterCommands (n: no answer after the n-th command),
//             HangUpAfterMessages (n: the line drops after the n-th accepted message),
//             RefuseCmms (true: AT+CMMS answers ERROR, as on modems without it)
//   [reports] for messages that ask for a status report: Delay (ms after the +CMGS answer),
//             FailedShare, ExpiredShare, LostShare (percent of reports that say failed,
//             say expired, never come), FailedStatus (the TP-ST of a failure), Seed
//   [incoming] Message<n> = <delay ms> <sender> <text>: delivered that long after the host's
//             first command; File: read on SIGUSR1 (lines in the same form), then emptied
struct ModemConfig
{
    QString manufacturer = QStringLiteral("Kestrel Labs");
    QString model = QStringLiteral("SimModem 900");
    QString revision = QStringLiteral("SM900R01A01");
    QString imei = QStringLiteral("356938035643809");
    QString imsi = QStringLiteral("234150999999999");
    QString networkName = QStringLiteral("SIMNET");
    QString networkCode = QStringLiteral("23415");
    int rssi = 24;
    bool registered = true;
    bool denied = false;
    bool lteOnly = false;
    int submitDelayMs = 0;
    QString pin;
    QSet<QString> cmsErrorNumbers;   // numbers as dialled, without a leading "+"
    QSet<QString> noReferenceNumbers; // accepted, but answered OK without their +CMGS reference
    int cmsErrorCode = 500;
    int cmsErrorTimes = 0;
    int replyDelayMs = 0;
    int silentAfterCommands = 0;
    int hangUpAfterMessages = 0;
    bool refuseCmms = false;
    int reportDelayMs = 1000;
    int failedShare = 0;
    int expiredShare = 0;
    int lostShare = 0;
    int failedStatus = 0x43; // not obtainable: the number is not in service
    int reportSeed = 1;
    QList<IncomingSpec> incoming;
    QString incomingFile;

    // False with an error text when the file cannot be read or holds a bad value.
    static bool load(const QString &path, ModemConfig *config, QString *error);
};
