#pragma once

#include "common/appcontext.h"
#include "common/mainframe.h"
#include "common/modeminfoview.h"
#include "sending/runengine.h"

#include <QObject>
#include <functional>

class MessageComposer;
class RecipientList;
class RecipientPanel;
class SettingsTab;

// The sending run in the window: Start and Stop (cmdStartSending, cmdStopSending) drive the
// run engine, which shows itself in the status bar, the progress bar, the window lock and
// the Tools tab's readings.
class SendingRun : public QObject, private RunView
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
    // The run, and the modems it kept for delivery reports and replies.
    RunEngine &engine() { return m_engine; }
    // Message > Preview: each recipient's text as Start would send it now.
    void mnuMsgPreview_Click();

    // Shows the preview; true to go on (Continue, or Close when only looking). Tests replace
    // the modal dialog.
    using Previewer = std::function<bool(const RunPlan &plan, bool beforeStart)>;
    void setPreviewer(Previewer previewer) { m_previewer = std::move(previewer); }

private:
    // RunView
    void status(int panel, const QString &text) override;
    void letEventsRun() override;
    void lock() override;
    void unlock() override;
    void showModem(const QString &manufacturer, const QString &model, const QString &imei,
                   const QString &imsi) override;
    void showNetwork(const QString &name, int signal) override;
    void progressStart(int total) override;
    void progressStep() override;
    void progressReset(bool hide) override;
    void exitAfterRun() override;
    bool reviewRun(const RunPlan &plan) override;

    AppContext &m_context;
    MainFrame &m_frame;
    Parts m_parts;
    RunEngine m_engine;
    Previewer m_previewer;
};
