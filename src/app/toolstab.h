#pragma once

#include "common/appcontext.h"
#include "common/mainframe.h"

#include <QWidget>

// The "Tools" tab: modem, SIM and network information, the modem and message log frames.
class ToolsTab : public QWidget
{
    Q_OBJECT
public:
    ToolsTab(AppContext &context, MainFrame &frame, QWidget *parent = nullptr);

    void startUp();
    // The levels the option buttons show, as texts "0", "1" or "2".
    QString shownSysLogLevel() const;
    QString shownMsgLogLevel() const;
    void cmdApplySys_Click();
    void cmdApplyMsg_Click();

private:
    AppContext &m_context;
    MainFrame &m_frame;
};
