#include "messagingtab.h"

MessagingTab::MessagingTab(AppContext &context, MainFrame &frame, QWidget *parent)
    : QWidget(parent), m_context(context), m_frame(frame)
{
}

void MessagingTab::startUp()
{
}
