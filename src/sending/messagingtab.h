#pragma once

#include "common/appcontext.h"
#include "common/mainframe.h"

#include <QWidget>

// The "Messaging" tab: frame "Message Details" and frame "Send Message To".
class MessagingTab : public QWidget
{
    Q_OBJECT
public:
    MessagingTab(AppContext &context, MainFrame &frame, QWidget *parent = nullptr);

    // The Messaging tab's share of the main window's start-up: the send buttons, the WAP
    // Push rule, the alphabet list and the message boxes.
    void startUp();

private:
    AppContext &m_context;
    MainFrame &m_frame;
};
