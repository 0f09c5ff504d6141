#pragma once

#include "common/clock.h"
#include "common/mainframe.h"

class MessageComposer;
class QWidget;
class RecipientPanel;

// The window lock of a sending run and the progress steps of the run and the modem refresh.
// The frame gives the menus and the progress bar; a menu entry it leaves out is skipped.

// Locks the window for a run: the Message, Phone and Log menus, the message and recipient
// controls and cmdStartSending are disabled; cmdStopSending and ProgressBar1 enabled. Help and
// Exit stay usable. Lets pending events run at the end.
void DisableControls(MainFrame &frame, MessageComposer &composer, RecipientPanel &recipients);

// Undoes DisableControls, then performs the click rules of chkAlert, chkWapPush and cboLang
// so the option and font controls fit the current alphabet and options (cmdFont, txtURL and
// chkWapPush are never enabled directly). Lets pending events run at the end.
void EnableControls(MainFrame &frame, MessageComposer &composer, RecipientPanel &recipients);

// Disables (locked) or enables tabs 1 to 3 (Settings, Tools, About); the Messaging tab stays.
void setTabsLocked(MainFrame &frame, bool locked);

// Moves ProgressBar1 one unit at a time to target, pausing 5 ms and letting events run
// after each unit; the value is read back before every comparison, so a change made by an
// event meanwhile counts. A target outside the bar's range stops at its end rather than
// stepping forever.
void MoveProgressTo(MainFrame &frame, Clock &clock, qint32 target);

// The house look of a locked text box or list: button-face background and disabled;
// unlocked: white background and enabled.
void setBoxLocked(QWidget *box, bool locked);
// Only the background (the URL box and lstMno are coloured before their state changes).
void setBoxBackground(QWidget *box, bool locked);
