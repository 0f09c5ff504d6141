#pragma once

#include "sending/runjournal.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

// Matches the delivery reports that come back to the messages they are about, and records
// each in the journal of the run that sent it (runjournal.h, the "delivery" record).
//
// A report names its message by the reference the modem gave it, which is unique only for
// that modem and only for a while: references count to 255 and start again. So a message is
// known by its modem and reference, and a later message with the same pair takes the place
// of the earlier one. A report can come before the run has recorded its message as sent (a
// fast network answers the first part of a long message while the second still goes): such
// a report waits, and is logged as unknown only when nothing claimed it for a while.
//
// Errors: record and expect throw QuilloError when a journal cannot be written.
class DeliveryTracker
{
public:
    // How long a report waits for its message before it counts as unknown.
    static constexpr qint64 kGraceMs = 60'000;

    explicit DeliveryTracker(JournalClock clock = {});

    // A message through the gateway has one reference for all its parts: its run's journal
    // file name and its position, which its dlr-url carries back.
    static inline const QString kGateway = QStringLiteral("gateway");
    static QString gatewayReference(const QString &journal, int position);

    // The messages still pending in the recent runs of logsFolder that asked for reports,
    // so that reports coming after a restart still find their number. Journals that cannot
    // be read are passed over.
    void loadPending(const QString &logsFolder, int days = 7);

    struct Recorded
    {
        QString journal;
        DeliveryRecord record;
    };
    // A message of the run of journal went: refs as the journal holds them ("12,13").
    // modem: the modem's port, or kGateway. Returns the reports that came before it.
    QList<Recorded> expect(const QString &journal, int position, const QString &number, const QString &modem,
                           const QString &refs);

    struct Unknown
    {
        QString modem;
        QString reference;
        gsm::DeliveryStatus status;
    };
    // A report from modem: recorded in its run's journal and returned, or kept waiting.
    std::optional<Recorded> record(const QString &modem, const QString &reference, gsm::DeliveryStatus status,
                                   const QString &reason);
    // The waiting reports older than the grace (all of them with flushAll), taken out.
    QList<Unknown> takeUnknown(bool flushAll = false);
    // Messages whose every part has a final status are forgotten; this counts the rest.
    int pendingCount() const { return int(m_expected.size()); }

private:
    struct Expected
    {
        QString journal;
        int position = -1;
        QString number;
    };
    struct Waiting
    {
        Unknown report;
        QString reason;
        QDateTime since;
    };
    static QString key(const QString &modem, const QString &reference) { return modem + QLatin1Char('\t') + reference; }
    Recorded write(const Expected &message, const QString &reference, gsm::DeliveryStatus status,
                   const QString &reason);

    JournalClock m_clock;
    QHash<QString, Expected> m_expected; // by key(modem, reference)
    QList<Waiting> m_waiting;
};
