#pragma once

#include "recipients/recipientfields.h"
#include "sending/pacing.h"
#include "sending/runmessage.h"

#include <QList>
#include <QString>
#include <QStringList>

// What a run will send before it starts: each recipient's text as the modem gets it, its
// alphabet and its number of SMS parts by the same rules the driver applies, and what the
// whole run costs in parts and time.

struct PersonalMessage
{
    QString number;
    QString text;          // exactly as it goes to the modem
    int encoding = 0;      // 0 GSM 7-bit, 2 UCS2, as the component takes it
    QString notGsm;        // the characters of text outside the GSM alphabet, each once
    int parts = 1;
    bool cutShort = false; // longer than one SMS while long messages are truncated
    QStringList missing;   // the placeholders that got no value
};

struct RunPlan
{
    // The list carries columns and the message is a text message: each recipient's text is
    // merged with its own values (mergefields.h), and one whose text needs characters
    // outside the GSM alphabet goes in UCS2. Otherwise every recipient gets the message as
    // typed, in the alphabet chosen.
    bool personal = false;
    QList<PersonalMessage> messages; // one per number, in the list's order
    int totalParts = 0;
    QStringList unknownColumns;      // placeholders naming a column no recipient has
};

// message.text as the run sends it (blanks trimmed); longMessage is the long-message choice.
RunPlan planRun(const ComposedMessage &message, const QStringList &numbers, const QList<RecipientFields> &fields,
                const QString &longMessage);

// The lines the start question adds below itself: recipients, SMS parts in all, the
// estimated duration and how it was reckoned, and the texts that will be cut short.
// measured: runspeed::readMeasuredSpeeds. pacing: each modem's of the run; when the caps of
// every modem hold the run back longer than the modems' speed, the estimate says so.
QString runSummaryText(const RunPlan &plan, const QList<double> &measured, int sendDelayMs,
                       const QList<PacingLimits> &pacing = {});
// The same for a run through a gateway, whose speed is the gateway's.
QString gatewayRunSummaryText(const RunPlan &plan, int requestsAtOnce);

// The least time the caps let a run of these parts and recipients take, in seconds, and the
// caps of all modems together that decide it ("500 SMS parts per day"). A kind of cap bounds
// the run only when every modem has one; the SIMs' earlier counts are not known before the
// modems connect, so the time is a least one.
struct CapsBound
{
    qint64 seconds = 0;
    QString cap;
};
CapsBound capsBound(int parts, int recipients, const QList<PacingLimits> &pacing);

// The placeholders that will be left empty and for whom; empty text when there are none.
QString missingValuesText(const RunPlan &plan);

// How one text goes: "GSM 7-bit, 1 part", "UCS2 (for é€), 2 parts", with ", cut short" when
// long messages are truncated and it is longer than one SMS.
QString sendingDescription(const PersonalMessage &message);

// "9812345601, 9812345602 and 3 more": at most kListedNumbers named.
constexpr int kListedNumbers = 10;
QString numbersListed(const QStringList &numbers);
