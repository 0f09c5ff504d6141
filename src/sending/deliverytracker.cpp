#include "deliverytracker.h"

#include "common/error.h"

#include <QDir>
#include <QFileInfo>

namespace {

bool isFinal(gsm::DeliveryStatus status)
{
    return status != gsm::DeliveryStatus::Pending;
}

} // namespace

DeliveryTracker::DeliveryTracker(JournalClock clock)
    : m_clock(clock ? std::move(clock) : JournalClock([] { return QDateTime::currentDateTime(); }))
{
}

QString DeliveryTracker::gatewayReference(const QString &journal, int position)
{
    return QFileInfo(journal).fileName() + QLatin1Char(':') + QString::number(position);
}

void DeliveryTracker::loadPending(const QString &logsFolder, int days)
{
    const QDateTime since = m_clock().addDays(-days);
    const QDir folder(logsFolder);
    // Oldest first, so that a reference a later run used again ends with the later run.
    const QFileInfoList journals =
        folder.entryInfoList({QStringLiteral("run-*.journal")}, QDir::Files, QDir::Time | QDir::Reversed);
    for (const QFileInfo &file : journals) {
        if (file.lastModified() < since)
            continue;
        RunJournalState run;
        try {
            run = readRunJournal(file.filePath());
        } catch (const QuilloError &) {
            continue; // a damaged journal's reports go unmatched, and are logged so
        }
        if (!run.deliveryReports)
            continue;
        const bool gateway = !run.start.option(QStringLiteral("gateway")).isEmpty();
        for (int pos = 0; pos < run.positions.size(); ++pos) {
            const RunPosition &p = run.positions.at(pos);
            if (p.delivery != gsm::DeliveryStatus::Pending)
                continue;
            const QString number = run.start.numbers.at(pos);
            if (gateway) {
                expect(file.filePath(), pos, number, kGateway, gatewayReference(file.filePath(), pos));
                continue;
            }
            const QString modem = p.modem.isEmpty() ? run.start.option(QStringLiteral("port")) : p.modem;
            for (const QString &ref : p.refs.split(u',', Qt::SkipEmptyParts))
                if (!isFinal(p.partDeliveries.value(ref, gsm::DeliveryStatus::Pending)))
                    expect(file.filePath(), pos, number, modem, ref);
        }
    }
}

QList<DeliveryTracker::Recorded> DeliveryTracker::expect(const QString &journal, int position, const QString &number,
                                                         const QString &modem, const QString &refs)
{
    QList<Recorded> early;
    for (const QString &ref : refs.split(u',', Qt::SkipEmptyParts)) {
        const QString k = key(modem, ref);
        m_expected.insert(k, {journal, position, number});
        // A report that came first now finds its message.
        for (qsizetype i = 0; i < m_waiting.size(); ++i) {
            const Waiting &w = m_waiting.at(i);
            if (key(w.report.modem, w.report.reference) == k) {
                const Waiting report = m_waiting.takeAt(i);
                if (auto recorded = record(report.report.modem, report.report.reference, report.report.status,
                                           report.reason))
                    early += *recorded;
                break;
            }
        }
    }
    return early;
}

std::optional<DeliveryTracker::Recorded> DeliveryTracker::record(const QString &modem, const QString &reference,
                                                                 gsm::DeliveryStatus status, const QString &reason)
{
    const QString k = key(modem, reference);
    const auto found = m_expected.constFind(k);
    if (found == m_expected.cend()) {
        // "Still trying" for a message already final, or not yet known, changes nothing.
        if (!isFinal(status))
            return std::nullopt;
        m_waiting.append({{modem, reference, status}, reason, m_clock()});
        return std::nullopt;
    }
    const Expected message = *found;
    if (isFinal(status))
        m_expected.erase(found);
    return write(message, reference, status, reason);
}

DeliveryTracker::Recorded DeliveryTracker::write(const Expected &message, const QString &reference,
                                                 gsm::DeliveryStatus status, const QString &reason)
{
    Recorded recorded{message.journal, {message.position, message.number, reference, status, reason}};
    appendDeliveryRecord(message.journal, recorded.record, m_clock);
    return recorded;
}

QList<DeliveryTracker::Unknown> DeliveryTracker::takeUnknown(bool flushAll)
{
    const QDateTime before = m_clock().addMSecs(-kGraceMs);
    QList<Unknown> out;
    for (qsizetype i = 0; i < m_waiting.size();) {
        if (flushAll || m_waiting.at(i).since <= before)
            out += m_waiting.takeAt(i).report;
        else
            ++i;
    }
    return out;
}
