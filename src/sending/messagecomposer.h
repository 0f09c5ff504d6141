#pragma once

#include "common/appcontext.h"
#include "common/mainframe.h"
#include "sending/runmessage.h"

#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class RecipientList;

// The frame "Message Details": the alphabet list cboLang, the two message boxes txtMsgEn
// (GSM) and txtMsg (Unicode) of which one shows at a time, the options chkAlert, chkWapPush
// and txtURL, the buttons cmdImport, cmdSaveMsg and cmdFont, and at its foot cmdStartSending
// and cmdStopSending (their clicks belong to the sending run). It answers the Message menu
// and drives the character counter in status bar panel 1.
//
// The sending run takes the message as a ComposedMessage (message()) and its Start and Stop
// clicks from startButton() and stopButton(); AppState::MessageEncoding follows the alphabet.
class MessageComposer : public QGroupBox
{
    Q_OBJECT
public:
    MessageComposer(AppContext &context, MainFrame &frame, QWidget *parent = nullptr);

    // The start-up share of this frame: fills cboLang, selects GSM, sets the display fonts,
    // unchecks WAP Push and applies the option rules.
    void startUp();

    // 0 GSM default alphabet, 1 Unicode.
    int alphabetIndex() const;
    // The text of the box of the chosen alphabet, untrimmed, with CR LF line ends (the
    // operator's Enter and the line ends of an imported file).
    QString messageText() const;
    QString gsmText() const;
    QString unicodeText() const;
    // Puts text into the box of the chosen alphabet, replacing its content.
    void setMessageText(const QString &text);
    // Shows message as it was composed: alphabet, text, alert or WAP Push with its URL.
    void setMessage(const ComposedMessage &message);
    bool alertChecked() const;
    bool wapPushChecked() const;
    QString urlText() const;
    ComposedMessage message() const;

    QPushButton *startButton() const { return m_cmdStartSending; }
    QPushButton *stopButton() const { return m_cmdStopSending; }

    // The controls a sending run locks besides Start and Stop (windowlock.h).
    struct RunLockedControls
    {
        QWidget *label, *gsmBox, *unicodeBox, *import, *font, *saveMessage, *url, *language, *alert, *wapPush;
    };
    RunLockedControls runLockedControls() const;

    // The list whose columns fill placeholders, and the long-message choice as it stands:
    // with both, the counter shows the longest personal text and its parts.
    void setPersonalTexts(const RecipientList *list, std::function<QString()> longMessage);

    // The click rules of chkAlert, chkWapPush and cboLang, in that order: they bring the
    // option and font controls in line with the alphabet and options (EnableControls).
    void applyOptionRules();

    // The handlers, public so that menus, tests and the window lock perform them.
    void cboLang_Click();
    void chkAlert_Click();
    void chkWapPush_Click();
    void cmdFont_Click();
    void cmdImport_Click();
    void cmdSaveMsg_Click();
    void selectAlphabet(int index); // mnuMsgEng_Click (0) and mnuMsgOth_Click (1)

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void connectMenus();
    static void setMenuChecked(QAction *action, bool checked);
    static void setMenuEnabled(QAction *action, bool enabled);
    void showCounter(QPlainTextEdit *box, bool keyPress);
    // The personal counter text, or empty when the counter shows the message as typed.
    QString personalCounter(const QString &text) const;
    QString messageFolder() const;

    // Panel 1 of the status bar. Held apart from the frame because focus leaves the boxes
    // while the main window is being destroyed, when the frame can no longer be asked.
    void setStatus(const QString &text);

    AppContext &m_context;
    MainFrame &m_frame;
    QPointer<QLabel> m_status;
    QComboBox *m_cboLang = nullptr;
    QPlainTextEdit *m_txtMsgEn = nullptr;
    QPlainTextEdit *m_txtMsg = nullptr;
    QCheckBox *m_chkAlert = nullptr;
    QCheckBox *m_chkWapPush = nullptr;
    QLabel *m_lblURL = nullptr;
    QLineEdit *m_txtURL = nullptr;
    QLabel *m_lblMessage = nullptr;
    QPushButton *m_cmdImport = nullptr;
    QPushButton *m_cmdSaveMsg = nullptr;
    QPushButton *m_cmdFont = nullptr;
    QPushButton *m_cmdStartSending = nullptr;
    QPushButton *m_cmdStopSending = nullptr;
    const RecipientList *m_recipients = nullptr;
    std::function<QString()> m_longMessage;
};

// The text of a plain text box with CR LF between its lines, as the sending run and the
// files take it.
QString boxText(const QPlainTextEdit *box);
