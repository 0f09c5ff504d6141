#include "toolstab.h"

ToolsTab::ToolsTab(AppContext &context, MainFrame &frame, QWidget *parent)
    : QWidget(parent), m_context(context), m_frame(frame)
{
}

void ToolsTab::startUp() {}
QString ToolsTab::shownSysLogLevel() const { return m_context.state.Details.SysLog; }
QString ToolsTab::shownMsgLogLevel() const { return m_context.state.Details.MsgLog; }
void ToolsTab::cmdApplySys_Click() {}
void ToolsTab::cmdApplyMsg_Click() {}
