#include "messagingtab.h"

#include "messagecomposer.h"
#include "recipients/recipientpanel.h"

#include <QHBoxLayout>
#include <QPushButton>

MessagingTab::MessagingTab(AppContext &context, MainFrame &frame, QWidget *parent)
    : QWidget(parent), m_context(context), m_frame(frame)
{
    setObjectName(QStringLiteral("tabMessaging"));
    m_composer = new MessageComposer(context, frame, this);
    m_recipients = new RecipientPanel(context, frame, this);
    auto *layout = new QHBoxLayout(this);
    // The message gets the larger share; the list of numbers needs only a narrow column.
    layout->addWidget(m_composer, 3);
    layout->addWidget(m_recipients, 2);
}

RecipientList &MessagingTab::recipientList()
{
    return m_recipients->list();
}

void MessagingTab::startUp()
{
    m_composer->startUp();
    // No run is in progress at start-up: only Start Sending can be pressed.
    m_composer->stopButton()->setEnabled(false);
    m_composer->startButton()->setEnabled(true);
}
