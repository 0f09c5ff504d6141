#pragma once

#include "common/appcontext.h"
#include "common/mainframe.h"

#include <QObject>
#include <array>

class QAbstractButton;

// One log frame of the Tools tab: the three level options and its Apply, View and Clear.
struct LogFrameControls
{
    std::array<QAbstractButton *, 3> options{};
    QAbstractButton *apply = nullptr;
    QAbstractButton *view = nullptr;
    QAbstractButton *clear = nullptr;
};

// The behaviour of the Tools tab's "Modem Log" and "Message Log" frames and of the Log
// menu: storing the levels, viewing and clearing the two logs. The controls themselves are
// built by the Tools tab, which hands them over.
class LogControls : public QObject
{
    Q_OBJECT
public:
    LogControls(AppContext &context, MainFrame &frame, LogFrameControls modem, LogFrameControls message,
                QObject *parent = nullptr);

    // Wires the frames' buttons and the Log menu entries; call once the controls exist.
    void connectControls();

    // "2" when option 2 is selected, else "1" when option 1 is, else "0".
    QString shownSysLogLevel() const;
    QString shownMsgLogLevel() const;

    void cmdApplySys_Click();
    void cmdApplyMsg_Click();
    void cmdViewSys_Click();
    void cmdViewMsg_Click();
    void cmdClearSys_Click();
    void cmdClearMsg_Click();

    // The six level options and the View, Clear and Apply buttons of both frames.
    void DisableLogControls();
    void EnableLogControls();

    // Selects the options and checks the Log menu entries of the levels (0 to 2) just loaded.
    void showLevels(int sysLevel, int msgLevel);

    // "logs" under the data folder when it exists, else the data folder.
    QString viewFolder() const;

private:
    enum class Log { Modem, Message };
    QString shownLevel(Log log) const;
    void applyLevel(Log log);
    void viewLog(Log log);
    void selectLevelFromMenu(Log log, int level);
    void selectLevel(Log log, int level);
    void setLogControlsEnabled(bool enabled);
    const LogFrameControls &controls(Log log) const { return log == Log::Modem ? m_modem : m_message; }
    const LogMenuActions &menu(Log log) const
    {
        return log == Log::Modem ? m_frame.menus().sysLog : m_frame.menus().msgLog;
    }

    AppContext &m_context;
    MainFrame &m_frame;
    LogFrameControls m_modem;
    LogFrameControls m_message;
};
