// Delivery reports: what a run does to get them, and the modems and the gateway's listener it
// keeps after its end so the reports that come later still reach their journal.
#include "runengine.h"

#include "sending/modempool.h"
#include "sending/sendingrunvalues.h"

#include "common/datafolder.h"
#include "common/errortrap.h"
#include "gateway/dlrlistener.h"
#include "logs/messagelog.h"

#include <QFileInfo>
#include <QTimer>

namespace {

// How often the reports that found no message are looked at.
constexpr int kUnknownCheckMs = 10'000;

} // namespace

bool RunEngine::wantsDeliveryReports() const
{
    return asksDeliveryReports(m_context.state.Details);
}

bool RunEngine::hasOpenSessions() const
{
    return m_keptComponent || m_keptPool;
}

ModemEvents RunEngine::eventsOf(const QString &modem)
{
    ModemEvents events;
    // Called on the modem's own thread in a pool, and inside the driver's calls on this one:
    // the report is handled here, on this thread, once the event loop comes round.
    QObject *home = m_home.get();
    events.report = [this, home, modem](const gsm::StatusReport &report) {
        QMetaObject::invokeMethod(
            home,
            [this, modem, reference = QString::number(report.reference), status = report.outcome,
             reason = report.reason] { reportArrived(modem, reference, status, reason); },
            Qt::QueuedConnection);
    };
    return events;
}

void RunEngine::reportArrived(const QString &modem, const QString &reference, gsm::DeliveryStatus status,
                              const QString &reason)
{
    try {
        if (const auto recorded = m_delivery.record(modem, reference, status, reason))
            noteDelivered(*recorded);
    } catch (...) {
        noteIgnoredError("recording a delivery report");
    }
}

void RunEngine::expectDelivery(int pos, const QString &number, const QString &modem, const QString &refs)
{
    if (!wantsDeliveryReports() || !m_journal)
        return;
    if (!m_home->findChild<QTimer *>()) {
        auto *timer = new QTimer(m_home.get());
        QObject::connect(timer, &QTimer::timeout, [this] { logUnknownReports(false); });
        timer->start(kUnknownCheckMs);
    }
    try {
        for (const DeliveryTracker::Recorded &early : m_delivery.expect(m_journal->path(), pos, number, modem, refs))
            noteDelivered(early);
    } catch (...) {
        noteIgnoredError("recording a delivery report");
    }
}

void RunEngine::noteDelivered(const DeliveryTracker::Recorded &recorded)
{
    const DeliveryRecord &r = recorded.record;
    m_view.deliveryReported(r.number, r.status, r.reason);
    MessageLog log(m_context.dataFolder);
    log.setLogType(runvalues::toInt16(m_context.state.Details.MsgLog));
    if (log.LogType() >= 2)
        log.StatusLog(QStringLiteral("Delivery report [%1]: %2%3")
                          .arg(r.number, gsm::statusName(r.status),
                               r.reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(r.reason)));
}

void RunEngine::logUnknownReports(bool all)
{
    const QList<DeliveryTracker::Unknown> unknown = m_delivery.takeUnknown(all);
    if (unknown.isEmpty())
        return;
    try {
        MessageLog log(m_context.dataFolder);
        log.setLogType(runvalues::toInt16(m_context.state.Details.MsgLog));
        for (const DeliveryTracker::Unknown &report : unknown)
            log.StatusLog(QStringLiteral("Delivery report ignored: no message with reference %1 from %2 (%3)")
                              .arg(report.reference, report.modem, gsm::statusName(report.status)));
    } catch (...) {
        noteIgnoredError("logging delivery reports");
    }
}

void RunEngine::closeSessions()
{
    // Releasing a component closes its port; the pool releases each on its own thread.
    m_keptPool.reset();
    m_keptComponent.reset();
    logUnknownReports(true);
}

QString RunEngine::listenForGatewayReports()
{
    if (!wantsDeliveryReports() || m_dlrListener)
        return {};
    auto listener = std::make_unique<DlrListener>();
    if (!listener->listen(m_gateway->reportPort, m_gateway->reportHost))
        return listener->error();
    QObject::connect(listener.get(), &DlrListener::report, m_home.get(),
                     [this](const QString &run, int position, gsm::DeliveryStatus status, const QString &answer) {
                         reportArrived(DeliveryTracker::kGateway, DeliveryTracker::gatewayReference(run, position),
                                       status, answer);
                     });
    m_dlrListener = std::move(listener);
    return {};
}

QString RunEngine::gatewayReportUrl(int pos) const
{
    if (!wantsDeliveryReports() || !m_dlrListener)
        return {};
    return m_dlrListener->reportUrl(QFileInfo(m_journal->path()).fileName(), pos);
}
