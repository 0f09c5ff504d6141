// Delivery reports: what a run does to get them, and the modems and the gateway's listener it
// keeps after its end so the reports that come later still reach their journal.
#include "runengine.h"

#include "sending/modempool.h"
#include "sending/modemsteps.h"
#include "sending/sendingrunvalues.h"

#include "common/datafolder.h"
#include "common/error.h"
#include "common/errortrap.h"
#include "gateway/dlrlistener.h"
#include "logs/messagelog.h"
#include "replies/replyhandler.h"

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

MessageLog RunEngine::storedLevelLog() const
{
    MessageLog log(m_context.dataFolder);
    log.setLogType(runvalues::toInt16(m_context.state.Details.MsgLog));
    return log;
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
    if (wantsDeliveryReports()) {
        events.report = [this, home, modem](const gsm::StatusReport &report) {
            QMetaObject::invokeMethod(
                home,
                [this, modem, reference = QString::number(report.reference), status = report.outcome,
                 reason = report.reason] { reportArrived(modem, reference, status, reason); },
                Qt::QueuedConnection);
        };
    }
    if (m_replies.listen) {
        events.message = [this, home, modem](const IncomingMessage &message) {
            QMetaObject::invokeMethod(home, [this, modem, message] { replyArrived(modem, message); },
                                      Qt::QueuedConnection);
        };
    }
    return events;
}

void RunEngine::replyArrived(const QString &modem, const IncomingMessage &message)
{
    const NumberNormaliser normaliser(m_context.state.Details.Country);
    MessageLog log = storedLevelLog();
    try {
        ReplyHandler handler(RepliesLog(RepliesLog::pathIn(logsFolder(m_context.dataFolder))),
                             OptOutList::pathIn(m_context.dataFolder), normaliser, m_replies);
        const ReplyHandler::Handled handled = handler.handle(message, modem);
        if (handled.reply.stop && m_optOut)
            m_optOut->add(handled.reply.sender); // this run passes over the number too
        if (!handled.confirmation.isEmpty()) {
            m_confirmations.append({modem, handled.reply.sender, handled.confirmation});
            if (!m_running)
                QTimer::singleShot(0, m_home.get(), [this] { sendConfirmations(); });
        }
    } catch (...) {
        // The modem has let go of the message: its text goes into the message log at least.
        const QuilloError error = currentError();
        log.StatusLog(QStringLiteral("Reply from %1 not kept (%2): %3")
                          .arg(message.sender, error.description(), message.text));
    }
}

void RunEngine::sendConfirmations()
{
    if (m_running)
        return; // the run's end sends them
    MessageLog log = storedLevelLog();
    while (!m_confirmations.isEmpty()) {
        const Confirmation c = m_confirmations.takeFirst();
        QString error = QStringLiteral("the modem is no longer connected");
        const auto send = [&c, &error](SmsComponent &modem) { error = modemsteps::sendReply(modem, c.to, c.text); };
        if (m_keptComponent) {
            send(*m_keptComponent);
        } else if (m_keptPool) {
            int index = 0;
            for (int i = 0; i < m_keptPool->size(); ++i)
                if (m_keptPool->port(i) == c.modem)
                    index = i;
            m_keptPool->post(index, send);
            m_keptPool->waitForAny();
        }
        if (error.isEmpty())
            log.StatusLog(QStringLiteral("Stop confirmation sent to %1").arg(c.to));
        else
            log.StatusLog(QStringLiteral("Stop confirmation to %1 not sent: %2").arg(c.to, error));
    }
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
    MessageLog log = storedLevelLog();
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
        MessageLog log = storedLevelLog();
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
