#pragma once

#include "common/appcontext.h"
#include "common/mainframe.h"
#include "common/modeminfoview.h"
#include "logs/logcontrols.h"

#include <QWidget>

class QLabel;
class QPushButton;
class ModemInfoRefresh;

// The "Tools" tab: modem, SIM and network information, the modem and message log frames.
class ToolsTab : public QWidget
{
    Q_OBJECT
public:
    ToolsTab(AppContext &context, MainFrame &frame, QWidget *parent = nullptr);
    ~ToolsTab() override;

    // The Tools tab's share of the start-up: the performance note.
    void startUp();
    // The levels the option buttons show, as texts "0", "1" or "2".
    QString shownSysLogLevel() const;
    QString shownMsgLogLevel() const;
    void cmdApplySys_Click();
    void cmdApplyMsg_Click();

    const ModemInfoView &modemInfo() const { return m_modemInfo; }
    LogControls &logControls() { return *m_logControls; }
    ModemInfoRefresh &refresh() { return *m_refresh; }

private:
    QWidget *buildInfoFrame();
    QWidget *buildLogFrame(bool modem, LogFrameControls &controls);

    AppContext &m_context;
    MainFrame &m_frame;
    ModemInfoView m_modemInfo;
    QPushButton *m_cmdRefresh = nullptr;
    QLabel *m_lblLogNote = nullptr;
    LogControls *m_logControls = nullptr;
    ModemInfoRefresh *m_refresh = nullptr;
};
