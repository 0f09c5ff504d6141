#pragma once

#include "kestrel/statusreport.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// What the delivery reports said of the runs in the logs folder: each run that asked for
// them (the journal's delivery-reports option, runjournal.h) with each number it sent, for
// the Delivery view and its CSV export. Runs that did not ask are left out.

// How many numbers have each status.
struct DeliveryCounts
{
    std::array<int, 4> byStatus{}; // indexed by gsm::DeliveryStatus

    int operator[](gsm::DeliveryStatus status) const { return byStatus[size_t(status)]; }
    void add(gsm::DeliveryStatus status) { ++byStatus[size_t(status)]; }
    DeliveryCounts &operator+=(const DeliveryCounts &other);
    int total() const;
    bool operator==(const DeliveryCounts &) const = default;
};

// One number a run sent.
struct DeliveryRow
{
    QString number;
    QString modem; // the modem's port, or "gateway" for a run through the Kannel gateway
    gsm::DeliveryStatus status = gsm::DeliveryStatus::Pending;
    QString reason;     // the network's words for a failed or expired message
    QDateTime reported; // when the last report that changed the status came; null before any
};

struct DeliveryRun
{
    QString fileName;  // run-YYYYMMDD-HHMMSS[-n].journal
    QDateTime started; // the journal's first record, else its name
    QList<DeliveryRow> rows; // in the run's order
    DeliveryCounts counts;
    // Set when the journal cannot be read: what is wrong, naming the file and the line. Such a
    // run has no rows; it is listed because it may have asked for reports.
    QString error;
};

// The runs of one logs folder, read again on each load. Reports keep coming in while the
// window is open, so loads are frequent: a journal whose size and time are as at the last
// load is not read again, and one whose start shows it did not ask is never read whole.
class DeliveryHistory
{
public:
    // True when anything differs from the last load.
    bool load(const QString &logsFolder);

    // Newest first.
    const QList<DeliveryRun> &runs() const { return m_runs; }
    DeliveryCounts totals() const;
    // The journals reports may still be added to: runs with a number pending.
    QStringList pendingJournals() const;

private:
    struct Known
    {
        qint64 size = -1;
        QDateTime modified;
        std::optional<DeliveryRun> run; // nothing for a run that did not ask
    };

    QString m_folder;
    QHash<QString, Known> m_known; // by file name
    QList<DeliveryRun> m_runs;
};

// The CSV export (RFC 4180, UTF-8, CR LF): a heading, then for each run one line per number:
// run start, journal, number, modem, status, reason, report time. A journal that cannot be
// read is one line with the status "unreadable" and what is wrong as the reason.
QByteArray deliveryCsv(const QList<DeliveryRun> &runs);
