#include "runengine.h"

#include "sending/runspeed.h"
#include "sending/modempool.h"
#include "sending/modemsteps.h"
#include "sending/pacing.h"
#include "sending/sendingrunvalues.h"
#include "sending/timeleft.h"

#include "common/datafolder.h"
#include "common/errortrap.h"
#include "common/text.h"
#include "gateway/dlrlistener.h"
#include "gateway/kannelrequest.h"
#include "logs/componentstart.h"
#include "logs/messagelog.h"
#include "recipients/recipientlist.h"
#include "settings/settingsstore.h"

#include <QFileInfo>
#include <QScopeGuard>
#include <QTimer>

namespace {

const QString kAbortQuestion = QStringLiteral("Abort sending remaining messages?");

// Thrown at a checkpoint when the operator confirmed the stop; the run takes the
// user-abort ending.
struct StopConfirmed
{
};

QString summary(int sent, int failed)
{
    return QStringLiteral("[Sent:%1; Failed:%2]").arg(sent).arg(failed);
}

} // namespace

RunEngine::RunEngine(AppContext &context, RecipientList &list, RunView &view)
    : m_context(context), m_list(list), m_view(view), m_home(std::make_unique<QObject>())
{
}

RunEngine::~RunEngine()
{
    // The modems' threads hand their reports to m_home: they end first.
    m_pool.reset();
    m_component.reset();
    closeSessions();
}

void RunEngine::requestStop(bool interrupted)
{
    m_interrupted = m_interrupted || interrupted;
    m_context.state.ContinueSending = false;
}

void RunEngine::openJournal(const Message &message, const MessageOptions &options)
{
    const ComDetails &stored = m_context.state.Details;
    RunJournalStart start;
    start.text = message.text;
    start.url = message.url;
    start.wapPush = message.wapPush;
    start.alert = message.alert;
    start.encoding = message.encoding;
    start.options = {{QStringLiteral("port"), stored.Port},
                     {QStringLiteral("baud"), stored.BaudRate},
                     {QStringLiteral("long-message"), options.longMessage},
                     {QStringLiteral("internal-smsc"), options.internalSmsc ? QStringLiteral("1") : QStringLiteral("0")},
                     {QStringLiteral("smsc"), stored.SMSC},
                     {QStringLiteral("validity"), stored.Validity},
                     {QStringLiteral("delay"), stored.SendDelay},
                     {QStringLiteral("retry"), stored.SendRetry}};
    if (m_gateway)
        start.options.append({QStringLiteral("gateway"), kannel::loggable(m_gateway->route.sendsmsUrl)});
    if (wantsDeliveryReports())
        start.options.append({kDeliveryReportsOption, QStringLiteral("1")});
    start.numbers = m_list.entries();
    if (m_list.hasFields())
        start.fields = m_list.allFields();
    const QString logs = logsFolder(m_context.dataFolder);
    if (!m_resumes.isEmpty())
        start.resumes = QFileInfo(m_resumes).fileName();
    m_journal.emplace(RunJournalWriter::create(logs, start));
    m_result.journal = m_journal->path();
    if (!m_resumes.isEmpty()) {
        // A journal closed as interrupted keeps that end; the new journal's resumes line
        // is what keeps it from being continued twice.
        if (!readRunJournal(m_resumes).ended)
            closeRunJournal(m_resumes, RunEnd::Resumed, QFileInfo(m_journal->path()).fileName());
        m_resumes.clear();
    }
}

void RunEngine::closeJournal(RunEnd kind, const QString &detail)
{
    if (!m_journal)
        return;
    // Taken first, so a failure to write the end is not tried twice by the error ending.
    std::optional<RunJournalWriter> journal = std::move(m_journal);
    m_journal.reset();
    journal->end(kind, detail);
}

void RunEngine::release()
{
    if (std::exchange(m_keepSessions, false)) {
        m_keptPool = std::move(m_pool);
        m_keptComponent = std::move(m_component);
    }
    // Releasing the component closes the port.
    m_pool.reset();
    m_component.reset();
    m_journal.reset();
    m_log.reset();
}

RunResult RunEngine::start(const ComposedMessage &composed, const MessageOptions &options)
{
    // A start that arrives while a run is still ending is ignored; a run started inside that
    // ending would release the objects the ending goes on using.
    if (m_running)
        return {};
    m_running = true;
    const auto notRunning = qScopeGuard([this] {
        m_running = false;
        // Confirmations of stop requests heard during the run go once it has ended.
        if (!m_confirmations.isEmpty())
            QTimer::singleShot(0, m_home.get(), [this] { sendConfirmations(); });
    });
    m_result = {};
    m_partsHanded = 0;
    m_interrupted = false;
    m_context.state.ContinueSending = true;
    try {
        Message message = composed;
        if (!checkInput(message))
            return m_result;
        if (const QString problem = m_gateway ? QString() : pacingProblem(m_context.state.Details, m_context.state.MoreModems);
            !problem.isEmpty()) {
            m_context.dialogs.exclamation(problem);
            return m_result;
        }
        loadOptOut();
        m_replies = SettingsStore(m_context.dataFolder).loadReplies();
        if (!confirmStart(message, options))
            return m_result;
        m_view.lock();

        // Without a component nothing was started: the window is unlocked again so the
        // operator can mend the installation or the settings and try once more.
        if (wantsDeliveryReports() && !std::exchange(m_pendingLoaded, true))
            m_delivery.loadPending(logsFolder(m_context.dataFolder));
        if (!m_gateway) {
            // The modems kept for the last run's reports are this run's modems again.
            closeSessions();
            m_component = startSmsComponent(m_context);
            if (!m_component || !startPool()) {
                m_view.unlock();
                m_result.end = RunResult::End::Error;
                return m_result;
            }
        }

        Outcome outcome;
        try {
            outcome = m_gateway ? prepareGatewayAndSend(message, options)
                      : m_pool  ? preparePoolAndSend(message, options)
                                : prepareAndSend(message, options);
        } catch (const StopConfirmed &) {
            outcome = Outcome::UserAbort;
        }
        switch (outcome) {
        case Outcome::Completed:
        case Outcome::Ended:
            break; // ended inside sendAll, where the counts are, or where the cause was known
        case Outcome::UserAbort:
            endUserAbort();
            break;
        case Outcome::ConnectionFailure:
            endConnectionFailure(m_component->ErrorNumber(), m_component->ErrorDescription());
            break;
        case Outcome::Quiet:
            endQuiet();
            break;
        case Outcome::ContentTooLong:
            endContentTooLong();
            break;
        }
    } catch (...) {
        const QuilloError error = currentError();
        endUnexpected(error.number(), error.description());
    }
    return m_result;
}

bool RunEngine::checkInput(Message &message)
{
    if (m_list.entry(0).isEmpty()) {
        m_context.dialogs.exclamation(QStringLiteral("Mobile No not found in list!"));
        return false;
    }
    message.text = trimSpaces(message.text);
    if (message.text.isEmpty()) {
        m_context.dialogs.exclamation(QStringLiteral("Please enter text message to be sent!"));
        return false;
    }
    // The URL goes to the component as typed; only the test ignores surrounding blanks.
    if (message.wapPush && trimSpaces(message.url).isEmpty()) {
        m_context.dialogs.exclamation(QStringLiteral("Please enter WAP Push URL!"));
        return false;
    }
    if (message.wapPush && m_gateway) {
        m_context.dialogs.exclamation(QStringLiteral("A WAP Push message goes through the modems only. Turn the "
                                                     "gateway off in Settings to send it."));
        return false;
    }
    return true;
}

bool RunEngine::confirmStart(const Message &message, const MessageOptions &options)
{
    m_plan = planRun(message, m_list.entries(), m_list.allFields(), options.longMessage);
    const QString missing = missingValuesText(m_plan);
    if (!missing.isEmpty()
        && m_context.dialogs.message(missing, Dialogs::Icon::Exclamation, Dialogs::Buttons::YesNo) != Dialogs::Answer::Yes)
        return false;
    if (m_plan.personal && !m_view.reviewRun(m_plan))
        return false;
    m_sendDelayMs = 0;
    try {
        m_sendDelayMs = runvalues::sendDelayMs(m_context.state.Details.SendDelay);
    } catch (const QuilloError &) {
        // The run refuses the setting when it configures the modem; the estimate goes without.
    }
    const QString summary =
        m_gateway ? gatewayRunSummaryText(m_plan, m_gateway->route.inFlight)
                  : runSummaryText(m_plan, runspeed::readMeasuredSpeeds(logsFolder(m_context.dataFolder)),
                                   m_sendDelayMs, pacingOfModems(m_context.state.Details, m_context.state.MoreModems));
    return m_context.dialogs.ask(QStringLiteral("Start sending messages?\r\n\r\n") + summary);
}

void RunEngine::recordSpeed()
{
    try {
        runspeed::recordRunSpeed(logsFolder(m_context.dataFolder), m_lastOutcomeMs - m_sendingSinceMs,
                                 m_partsHanded, m_sendDelayMs, QDateTime::currentDateTime());
    } catch (...) {
        noteIgnoredError("recording the modem's speed");
    }
}

void RunEngine::checkpoint()
{
    AppState &state = m_context.state;
    if (state.ContinueSending)
        return;
    setHourglass(false);
    if (m_context.dialogs.ask(kAbortQuestion))
        throw StopConfirmed{};
    state.ContinueSending = true;
    setHourglass(true);
}

RunEngine::Outcome RunEngine::prepareAndSend(const Message &message, const MessageOptions &options)
{
    const ComDetails &stored = m_context.state.Details;
    m_log = std::make_unique<MessageLog>(m_context.dataFolder);
    m_log->setLogType(runvalues::toInt16(stored.MsgLog));
    m_component->setInitFlag(false);
    m_component->setLogPath(logsFolder(m_context.dataFolder));
    m_component->setModemLogType(runvalues::toInt16(stored.SysLog));
    setHourglass(true);
    openJournal(message, options);

    if (!connectModem())
        return Outcome::ConnectionFailure;
    checkpoint();
    if (!readModem())
        return Outcome::Quiet;
    configureMessages(message, options);
    if (m_component->IsError(true, QStringLiteral("Quillo")))
        return Outcome::ConnectionFailure;
    checkpoint();
    return sendAll(message);
}

bool RunEngine::connectModem()
{
    const ComDetails &stored = m_context.state.Details;
    SmsComponent &modem = *m_component;
    status(1, QStringLiteral("Connecting..."));
    m_view.letEventsRun();
    runvalues::writePortSettings(modem, stored);
    modem.setNoPin(trimSpaces(stored.PIN).isEmpty());
    modemsteps::listenFor(modem, eventsOf(stored.Port));
    modem.Connect();
    if (modem.IsError(true, QStringLiteral("Quillo")))
        return false;
    if (const std::optional<QString> code = runvalues::validityCode(stored.Validity))
        modem.setValidity(*code);
    return !modem.IsError(true, QStringLiteral("Quillo"));
}

void RunEngine::forgiveReadingError()
{
    modemsteps::forgiveReadingError(*m_component);
}

bool RunEngine::readModem()
{
    SmsComponent &modem = *m_component;
    status(1, QStringLiteral("Reading modem info"));
    m_view.letEventsRun();
    const QString manufacturer = modem.Manufacturer();
    forgiveReadingError();
    const QString model = modem.Model();
    forgiveReadingError();
    const QString imei = modem.IMEI();
    forgiveReadingError();
    const QString imsi = modem.IMSI();
    forgiveReadingError();
    m_view.showModem(manufacturer, model, imei, imsi);

    status(1, QStringLiteral("Reading network info"));
    m_view.letEventsRun();
    checkpoint();
    const QString network = modem.NetworkName();
    forgiveReadingError();
    const int signal = std::max<int>(0, modem.SignalStrength());
    m_view.showNetwork(network, signal);
    if (signal < modemsteps::kLowSignal) {
        status(1, QStringLiteral("Low signal strength"));
        // The operator answers with the normal pointer, as at every question of the run.
        setHourglass(false);
        if (!m_context.dialogs.ask(QStringLiteral("GSM network signal strength is very low.\r\n"
                                                  "Do you want to continue?")))
            return false;
        setHourglass(true);
    }
    return true;
}

void RunEngine::configureMessages(const Message &message, const MessageOptions &options)
{
    modemsteps::configureMessages(*m_component, m_context.state.Details, message, options);
}

RunEngine::Outcome RunEngine::sendAll(const Message &composed)
{
    AppState &state = m_context.state;
    Message message = composed;
    if (message.wapPush) {
        if (!modemsteps::preparePush(*m_component, message))
            return Outcome::ContentTooLong;
        message.alert = false;
    }

    m_view.progressStart(m_list.count());

    // The bound is fixed here; `failed` is also the index of the next number, because sent
    // numbers leave the list and failed ones stay in front.
    const int total = m_list.count();
    int failed = 0;
    state.IsSending = true;
    m_log->StatusLog(QStringLiteral("Sending started"));
    const qint64 startMs = m_context.clock.nowMs();
    m_sendingSinceMs = startMs;
    m_lastOutcomeMs = startMs;
    m_partsHanded = 0;
    m_keepSessions = wantsDeliveryReports() || m_replies.listen;

    for (int done = 0; done < total; ++done) {
        m_view.letEventsRun();
        checkpoint();
        const QString number = m_list.entry(failed);
        if (m_optOut->contains(number)) {
            skipOptedOut(done, failed, number);
            continue;
        }
        status(1, QStringLiteral("Sending (") + number + QLatin1Char(')'));
        status(2, QString::number(done + 1) + QLatin1Char('/') + QString::number(total));
        status(3, QStringLiteral("Errors: ") + QString::number(failed));
        status(4, QStringLiteral("Time left: ")
                      + FormatTimeLeft(startMs, qint16(done), qint16(total), m_context.clock.nowMs()));
        m_view.letEventsRun();

        QString report;
        const PersonalMessage &personal = m_plan.messages.at(done);
        m_journal->handed(done);
        m_partsHanded += personal.parts;
        const bool wasSent = sendOne(message, personal, report);
        m_lastOutcomeMs = m_context.clock.nowMs();
        const qint32 error = wasSent ? 0 : m_component->ErrorNumber();
        const QString errorText = wasSent ? QString() : m_component->ErrorDescription();
        if (wasSent) {
            m_journal->sent(done, report);
            expectDelivery(done, number, m_context.state.Details.Port, report);
        } else
            m_journal->failed(done, error, errorText);
        m_view.numberDone(number, wasSent, report, error, errorText);
        if (wasSent) {
            ++m_result.sent;
            status(1, QStringLiteral("Sent (") + number + QLatin1Char(')'));
            m_list.removeAt(failed);
            m_log->SentMsgLog(number, report);
        } else {
            ++failed;
            m_result.failed = failed;
            status(1, QStringLiteral("Failed (") + number + QLatin1Char(')'));
            status(3, QStringLiteral("Errors: ") + QString::number(failed));
            m_log->ErrorMsgLog(number);
        }
        m_view.progressStep();
        m_view.letEventsRun();
    }
    endCompleted(total, failed);
    return Outcome::Completed;
}

void RunEngine::loadOptOut()
{
    // Read once per run: a number the operator opts out during the run counts from the next.
    m_optOut.emplace(OptOutList::pathIn(m_context.dataFolder), NumberNormaliser(m_context.state.Details.Country));
    m_optOut->load();
    if (const QString warning = m_optOut->badLinesWarning(); !warning.isEmpty())
        m_context.dialogs.exclamation(warning);
}

void RunEngine::skipOptedOut(int pos, int index, const QString &number)
{
    m_journal->skipped(pos);
    m_view.numberSkipped(number);
    ++m_result.skipped;
    m_list.removeAt(index);
    m_log->SkippedMsgLog(number);
    m_view.progressStep();
    m_view.letEventsRun();
}

bool RunEngine::sendOne(const Message &message, const PersonalMessage &personal, QString &report)
{
    return modemsteps::sendTo(*m_component, message, personal, m_plan.personal, report);
}

void RunEngine::endCompleted(int total, int failed)
{
    AppState &state = m_context.state;
    m_result.end = RunResult::End::Completed;
    const QString counts = summary(total - failed - m_result.skipped, failed);
    closeJournal(RunEnd::Completed, counts);
    recordSpeed();
    status(1, QStringLiteral("Done"));
    m_log->StatusLog(QStringLiteral("Sending completed ") + counts);
    state.IsSending = false;
    QString text = QStringLiteral("Sending complete. ") + counts;
    if (failed != 0)
        text += QStringLiteral("\r\n\r\nDestination numbers still remaining in the list are those to which message "
                               "sending failed.");
    if (m_result.skipped != 0)
        text += QStringLiteral("\r\n\r\nSkipped (opt-out): %1, not sent and taken out of the list.").arg(m_result.skipped);
    // The operator reads the result with the normal pointer.
    setHourglass(false);
    m_context.dialogs.message(text);
    m_view.progressReset(true);
    m_view.unlock();
    release();
    status(1, QStringLiteral("Idle"));
    for (int panel = 2; panel <= 4; ++panel)
        status(panel, QString());
}

void RunEngine::endUserAbort()
{
    AppState &state = m_context.state;
    m_result.end = RunResult::End::UserAbort;
    closeJournal(m_interrupted ? RunEnd::Interrupted : RunEnd::Aborted);
    recordSpeed();
    // Panels 2 to 4 and the bar's visibility stay as they were, to show where the run stopped.
    m_view.progressReset(false);
    m_view.unlock();
    status(1, QStringLiteral("Sending aborted"));
    m_log->StatusLog(QStringLiteral("Sending aborted manually"));
    release();
    setHourglass(false);
    state.IsSending = false;
    if (state.ExitRequested || state.CloseRequested)
        m_view.exitAfterRun();
}

void RunEngine::endConnectionFailure(qint32 number, const QString &description)
{
    m_result.end = RunResult::End::ConnectionFailure;
    m_result.errorNumber = number;
    closeJournal(RunEnd::ConnectionFailure, QString::number(number) + QLatin1Char(' ') + description);
    status(1, QStringLiteral("ERROR ") + QString::number(number));
    m_view.unlock();
    m_view.letEventsRun();
    release();
    setHourglass(false);
}

void RunEngine::endQuiet()
{
    m_result.end = RunResult::End::LowSignal;
    closeJournal(RunEnd::LowSignal);
    // Panel 1 keeps "Low signal strength".
    m_view.unlock();
    m_view.letEventsRun();
    release();
    setHourglass(false);
}

void RunEngine::endContentTooLong()
{
    m_result.end = RunResult::End::ContentTooLong;
    closeJournal(RunEnd::ContentTooLong);
    setHourglass(false);
    m_context.dialogs.exclamation(QStringLiteral("ERROR: WAP Push message (Text + URL) length exceeds allowed size!"));
    status(1, QStringLiteral("Content length eror"));
    m_view.unlock();
    release();
}

void RunEngine::endUnexpected(qint32 number, const QString &description)
{
    AppState &state = m_context.state;
    m_result.end = RunResult::End::Error;
    m_result.errorNumber = number;
    setHourglass(false);
    try {
        closeJournal(RunEnd::Error, QString::number(number) + QLatin1Char(' ') + description);
    } catch (...) {
        // A journal that cannot take its end stays unfinished; the next start offers it.
        noteIgnoredError("closing the run journal after an error");
    }
    try {
        reportTrappedError(m_context, QStringLiteral("cmdStartSending_Click"), number, description);
        if (m_log)
            m_log->StatusLog(QStringLiteral("Sending aborted by system"));
        release();
        state.IsSending = false;
        m_view.unlock();
    } catch (...) {
        // The ending of an error must not raise another one out of the run.
        noteIgnoredError("ending a run after an error");
        release();
        state.IsSending = false;
    }
}
