#pragma once

#include "common/appcontext.h"
#include "common/mainframe.h"
#include "sending/runmessage.h"

#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The "Settings" tab: frames "Message Settings" (with the country for local numbers) and
// "COM Port Settings", "Save Settings".
// It shows the stored settings as loaded into ComDetails and stores the edited values back.
class SettingsTab : public QWidget
{
    Q_OBJECT
public:
    SettingsTab(AppContext &context, MainFrame &frame, QWidget *parent = nullptr);

    // Fills the pick lists once at start-up; nothing is selected until LoadComDetails.
    void fillChoiceLists();
    // Reads the stored settings into ComDetails and every settings control (and the log
    // options and Log menu checks). An error ends the load where it happened and is shown
    // without an icon.
    void LoadComDetails();
    // True when one of the eleven compared controls differs from the stored text (the
    // long-message choice is not compared).
    bool differsFromStored() const;
    // Save Settings: checks, corrects the send delay and retry in their boxes, writes
    // the settings, reloads and confirms. False when a check refused or the write failed.
    bool cmdOK_Click();
    MessageOptions messageOptions() const;
    // Called with the log levels (0 to 2) each time they are loaded; the Tools tab shows them.
    void setLogLevelsShown(std::function<void(int sysLevel, int msgLevel)> show) { m_showLogLevels = std::move(show); }
    // Restore Defaults: after a Yes, the four port defaults in the lists only.
    void cmdDefault_Click();
    // More Modems: edits the modems a run uses besides this tab's port, and stores them at OK.
    void cmdMoreModems_Click();
    void cmdGateway_Click();
    void showGatewayUse();
    // Replies: the [REPLIES] keys, stored at OK.
    void cmdReplies_Click();
    // The service-centre rule: checked means the modem's own centre and a locked, empty box.
    void chkSMSC_Click();
    // The PIN box takes digits and Backspace; KeyAscii becomes 0 for a discarded key.
    void txtPIN_KeyPress(int &KeyAscii);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void loadStoredValues();
    void saveSettings(bool &saved);
    void selectStoredPort(const QString &port);
    void showLogLevels();
    void showModemCount();

    AppContext &m_context;
    MainFrame &m_frame;
    std::function<void(int, int)> m_showLogLevels;

    QLabel *m_lblSMSC = nullptr;
    QLineEdit *m_txtSMSC = nullptr;
    QCheckBox *m_chkSMSC = nullptr;
    QLineEdit *m_txtPIN = nullptr;
    QComboBox *m_cboValidity = nullptr;
    QLineEdit *m_txtSendDelay = nullptr;
    QLineEdit *m_txtSendRetry = nullptr;
    QComboBox *m_cboLongMsg = nullptr;
    QComboBox *m_cboCountry = nullptr;
    QCheckBox *m_chkDeliveryReports = nullptr;
    QComboBox *m_cboPort = nullptr;
    QComboBox *m_cboBaudRate = nullptr;
    QComboBox *m_cboDataBits = nullptr;
    QComboBox *m_cboParity = nullptr;
    QComboBox *m_cboStopBits = nullptr;
    QPushButton *m_cmdDefault = nullptr;
    QPushButton *m_cmdGateway = nullptr;
    QPushButton *m_cmdReplies = nullptr;
    QPushButton *m_cmdMoreModems = nullptr;
    QPushButton *m_cmdOK = nullptr;
};
