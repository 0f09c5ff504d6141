#pragma once

#include "common/appcontext.h"
#include "common/mainframe.h"

#include <QWidget>

// The "Settings" tab: frames "Message Settings" and "COM Port Settings", "Save Settings".
class SettingsTab : public QWidget
{
    Q_OBJECT
public:
    SettingsTab(AppContext &context, MainFrame &frame, QWidget *parent = nullptr);

    void fillChoiceLists();
    // Reads config.ini into ComDetails and every settings control (and the log options).
    void LoadComDetails();
    // True when one of the ten compared controls differs from the stored text.
    bool differsFromStored() const;
    // Save Settings with all its checks; false when a check refused.
    bool cmdOK_Click();

private:
    AppContext &m_context;
    MainFrame &m_frame;
};
