#pragma once

#include "common/appcontext.h"
#include "common/mainframe.h"
#include "common/modeminfoview.h"

#include <QObject>
#include <memory>

class MessageComposer;
class MessageLog;
class RecipientList;
class RecipientPanel;
class SettingsTab;
struct ComposedMessage;

// The sending run (cmdStartSending): sends the composed message to every number of the
// recipient list through a fresh SMS component, removing each number that was sent, so a
// completed run leaves exactly the failed numbers in the list. It runs inside the click and
// lets events run at fixed points; Stop, Exit and the close box only clear ContinueSending,
// which the run reads at its checkpoints.
class SendingRun : public QObject
{
    Q_OBJECT
public:
    // What the run reads and fills in, handed over by the main window that owns them.
    struct Parts
    {
        RecipientList &list;
        // Both frames are locked during a run (windowlock.h).
        MessageComposer &composer;
        RecipientPanel &recipients;
        const SettingsTab &settings;
        ModemInfoView modemInfo;
    };

    SendingRun(AppContext &context, MainFrame &frame, Parts parts, QObject *parent = nullptr);
    ~SendingRun() override;

    void cmdStartSending_Click();
    void cmdStopSending_Click();

private:
    enum class Outcome { Completed, UserAbort, ConnectionFailure, Quiet, ContentTooLong };
    // The composed message as the run began, its text trimmed.
    using Message = ComposedMessage;

    bool checkInput(Message &message);
    Outcome prepareAndSend(const Message &message);
    // False when the component reports a connection or settings failure.
    bool connectModem();
    // False when the operator declined to go on with a low signal.
    bool readModem();
    void configureMessages(const Message &message);
    Outcome sendAll(const Message &message);
    // Sends to one number; true with the send report when it was sent.
    bool sendOne(const Message &message, const QString &number, QString &report);
    // Asks "Abort sending remaining messages?" when a stop was requested; a Yes leaves the
    // run for the user-abort ending (by throwing StopConfirmed).
    void checkpoint();

    void endCompleted(int total, int failed);
    void endUserAbort();
    void endConnectionFailure();
    void endQuiet();
    void endContentTooLong();
    void endUnexpected(qint32 number, const QString &description);

    void release();
    void unlockWindow();
    void status(int panel, const QString &text);
    void letEventsRun();
    void setHourglass(bool on);

    AppContext &m_context;
    MainFrame &m_frame;
    std::unique_ptr<SmsComponent> m_component;
    std::unique_ptr<MessageLog> m_log;
    Parts m_parts;
    RecipientList *m_list = nullptr;
    bool m_hourglass = false;
    // True for the whole click, endings included: they enable Start and let events run while
    // the run still holds its component and log.
    bool m_running = false;
};
