#pragma once

#include "common/appcontext.h"
#include "common/mainframe.h"

#include <QMainWindow>
#include <array>
#include <functional>
#include <vector>

class MessagingTab;
class SettingsTab;
class ToolsTab;
class AboutTab;
class SendingRun;

// frmMain: the four tabs, the menu bar, the status bar and the progress bar; the start-up,
// the checks made when the Settings or Tools tab is left, and Exit / window close.
class MainWindow : public QMainWindow, public MainFrame
{
    Q_OBJECT
public:
    using Terminator = std::function<void()>;

    // terminate ends the process at once (tests pass one that only records).
    MainWindow(AppContext &context, Terminator terminate, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The start-up: flags, captions, choice lists, config.ini, then the Messaging tab.
    void Form_Load();
    // After the window shows: offers to restore the runs a crash interrupted.
    void offerInterruptedRuns();

    // MainFrame
    QWidget *window() override { return this; }
    QTabWidget *tabs() override { return m_tabs; }
    QLabel *panel(int number) override;
    QProgressBar *progressBar() override { return m_progress; }
    const MenuActions &menus() override { return m_menus; }
    void performExit() override { mnuExit_Click(); }
    void addExitCleanup(std::function<void()> cleanup) override;

    MessagingTab *messagingTab() const { return m_messagingTab; }
    SettingsTab *settingsTab() const { return m_settingsTab; }
    ToolsTab *toolsTab() const { return m_toolsTab; }
    AboutTab *aboutTab() const { return m_aboutTab; }
    SendingRun *sendingRun() const { return m_sendingRun; }

    void mnuExit_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void buildStatusBar();
    void ssTab1_Click(int previousTab);
    void leaveSettingsTab();
    void leaveToolsTab();
    void centreOnScreen();
    // Releases what is held and ends the application.
    void endApplication();

    AppContext &m_context;
    Terminator m_terminate;
    QTabWidget *m_tabs = nullptr;
    QProgressBar *m_progress = nullptr;
    std::array<QLabel *, 5> m_panels{};
    MenuActions m_menus;
    MessagingTab *m_messagingTab = nullptr;
    SettingsTab *m_settingsTab = nullptr;
    ToolsTab *m_toolsTab = nullptr;
    AboutTab *m_aboutTab = nullptr;
    SendingRun *m_sendingRun = nullptr;
    int m_currentTab = 0;
    std::vector<std::function<void()>> m_exitCleanups;
};

// "Quillo 2.0": the caption from the build's major and minor version.
QString mainWindowCaption();
