#pragma once

#include "common/appcontext.h"
#include "common/mainframe.h"

#include <QWidget>

class MessageComposer;
class RecipientList;
class RecipientPanel;

// The "Messaging" tab: frame "Message Details" (MessageComposer) beside frame "Send Message
// To" (RecipientPanel).
//
// What the sending run uses:
//  - composer(): message(), startButton() and stopButton();
//  - recipientList(): count(), entry(i), removeAt(i);
//  - DisableControls / EnableControls / MoveProgressTo / setTabsLocked (windowlock.h) and
//    FormatTimeLeft (timeleft.h), free functions over the MainFrame.
class MessagingTab : public QWidget
{
    Q_OBJECT
public:
    MessagingTab(AppContext &context, MainFrame &frame, QWidget *parent = nullptr);

    // The Messaging tab's share of the main window's start-up: GsmExtensionChars, the send
    // buttons, the WAP Push rule, the alphabet list and the message boxes.
    void startUp();

    MessageComposer *composer() const { return m_composer; }
    RecipientPanel *recipients() const { return m_recipients; }
    RecipientList &recipientList();

private:
    AppContext &m_context;
    MainFrame &m_frame;
    MessageComposer *m_composer = nullptr;
    RecipientPanel *m_recipients = nullptr;
};
