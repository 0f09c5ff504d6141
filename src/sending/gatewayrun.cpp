// The sending run through a Kannel gateway: RunEngine's steps when the messages leave
// through Kannel's sendsms interface instead of a modem. Several numbers are out at once
// (the route's requests in flight); the list, the journal, the log and the view change on
// this thread only, as each answer comes back.
#include "runengine.h"

#include "sending/positionsinlist.h"
#include "sending/sendingrunvalues.h"
#include "sending/timeleft.h"

#include "gateway/gatewayerrors.h"
#include "gateway/kannelsender.h"
#include "logs/messagelog.h"
#include "recipients/recipientlist.h"

#include <QEventLoop>
#include <QHash>
#include <algorithm>
#include <numeric>

RunEngine::Outcome RunEngine::prepareGatewayAndSend(const Message &message, const MessageOptions &options)
{
    m_log = std::make_unique<MessageLog>(m_context.dataFolder);
    m_log->setLogType(runvalues::toInt16(m_context.state.Details.MsgLog));
    setHourglass(true);
    openJournal(message, options);
    QStringList problems = m_gateway->problems();
    if (problems.isEmpty())
        if (const QString error = listenForGatewayReports(); !error.isEmpty())
            problems += error;
    if (!problems.isEmpty()) {
        const QString text = QStringLiteral("The gateway settings in config.ini cannot be used:\r\n") + problems.join(QStringLiteral("\r\n"));
        setHourglass(false);
        m_context.dialogs.exclamation(text);
        endConnectionFailure(gateway::BadSettings, problems.join(QStringLiteral("; ")));
        return Outcome::Ended;
    }
    checkpoint();
    return sendAllThroughGateway(message);
}

RunEngine::Outcome RunEngine::sendAllThroughGateway(const Message &message)
{
    AppState &state = m_context.state;
    KannelSender sender(m_gateway->route);
    m_view.progressStart(m_list.count());
    const QStringList numbers = m_list.entries();
    const int total = int(numbers.size());
    PositionsInList inList(total);
    int next = 0;
    int failed = 0;
    // A failure of the gateway itself: no further number is handed out.
    qint32 stopNumber = 0;
    QString stopText;
    state.IsSending = true;
    m_log->StatusLog(QStringLiteral("Sending started"));
    const qint64 startMs = m_context.clock.nowMs();
    const bool ucs2 = message.encoding == 2;

    // The journal takes one number at a time per modem; each request in flight is a lane
    // of its own there ("kannel-1" ... "kannel-8"), held until the request's answer.
    QList<int> freeLanes(m_gateway->route.inFlight);
    std::iota(freeLanes.begin(), freeLanes.end(), 1);
    QHash<int, QString> laneOf; // by position
    // The numbers that fit are handed together: one journal write for all of them.
    const auto hand = [&](const QList<int> &positions) {
        QList<std::pair<int, QString>> handed;
        for (int pos : positions) {
            const QString lane = QStringLiteral("kannel-%1").arg(freeLanes.takeFirst());
            laneOf.insert(pos, lane);
            handed.append({pos, lane});
        }
        m_journal->handed(handed);
        for (int pos : positions) {
            const QString &number = numbers.at(pos);
            status(1, QStringLiteral("Sending (") + number + QLatin1Char(')'));
            status(2, QString::number(pos + 1) + QLatin1Char('/') + QString::number(total));
            const PersonalMessage &personal = m_plan.messages.at(pos);
            sender.send(pos, {number, personal.text, m_plan.personal ? personal.encoding == 2 : ucs2, message.alert,
                              gatewayReportUrl(pos)});
        }
    };
    const auto freeLane = [&](int pos) {
        freeLanes.append(laneOf.take(pos).mid(7).toInt());
    };
    const auto fail = [&](int pos, qint32 number, const QString &text, bool knownNotSent) {
        // An answer that never came leaves the number handed with no outcome: the journal's
        // uncertain number, which a resume asks about.
        if (knownNotSent)
            m_journal->failed(pos, number, text, laneOf.value(pos));
        m_view.numberDone(numbers.at(pos), false, QString(), number, text);
        ++failed;
        m_result.failed = failed;
        status(1, QStringLiteral("Failed (") + numbers.at(pos) + QLatin1Char(')'));
        status(3, QStringLiteral("Errors: ") + QString::number(failed));
        m_log->ErrorMsgLog(numbers.at(pos));
    };
    // A delivery report is recorded only after its number's sent record, which the journal
    // holds until its next write.
    QList<int> sentNotOnDisk;
    const auto expectReports = [&] {
        for (int pos : std::exchange(sentNotOnDisk, {}))
            expectDelivery(pos, numbers.at(pos), DeliveryTracker::kGateway,
                           DeliveryTracker::gatewayReference(m_journal->path(), pos));
    };
    QEventLoop wait;
    int answered = 0;
    QObject::connect(&sender, &KannelSender::finished, &wait,
                     [&](int pos, KannelSender::Outcome outcome, const QString &text) {
                         ++answered;
                         switch (outcome) {
                         case KannelSender::Outcome::Sent: {
                             m_journal->sent(pos, text, laneOf.value(pos));
                             sentNotOnDisk.append(pos);
                             m_view.numberDone(numbers.at(pos), true, text, 0, QString());
                             ++m_result.sent;
                             status(1, QStringLiteral("Sent (") + numbers.at(pos) + QLatin1Char(')'));
                             m_list.removeAt(inList.take(pos));
                             m_log->SentMsgLog(numbers.at(pos), text);
                             break;
                         }
                         case KannelSender::Outcome::Refused:
                             fail(pos, gateway::Refused, text, true);
                             break;
                         case KannelSender::Outcome::Forbidden:
                             fail(pos, gateway::Forbidden, text, true);
                             stopNumber = gateway::Forbidden;
                             stopText = text;
                             break;
                         case KannelSender::Outcome::Unreachable:
                             fail(pos, gateway::Unreachable, text, true);
                             stopNumber = stopNumber ? stopNumber : qint32(gateway::Unreachable);
                             stopText = stopText.isEmpty() ? text : stopText;
                             break;
                         case KannelSender::Outcome::Uncertain:
                             fail(pos, gateway::NoAnswer, text, false);
                             stopNumber = stopNumber ? stopNumber : qint32(gateway::NoAnswer);
                             stopText = stopText.isEmpty() ? text : stopText;
                             break;
                         }
                         // A lane whose number is uncertain stays taken: the journal still waits there.
                         if (outcome != KannelSender::Outcome::Uncertain)
                             freeLane(pos);
                         m_view.progressStep();
                         status(4, QStringLiteral("Time left: ")
                                       + FormatTimeLeft(startMs, qint16(answered), qint16(total),
                                                        m_context.clock.nowMs()));
                         wait.quit();
                     });
    QObject::connect(&sender, &KannelSender::roomAvailable, &wait, &QEventLoop::quit);

    // Kannel answers faster than the disk syncs: the outcomes go to disk with the next handing.
    m_journal->holdOutcomes(true);
    for (;;) {
        QList<int> batch;
        if (state.ContinueSending && stopNumber == 0) {
            while (next < total && batch.size() < std::min<qsizetype>(sender.room(), freeLanes.size())) {
                if (m_optOut->contains(numbers.at(next))) {
                    skipOptedOut(next, inList.take(next), numbers.at(next));
                    ++next;
                    continue;
                }
                batch.append(next++);
            }
        }
        if (!batch.isEmpty())
            hand(batch);
        else // nothing to hand now: the run waits or ends, its outcomes recorded first
            m_journal->writeHeldOutcomes();
        expectReports();
        if (sender.isIdle()) {
            if (next >= total || stopNumber != 0)
                break;
            // Nothing is out and Kannel asked for a pause: the pause's end is an event, so
            // the run waits for it rather than looking again at once.
            if (state.ContinueSending && !sender.hasRoom()) {
                wait.exec(QEventLoop::ExcludeUserInputEvents);
                m_view.letEventsRun();
                continue;
            }
            // Only a stop holds numbers back while the gateway has room; it is asked once
            // every number out has its answer.
            checkpoint();
            continue;
        }
        // Answers and timers go on meanwhile; the operator's clicks wait for the next answer.
        wait.exec(QEventLoop::ExcludeUserInputEvents);
        m_view.letEventsRun();
    }
    if (stopNumber != 0) {
        const QString line = QStringLiteral("Gateway: ERROR %1 %2").arg(stopNumber).arg(stopText);
        m_log->StatusLog(line);
        setHourglass(false);
        const QString why = stopNumber == gateway::Forbidden     ? QStringLiteral("refused the user name or password")
                          : stopNumber == gateway::Unreachable ? QStringLiteral("could not be reached")
                                                               : QStringLiteral("stopped answering");
        m_context.dialogs.exclamation(QStringLiteral("The gateway %1: %2").arg(why, stopText));
        m_view.progressReset(true);
        endConnectionFailure(stopNumber, stopText);
        state.IsSending = false;
        return Outcome::Ended;
    }
    endCompleted(total, failed);
    return Outcome::Completed;
}
