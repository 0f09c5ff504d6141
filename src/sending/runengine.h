#pragma once

#include "common/appcontext.h"
#include "gateway/gatewaysettings.h"
#include "recipients/optoutlist.h"
#include "replies/replysettings.h"
#include "sending/deliverytracker.h"
#include "sending/runjournal.h"
#include "sending/runmessage.h"
#include "sending/runsummary.h"

#include <memory>
#include <optional>
#include <vector>

class DlrListener;
class MessageLog;
class ModemPool;
class RecipientList;
struct PoolModem;

// What shows a sending run: the main window (status bar, lock, progress bar, the Tools
// tab's readings) or a terminal.
class RunView
{
public:
    virtual ~RunView() = default;

    // One number's outcome, once the journal holds it and before the list changes.
    virtual void numberDone(const QString &number, bool sent, const QString &report, qint32 errorNumber,
                            const QString &errorText)
    {
        Q_UNUSED(number) Q_UNUSED(sent) Q_UNUSED(report) Q_UNUSED(errorNumber) Q_UNUSED(errorText)
    }
    // A number on the opt-out list was passed over, once the journal holds it.
    virtual void numberSkipped(const QString &number) { Q_UNUSED(number) }
    // Panels 1 what the run does, 2 "n/total", 3 "Errors: n", 4 "Time left: ...".
    virtual void status(int panel, const QString &text) = 0;
    virtual void letEventsRun() = 0;
    // The window is locked for the run and unlocked at its end.
    virtual void lock() = 0;
    virtual void unlock() = 0;
    virtual void showModem(const QString &manufacturer, const QString &model, const QString &imei,
                           const QString &imsi) = 0;
    virtual void showNetwork(const QString &name, int signal) = 0;
    // The progress bar: shown at 0 of total; one number further; back at 0 (and hidden).
    virtual void progressStart(int total) = 0;
    virtual void progressStep() = 0;
    virtual void progressReset(bool hide) = 0;
    // Exit or close was asked for during a run the operator then stopped.
    virtual void exitAfterRun() = 0;
    // Before the start question of a run whose texts are personal: the window shows them
    // (the preview); false goes back without sending.
    virtual bool reviewRun(const RunPlan &plan)
    {
        Q_UNUSED(plan)
        return true;
    }
    // A delivery report was recorded in the journal of its run, during the run or after it.
    virtual void deliveryReported(const QString &number, gsm::DeliveryStatus status, const QString &reason)
    {
        Q_UNUSED(number) Q_UNUSED(status) Q_UNUSED(reason)
    }
};

// How a run ended, and what it did.
struct RunResult
{
    enum class End { NotStarted, Completed, UserAbort, ConnectionFailure, LowSignal, ContentTooLong, Error };
    End end = End::NotStarted;
    int sent = 0;
    int failed = 0;
    int skipped = 0;        // on the opt-out list: not sent, and gone from the list
    qint32 errorNumber = 0; // the component's or the program's error for ConnectionFailure and Error
    QString journal;        // the run's journal, once it was created
};

// The sending run (cmdStartSending): sends the message to every number of the list through
// a fresh SMS component, removing each number that was sent, so a completed run leaves
// exactly the failed numbers in the list. It runs inside the call and lets events run at
// fixed points; a stop only clears ContinueSending, which the run reads at its checkpoints
// and then asks "Abort sending remaining messages?". The window and quillo-cli both run it.
//
// Numbers on the opt-out list (optoutlist.h, read as the run starts) never reach the modem:
// the run passes over them, records them as skipped and takes them out of the list, so
// what it leaves there is still exactly the numbers that failed.
//
// With more modems than the one of the settings (AppState::MoreModems) the run uses them
// all at once (poolrun.cpp): each number goes to the next free modem under its caps; one
// modem with pacing (pacing.h) runs there too, as a pool of one. With a gateway
// (setGateway) the messages leave through Kannel instead (gatewayrun.cpp).
//
// Every run that gets as far as the modem keeps a journal in the logs folder
// (runjournal.h): each number is recorded as handed to the modem before it goes, and its
// outcome before the list changes, so after a crash the journal says who got the message.
class RunEngine
{
public:
    RunEngine(AppContext &context, RecipientList &list, RunView &view);
    ~RunEngine();

    // Checks the input, reports placeholders without a value, asks "Start sending messages?"
    // with what the run will cost below it, and runs to one of its endings. A call while a
    // run is still ending is ignored (NotStarted).
    RunResult start(const ComposedMessage &message, const MessageOptions &options);
    // interrupted: the stop came from outside (a signal to quillo-cli), not from the operator.
    void requestStop(bool interrupted = false);
    // The next run continues the interrupted run of this journal, which is closed as resumed
    // once the new journal exists.
    void setResumes(const QString &journalPath) { m_resumes = journalPath; }
    bool isRunning() const { return m_running; }
    // What the run started last sends to each number, in the list's order at its start.
    const RunPlan &plan() const { return m_plan; }
    // The next runs send through this Kannel gateway instead of the modems; nullopt: modems.
    void setGateway(std::optional<GatewaySettings> gateway) { m_gateway = std::move(gateway); }

    // After a run that asked for delivery reports the modems stay connected (and the
    // gateway's report listener listening), so the reports that come later are recorded:
    // until the next run, closeSessions, or the engine's end (runsessions.cpp).
    bool hasOpenSessions() const;
    // The messages of the recent runs still waiting for their report.
    int pendingDeliveries() const { return m_delivery.pendingCount(); }
    // Disconnects the modems kept after a run (the Tools tab needs the port) and logs the
    // reports nothing claimed.
    void closeSessions();

private:
    // Ended: the run took its ending where it knew the cause.
    enum class Outcome { Completed, UserAbort, ConnectionFailure, Quiet, ContentTooLong, Ended };
    using Message = ComposedMessage;

    bool checkInput(Message &message);
    bool confirmStart(const Message &message, const MessageOptions &options);
    void recordSpeed();
    Outcome prepareAndSend(const Message &message, const MessageOptions &options);
    bool connectModem();
    bool readModem();
    // A reading only shown (maker, model, IMEI, IMSI, network) that the modem refuses must not
    // fail the run; a lost or silent modem still does.
    void forgiveReadingError();
    void configureMessages(const Message &message, const MessageOptions &options);
    Outcome sendAll(const Message &message);
    // The gateway's steps (gatewayrun.cpp).
    Outcome prepareGatewayAndSend(const Message &message, const MessageOptions &options);
    Outcome sendAllThroughGateway(const Message &message);
    bool sendOne(const Message &message, const PersonalMessage &personal, QString &report);
    void loadOptOut();
    void skipOptedOut(int pos, int index, const QString &number);
    void checkpoint();

    // A run with several modems (poolrun.cpp). startPool makes the pool, its first modem being
    // m_component; false when a component could not be started (the operator was told).
    bool startPool();
    Outcome preparePoolAndSend(const Message &message, const MessageOptions &options);
    Outcome sendAllPooled(const Message &message, std::vector<PoolModem> &modems);
    // A line in the status bar and the message log about one modem of the pool.
    void modemNote(int modem, const QString &text);

    void endCompleted(int total, int failed);
    void endUserAbort();
    void endConnectionFailure(qint32 number, const QString &description);
    void endQuiet();
    void endContentTooLong();
    void endUnexpected(qint32 number, const QString &description);

    void openJournal(const Message &message, const MessageOptions &options);
    void closeJournal(RunEnd kind, const QString &detail = QString());
    void release();
    // Delivery reports (runsessions.cpp).
    bool wantsDeliveryReports() const;
    ModemEvents eventsOf(const QString &modem);
    void reportArrived(const QString &modem, const QString &reference, gsm::DeliveryStatus status,
                       const QString &reason);
    // The message to number at pos went as refs (the journal's send report).
    void expectDelivery(int pos, const QString &number, const QString &modem, const QString &refs);
    void noteDelivered(const DeliveryTracker::Recorded &recorded);
    void logUnknownReports(bool all);
    // The message log at the stored level, for what comes between runs.
    MessageLog storedLevelLog() const;
    // Replies, when the settings take them: each kept in the replies log, a stop request
    // also on the opt-out list (this run's too), its confirmation sent once the run is over.
    void replyArrived(const QString &modem, const IncomingMessage &message);
    void sendConfirmations();
    // The gateway's report listener, started with the first run through it that asks and
    // kept as long as the engine; the reason when its port cannot be opened.
    QString listenForGatewayReports();
    // The dlr-url of the message at pos; empty when the run asks for no reports.
    QString gatewayReportUrl(int pos) const;
    void status(int panel, const QString &text) { m_view.status(panel, text); }
    void setHourglass(bool on) { m_context.dialogs.setBusy(on); }

    AppContext &m_context;
    RecipientList &m_list;
    RunView &m_view;
    std::unique_ptr<SmsComponent> m_component;
    std::unique_ptr<ModemPool> m_pool; // with several modems; it then owns the components
    // What stays after a run that asked for delivery reports (hasOpenSessions).
    bool m_keepSessions = false;
    std::unique_ptr<SmsComponent> m_keptComponent;
    std::unique_ptr<ModemPool> m_keptPool;
    std::unique_ptr<DlrListener> m_dlrListener;
    DeliveryTracker m_delivery;
    bool m_pendingLoaded = false;
    ReplySettings m_replies; // as the last run started
    struct Confirmation
    {
        QString modem, to, text;
    };
    QList<Confirmation> m_confirmations;
    // Lives on the engine's thread: the modems' threads hand their reports to it, and its
    // timer logs the reports nothing claimed.
    std::unique_ptr<QObject> m_home;
    std::unique_ptr<MessageLog> m_log;
    std::optional<RunJournalWriter> m_journal;
    std::optional<OptOutList> m_optOut;
    QString m_resumes;
    std::optional<GatewaySettings> m_gateway;
    bool m_interrupted = false;
    RunResult m_result;
    RunPlan m_plan;
    // What the modem's speed is measured on: the clock when sending began and when the last
    // outcome came (a question the operator answers at the end is no part of it), the parts.
    qint64 m_sendingSinceMs = 0;
    qint64 m_lastOutcomeMs = 0;
    int m_partsHanded = 0;
    int m_sendDelayMs = 0;
    // True for the whole call, endings included: they unlock the window and let events run
    // while the run still holds its component and log.
    bool m_running = false;
};
