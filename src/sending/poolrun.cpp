// The sending run with several modems: RunEngine's steps for a pool (modempool.h). The
// one-modem run in runengine.cpp is left exactly as it is; this file gives each step its pool
// form and shares the checks, the journal and the endings with it.
#include "runengine.h"

#include "sending/modempool.h"
#include "sending/modemsteps.h"
#include "sending/pacing.h"
#include "sending/positionsinlist.h"
#include "sending/sendingrunvalues.h"
#include "sending/timeleft.h"

#include "common/datafolder.h"
#include "common/error.h"
#include "common/text.h"
#include "logs/componentstart.h"
#include "logs/messagelog.h"
#include "recipients/recipientlist.h"

#include <algorithm>
#include <limits>
#include <map>
#include <numeric>
#include <random>

// What the run knows of one modem of the pool. A job on the modem's thread fills the fields
// it was posted for; the run reads them once the job has ended.
struct PoolModem
{
    bool inRun = false; // connected, and not lost since
    qint32 errorNumber = 0;
    QString errorText;
    // The readings, shown for the first modem that connects.
    QString manufacturer, model, imei, imsi, network;
    int signal = 0;
    bool pushFits = true;
    // The number at the modem, from the run's list.
    int position = -1;
    QString number;
    bool sent = false;
    QString report;
    // Its pause and caps, when it has any.
    std::optional<ModemPacer> pacer;
};

namespace {

// Connects a pool modem, reads it and sets its messages up, as the one-modem run does step by
// step; runs on the modem's thread.
void setUpModem(SmsComponent &modem, PoolModem &state, const ComDetails &details, const QString &logs,
                const ComposedMessage &message, const MessageOptions &options, const ModemEvents &events)
{
    try {
        modemsteps::listenFor(modem, events);
        modem.setInitFlag(false);
        modem.setLogPath(logs);
        modem.setModemLogType(runvalues::toInt16(details.SysLog));
        runvalues::writePortSettings(modem, details);
        modem.setNoPin(trimSpaces(details.PIN).isEmpty());
        modem.Connect();
        if (!modem.IsError(false, {})) {
            if (const std::optional<QString> code = runvalues::validityCode(details.Validity))
                modem.setValidity(*code);
        }
        if (!modem.IsError(false, {})) {
            const auto read = [&modem](auto reading) {
                const auto value = reading();
                modemsteps::forgiveReadingError(modem);
                return value;
            };
            state.manufacturer = read([&] { return modem.Manufacturer(); });
            state.model = read([&] { return modem.Model(); });
            state.imei = read([&] { return modem.IMEI(); });
            state.imsi = read([&] { return modem.IMSI(); });
            state.network = read([&] { return modem.NetworkName(); });
            state.signal = std::max<int>(0, modem.SignalStrength());
        }
        if (!modem.IsError(false, {})) {
            modemsteps::configureMessages(modem, details, message, options);
            if (message.wapPush)
                state.pushFits = modemsteps::preparePush(modem, message);
        }
        state.errorNumber = modem.ErrorNumber();
        state.errorText = modem.ErrorDescription();
    } catch (...) {
        // A stored setting that is not a number fails this modem only.
        const QuilloError error = currentError();
        state.errorNumber = error.number();
        state.errorText = error.description();
    }
    state.inRun = state.errorNumber == 0;
}

QString errorLine(const PoolModem &modem)
{
    return QStringLiteral("ERROR %1 %2").arg(modem.errorNumber).arg(modem.errorText);
}

// The time a run paused by caps lets pass between two looks at a stop.
constexpr int kPauseStepMs = 200;

// Gives each connected modem with pacing its pacer, its caps counted on its SIM's counts;
// a modem whose counts cannot be read is left out, as its caps could not be kept.
void setUpPacing(std::vector<PoolModem> &modems, const QList<PacingLimits> &limits, const QStringList &ports,
                 const QString &dataFolder, qint64 nowMs)
{
    std::map<QString, std::shared_ptr<SimCounts>> sims;
    std::random_device seeds;
    for (size_t i = 0; i < modems.size(); ++i) {
        PoolModem &modem = modems[i];
        if (!modem.inRun || !limits.value(qsizetype(i)).isSet())
            continue;
        std::shared_ptr<SimCounts> counts;
        if (limits[qsizetype(i)].hasCaps()) {
            // A modem that does not tell its IMSI is counted by its port.
            const QString sim = !modem.imsi.isEmpty() ? modem.imsi : QStringLiteral("port-") + ports.value(qsizetype(i));
            std::shared_ptr<SimCounts> &shared = sims[sim];
            if (!shared) {
                auto loaded = std::make_shared<SimCounts>(SimCounts::pathFor(dataFolder, sim));
                try {
                    loaded->load(nowMs);
                } catch (const QuilloError &error) {
                    modem.inRun = false;
                    modem.errorNumber = error.number();
                    modem.errorText = error.description();
                    sims.erase(sim);
                    continue;
                }
                shared = loaded;
            }
            counts = shared;
        }
        modem.pacer.emplace(limits[qsizetype(i)], counts, seeds());
    }
}

} // namespace

bool RunEngine::startPool()
{
    const QList<ModemPort> &more = m_context.state.MoreModems;
    // One modem with pacing runs as a pool of one, where the pacing lives.
    if (more.isEmpty() && m_context.state.Details.Pacing.isEmpty())
        return true;
    std::vector<std::unique_ptr<SmsComponent>> components;
    components.push_back(std::move(m_component));
    QStringList ports{m_context.state.Details.Port};
    for (const ModemPort &modem : more) {
        components.push_back(startSmsComponent(m_context));
        if (!components.back())
            return false;
        ports += modem.Port;
    }
    m_pool = std::make_unique<ModemPool>(std::move(components), ports);
    return true;
}

void RunEngine::modemNote(int modem, const QString &text)
{
    const QString line = QStringLiteral("Modem %1: %2").arg(m_pool->port(modem), text);
    status(1, line);
    m_log->StatusLog(line);
}

RunEngine::Outcome RunEngine::preparePoolAndSend(const Message &message, const MessageOptions &options)
{
    const ComDetails &stored = m_context.state.Details;
    m_log = std::make_unique<MessageLog>(m_context.dataFolder);
    m_log->setLogType(runvalues::toInt16(stored.MsgLog));
    setHourglass(true);
    openJournal(message, options);

    status(1, QStringLiteral("Connecting..."));
    m_view.letEventsRun();
    const QString logs = logsFolder(m_context.dataFolder);
    std::vector<PoolModem> modems(size_t(m_pool->size()));
    for (int i = 0; i < m_pool->size(); ++i) {
        const ComDetails details = i == 0 ? stored : withModemPort(stored, m_context.state.MoreModems.at(i - 1));
        PoolModem *state = &modems[size_t(i)];
        m_pool->post(i, [state, details, logs, message, options, events = eventsOf(m_pool->port(i))](SmsComponent &modem) {
            setUpModem(modem, *state, details, logs, message, options, events);
        });
    }
    m_pool->waitForAll();
    QStringList ports;
    for (int i = 0; i < m_pool->size(); ++i)
        ports << m_pool->port(i);
    setUpPacing(modems, pacingOfModems(stored, m_context.state.MoreModems), ports, m_context.dataFolder,
                m_context.clock.nowMs());

    // Each modem that cannot take part is one line, not a box: the others go on.
    const PoolModem *first = nullptr;
    for (int i = 0; i < m_pool->size(); ++i) {
        const PoolModem &modem = modems[size_t(i)];
        if (!modem.inRun)
            modemNote(i, errorLine(modem) + QStringLiteral("; left out of this run"));
        else if (!first)
            first = &modem;
    }
    if (!first) {
        // None connected: the run ends as with one modem, on the first modem's error.
        if (m_pool->component(0).ErrorNumber() != 0)
            m_pool->component(0).IsError(true, QStringLiteral("Quillo"));
        else
            m_context.dialogs.exclamation(modems.front().errorText);
        endConnectionFailure(modems.front().errorNumber, modems.front().errorText);
        return Outcome::Ended;
    }
    m_view.showModem(first->manufacturer, first->model, first->imei, first->imsi);
    m_view.showNetwork(first->network, first->signal);
    checkpoint();

    const bool lowSignal = std::any_of(modems.begin(), modems.end(), [](const PoolModem &m) {
        return m.inRun && m.signal < modemsteps::kLowSignal;
    });
    if (lowSignal) {
        status(1, QStringLiteral("Low signal strength"));
        setHourglass(false);
        if (!m_context.dialogs.ask(QStringLiteral("GSM network signal strength is very low.\r\n"
                                                  "Do you want to continue?")))
            return Outcome::Quiet;
        setHourglass(true);
    }
    if (!first->pushFits)
        return Outcome::ContentTooLong;
    checkpoint();
    return sendAllPooled(message, modems);
}

RunEngine::Outcome RunEngine::sendAllPooled(const Message &composed, std::vector<PoolModem> &modems)
{
    AppState &state = m_context.state;
    Message message = composed;
    if (message.wapPush)
        message.alert = false;

    m_view.progressStart(m_list.count());
    const QStringList numbers = m_list.entries();
    const int total = int(numbers.size());
    PositionsInList inList(total);
    int next = 0;
    int done = 0;
    int failed = 0;
    qint32 lastLoss = 0;
    QString lastLossText;
    state.IsSending = true;
    m_log->StatusLog(QStringLiteral("Sending started"));
    const qint64 startMs = m_context.clock.nowMs();
    m_keepSessions = wantsDeliveryReports() || m_replies.listen;

    const auto countFailure = [&](const QString &number) {
        ++failed;
        m_result.failed = failed;
        status(1, QStringLiteral("Failed (") + number + QLatin1Char(')'));
        status(3, QStringLiteral("Errors: ") + QString::number(failed));
    };
    const auto hand = [&](int modem, int pos) {
        const QString &number = numbers.at(pos);
        status(1, QStringLiteral("Sending (") + number + QLatin1Char(')'));
        status(2, QString::number(pos + 1) + QLatin1Char('/') + QString::number(total));
        status(3, QStringLiteral("Errors: ") + QString::number(failed));
        status(4, QStringLiteral("Time left: ")
                      + FormatTimeLeft(startMs, qint16(done), qint16(total), m_context.clock.nowMs()));
        m_journal->handed(pos, m_pool->port(modem));
        PoolModem &slot = modems[size_t(modem)];
        slot.position = pos;
        slot.number = number;
        const PersonalMessage personal = m_plan.messages.at(pos);
        const bool personalEncoding = m_plan.personal;
        // A pacing pause takes the place of Send Delay, drawn afresh for each message.
        const int pauseMs = slot.pacer && slot.pacer->limits().hasPause() ? slot.pacer->nextPauseMs() : -1;
        m_pool->post(modem, [&slot, message, personal, personalEncoding, pauseMs](SmsComponent &component) {
            if (pauseMs >= 0)
                component.setSendDelay(pauseMs);
            slot.report.clear();
            slot.sent = modemsteps::sendTo(component, message, personal, personalEncoding, slot.report);
            slot.errorNumber = slot.sent ? 0 : component.ErrorNumber();
            slot.errorText = slot.sent ? QString() : component.ErrorDescription();
        });
    };
    const auto collect = [&](int modem) {
        PoolModem &slot = modems[size_t(modem)];
        const QString port = m_pool->port(modem);
        const QString &number = slot.number;
        const int pos = std::exchange(slot.position, -1);
        if (!slot.sent && modemsteps::isModemLost(slot.errorNumber)) {
            // The message may or may not have gone: the journal keeps the number handed with
            // no outcome, and no other modem of this run tries it again.
            slot.inRun = false;
            lastLoss = slot.errorNumber;
            lastLossText = slot.errorText;
            modemNote(modem, errorLine(slot) + QStringLiteral("; the message to %1 may or may not have gone; "
                                                              "left out of this run").arg(number));
            m_view.numberDone(number, false, QString(), slot.errorNumber, slot.errorText);
            countFailure(number);
            m_log->ErrorMsgLog(number, port);
            return;
        }
        if (slot.sent) {
            m_journal->sent(pos, slot.report, port);
            expectDelivery(pos, number, port, slot.report);
            if (slot.pacer)
                slot.pacer->sent(m_context.clock.nowMs(), m_plan.messages.at(pos).parts, number);
        } else
            m_journal->failed(pos, slot.errorNumber, slot.errorText, port);
        m_view.numberDone(number, slot.sent, slot.report, slot.errorNumber, slot.errorText);
        if (slot.sent) {
            ++m_result.sent;
            status(1, QStringLiteral("Sent (") + number + QLatin1Char(')'));
            m_list.removeAt(inList.take(pos));
            m_log->SentMsgLog(number, slot.report, port);
        } else {
            countFailure(number);
            m_log->ErrorMsgLog(number, port);
        }
    };

    // A number on the opt-out list is passed over where it stands, without a modem.
    const auto skipOptedOutAhead = [&] {
        while (next < total && m_optOut->contains(numbers.at(next))) {
            skipOptedOut(next, inList.take(next), numbers.at(next));
            ++next;
        }
    };

    // Whether the number at pos fits the modem's caps now.
    const auto capsAllow = [&](int modem, int pos) {
        const PoolModem &m = modems[size_t(modem)];
        if (!m.pacer)
            return CapCheck{};
        return m.pacer->check(m_context.clock.nowMs(), m_plan.messages.at(pos).parts, numbers.at(pos));
    };
    // Every modem left is free and at a cap for the next number: the run waits, with the
    // reason shown, until the first of them may take it; a stop is asked as at any time.
    const auto waitForCaps = [&] {
        const qint64 nowMs = m_context.clock.nowMs();
        QList<CapCheck> held;
        qint64 resumeMs = std::numeric_limits<qint64>::max();
        for (int modem = 0; modem < m_pool->size(); ++modem) {
            if (!modems[size_t(modem)].inRun)
                continue;
            const CapCheck check = capsAllow(modem, next);
            if (check.fits)
                return;
            held << check;
            resumeMs = std::min(resumeMs, check.resumeMs);
        }
        const QString line = pausedStatus(held, resumeMs, nowMs);
        status(1, line);
        m_log->StatusLog(line);
        for (qint64 now = nowMs; now < resumeMs; now = m_context.clock.nowMs()) {
            m_view.letEventsRun();
            checkpoint();
            m_context.clock.sleep(int(std::min<qint64>(kPauseStepMs, resumeMs - now)));
        }
    };

    for (;;) {
        if (state.ContinueSending) {
            skipOptedOutAhead();
            for (int modem = 0; modem < m_pool->size() && next < total; ++modem) {
                if (modems[size_t(modem)].inRun && !m_pool->isBusy(modem) && capsAllow(modem, next).fits) {
                    hand(modem, next++);
                    skipOptedOutAhead();
                }
            }
        }
        if (m_pool->busyCount() == 0) {
            if (next >= total)
                break;
            const bool anyLeft = std::any_of(modems.begin(), modems.end(), [](const PoolModem &m) { return m.inRun; });
            if (!anyLeft) {
                // Every modem is lost: the rest fails as it would on one modem that lost its port.
                for (; next < total; ++next) {
                    m_journal->failed(next, lastLoss, lastLossText);
                    m_view.numberDone(numbers.at(next), false, QString(), lastLoss, lastLossText);
                    countFailure(numbers.at(next));
                    m_log->ErrorMsgLog(numbers.at(next));
                    m_view.progressStep();
                }
                break;
            }
            // Only a stop or the caps hold numbers back while a modem is free; a stop is asked
            // once every modem has finished its number.
            checkpoint();
            waitForCaps();
            continue;
        }
        collect(m_pool->waitForAny());
        ++done;
        m_view.progressStep();
        m_view.letEventsRun();
    }
    endCompleted(total, failed);
    return Outcome::Completed;
}
