#include "mainwindow.h"

#include "abouttab.h"
#include "common/errortrap.h"
#include "recipients/importcontroller.h"
#include "recipients/optoutdialog.h"
#include "logs/deliverydialog.h"
#include "logs/logcontrols.h"
#include "sending/messagecomposer.h"
#include "sending/messagingtab.h"
#include "sending/runrestore.h"
#include "recipients/recipientpanel.h"
#include "replies/repliesview.h"
#include "sending/sendingrun.h"
#include "settings/settingstab.h"
#include "modeminfo.h"
#include "toolstab.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

enum TabIndex { kMessagingTab = 0, kSettingsTab = 1, kToolsTab = 2, kAboutTab = 3 };

QAction *addEntry(QMenu *menu, const char *name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

QMenu *addSubmenu(QMenu *menu, const char *name, const QString &caption)
{
    QMenu *submenu = menu->addMenu(caption);
    submenu->setObjectName(QLatin1String(name));
    // The entry that opens the submenu carries the name too, so it can be locked like any other.
    submenu->menuAction()->setObjectName(QLatin1String(name));
    return submenu;
}

} // namespace

QString mainWindowCaption()
{
    return QStringLiteral("Quillo %1.%2").arg(QUILLO_VERSION_MAJOR).arg(QUILLO_VERSION_MINOR);
}

MainWindow::MainWindow(AppContext &context, Terminator terminate, QWidget *parent)
    : QMainWindow(parent), m_context(context), m_terminate(std::move(terminate))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(mainWindowCaption());

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    m_tabs = new QTabWidget(central);
    m_tabs->setObjectName(QStringLiteral("ssTab1"));
    m_progress = new QProgressBar(central);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    layout->addWidget(m_tabs, 1);
    layout->addWidget(m_progress);
    setCentralWidget(central);

    buildMenus();
    buildStatusBar();

    m_messagingTab = new MessagingTab(m_context, *this, m_tabs);
    m_settingsTab = new SettingsTab(m_context, *this, m_tabs);
    m_toolsTab = new ToolsTab(m_context, *this, m_tabs);
    m_aboutTab = new AboutTab(m_context, *this, m_tabs);
    m_tabs->addTab(m_messagingTab, QStringLiteral("Messaging"));
    m_tabs->addTab(m_settingsTab, QStringLiteral("Settings"));
    m_tabs->addTab(m_toolsTab, QStringLiteral("Tools"));
    m_tabs->addTab(m_aboutTab, QStringLiteral("About"));
    LogControls &logControls = m_toolsTab->logControls();
    m_settingsTab->setLogLevelsShown(
        [&logControls](int sysLevel, int msgLevel) { logControls.showLevels(sysLevel, msgLevel); });
    // The import dialog answers the recipient frame's Import button and menu entries.
    new ImportController(m_context, *this, *m_messagingTab->recipients(), this);
    m_currentTab = m_tabs->currentIndex();
    MessageComposer *composer = m_messagingTab->composer();
    m_sendingRun = new SendingRun(
        m_context, *this,
        {m_messagingTab->recipientList(), *composer, *m_messagingTab->recipients(), *m_settingsTab,
         m_toolsTab->modemInfo()}, this);
    connect(composer->startButton(), &QAbstractButton::clicked, m_sendingRun, &SendingRun::cmdStartSending_Click);
    // The modems a run kept for its reports are the ones the Tools tab reads.
    m_toolsTab->refresh().setBeforeOpeningPorts([this] { m_sendingRun->engine().closeSessions(); });
    connect(composer->stopButton(), &QAbstractButton::clicked, m_sendingRun, &SendingRun::cmdStopSending_Click);
    connect(m_menus.msgPreview, &QAction::triggered, m_sendingRun, &SendingRun::mnuMsgPreview_Click);
    composer->setPersonalTexts(&m_messagingTab->recipientList(),
                               [settings = m_settingsTab] { return settings->messageOptions().longMessage; });
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        const int previous = m_currentTab;
        m_currentTab = index;
        ssTab1_Click(previous);
    });

    resize(780, 640);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus()
{
    QMenuBar *bar = menuBar();

    QMenu *message = bar->addMenu(QStringLiteral("&Message"));
    message->setObjectName(QStringLiteral("mnuMessage"));
    message->menuAction()->setObjectName(QStringLiteral("mnuMessage"));
    m_menus.message = message->menuAction();
    m_menus.msgImport = addEntry(message, "mnuMsgImport", QStringLiteral("Import"));
    QMenu *language = addSubmenu(message, "mnuMsgLanguage", QStringLiteral("Language"));
    m_menus.msgEnglish = addEntry(language, "mnuMsgEng", QStringLiteral("English (GSM Default)"));
    m_menus.msgEnglish->setCheckable(true);
    m_menus.msgOther = addEntry(language, "mnuMsgOth", QStringLiteral("Other Language (Unicode)"));
    m_menus.msgOther->setCheckable(true);
    m_menus.msgFont = addEntry(message, "mnuMsgFont", QStringLiteral("Font"));
    m_menus.msgPreview = addEntry(message, "mnuMsgPreview", QStringLiteral("Preview"));
    message->addSeparator();
    QAction *replies = addEntry(message, "mnuMsgReplies", QStringLiteral("Replies"));
    connect(replies, &QAction::triggered, this, [this] { showRepliesView(m_context, this); });

    QMenu *phone = bar->addMenu(QStringLiteral("&Phone"));
    phone->setObjectName(QStringLiteral("mnuPhone"));
    phone->menuAction()->setObjectName(QStringLiteral("mnuPhone"));
    m_menus.phone = phone->menuAction();
    QMenu *import = addSubmenu(phone, "mnuImport", QStringLiteral("Import List"));
    m_menus.importText = addEntry(import, "mnuImportTxt", QStringLiteral("Text"));
    m_menus.importExcel = addEntry(import, "mnuImportExl", QStringLiteral("Excel"));
    m_menus.importAccess = addEntry(import, "mnuImportAcc", QStringLiteral("Access"));
    m_menus.saveList = addEntry(phone, "mnuSaveList", QStringLiteral("Save List"));
    m_menus.clearList = addEntry(phone, "mnuClearList", QStringLiteral("Clear List"));
    phone->addSeparator();
    m_menus.optOut = addEntry(phone, "mnuOptOut", QStringLiteral("Opt-out List..."));
    connect(m_menus.optOut, &QAction::triggered, this, [this] { showOptOutDialog(m_context, this); });

    QMenu *log = bar->addMenu(QStringLiteral("&Log"));
    log->setObjectName(QStringLiteral("mnuLog"));
    log->menuAction()->setObjectName(QStringLiteral("mnuLog"));
    m_menus.log = log->menuAction();
    // "&&" in the captions shows one "&"; Qt menus spell that the same way.
    QMenu *sysLog = addSubmenu(log, "mnuSysLog", QStringLiteral("Modem Log"));
    QMenu *sysType = addSubmenu(sysLog, "mnuSysLogType", QStringLiteral("Log Type"));
    m_menus.sysLog.type = {addEntry(sysType, "mnuSysLogType0", QStringLiteral("No Log")),
                           addEntry(sysType, "mnuSysLogType1", QStringLiteral("Error Log")),
                           addEntry(sysType, "mnuSysLogType2", QStringLiteral("Error && Status Log"))};
    m_menus.sysLog.clear = addEntry(sysLog, "mnuSysLogClear", QStringLiteral("Clear Log"));
    m_menus.sysLog.view = addEntry(sysLog, "mnuSysLogView", QStringLiteral("View Log"));
    QMenu *msgLog = addSubmenu(log, "mnuMsgLog", QStringLiteral("Message Log"));
    QMenu *msgType = addSubmenu(msgLog, "mnuMsgLogType", QStringLiteral("Log Type"));
    m_menus.msgLog.type = {addEntry(msgType, "mnuMsgLogType0", QStringLiteral("No Log")),
                           addEntry(msgType, "mnuMsgLogType1", QStringLiteral("Failed Messages")),
                           addEntry(msgType, "mnuMsgLogType2", QStringLiteral("All Messages"))};
    m_menus.msgLog.clear = addEntry(msgLog, "mnuMsgLogClear", QStringLiteral("Clear Log"));
    m_menus.msgLog.view = addEntry(msgLog, "mnuMsgLogView", QStringLiteral("View Log"));
    for (const LogMenuActions *menu : {&m_menus.sysLog, &m_menus.msgLog})
        for (QAction *entry : menu->type)
            entry->setCheckable(true);
    log->addSeparator();
    QAction *delivery = addEntry(log, "mnuLogDelivery", QStringLiteral("Delivery..."));
    connect(delivery, &QAction::triggered, this, [this] { showDeliveryDialog(m_context, this); });

    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    help->menuAction()->setObjectName(QStringLiteral("mnuHelp"));
    QAction *manual = addEntry(help, "mnuHelpManual", QStringLiteral("Help Manual"));
    manual->setShortcut(QKeySequence(Qt::Key_F1));
    manual->setShortcutContext(Qt::ApplicationShortcut);
    m_menus.helpManual = manual;
    m_menus.helpOnline = addEntry(help, "mnuHelpOnline", QStringLiteral("Online Support"));

    // Exit is a command on the menu bar itself.
    QAction *exit = bar->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("mnuExit"));
    connect(exit, &QAction::triggered, this, &MainWindow::mnuExit_Click);
}

void MainWindow::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    // Panels 1 to 4 are as wide as their widest expected text; panel 5 takes the rest.
    const QString widest[] = {QStringLiteral("Reading network info"), QStringLiteral("999/999"),
                              QStringLiteral("Errors: 999"), QStringLiteral("Time left: 99h")};
    for (int i = 0; i < 5; ++i) {
        auto *label = new QLabel(bar);
        label->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i + 1));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setContentsMargins(4, 0, 4, 0);
        if (i < 4) {
            const int textWidth = label->fontMetrics().horizontalAdvance(widest[i]);
            label->setMinimumWidth(textWidth + 16);
            bar->addWidget(label);
        } else {
            bar->addWidget(label, 1);
        }
        m_panels[i] = label;
    }
}

QLabel *MainWindow::panel(int number)
{
    Q_ASSERT(number >= 1 && number <= 5);
    return m_panels[number - 1];
}

void MainWindow::addExitCleanup(std::function<void()> cleanup)
{
    m_exitCleanups.push_back(std::move(cleanup));
}

void MainWindow::Form_Load()
{
    AppState &state = m_context.state;
    errorTrap(m_context, QStringLiteral("Form_Load"), [&] {
        state.IsLoading = true;
        state.IsSending = false;
        state.ExitRequested = false;
        state.CloseRequested = false;
        state.ImportSourceType = QStringLiteral("Text");
        panel(1)->setText(QStringLiteral("Loading..."));
        for (int i = 2; i <= 4; ++i)
            panel(i)->clear();
        setWindowTitle(mainWindowCaption());
        m_progress->setEnabled(false);
        m_progress->hide();
        // The Messaging tab builds GsmExtensionChars and sets up the send buttons, the WAP
        // Push rule and the alphabet (steps 3, 7, 8 and 12 of the start-up).
        m_messagingTab->startUp();
        centreOnScreen();
        m_aboutTab->fill();
        m_toolsTab->startUp();
        m_settingsTab->fillChoiceLists();
        m_settingsTab->LoadComDetails();
        // Selecting the Messaging tab runs the tab change handler while still loading.
        if (m_tabs->currentIndex() != kMessagingTab)
            m_tabs->setCurrentIndex(kMessagingTab);
        else
            ssTab1_Click(kMessagingTab);
        state.IsLoading = false;
        panel(1)->setText(QStringLiteral("Idle"));
    });
}

void MainWindow::offerInterruptedRuns()
{
    ::offerInterruptedRuns(m_context, m_messagingTab->recipientList(), *m_messagingTab->composer());
}

void MainWindow::centreOnScreen()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    move(area.x() + (area.width() - frameGeometry().width()) / 2,
         area.y() + (area.height() - frameGeometry().height()) / 2);
}

void MainWindow::ssTab1_Click(int previousTab)
{
    errorTrap(m_context, QStringLiteral("ssTab1_Click"), [&] {
        if (previousTab == kSettingsTab && !m_context.state.IsLoading)
            leaveSettingsTab();
        else if (previousTab == kToolsTab)
            leaveToolsTab();
    });
}

void MainWindow::leaveSettingsTab()
{
    if (!m_settingsTab->differsFromStored())
        return;
    if (m_context.dialogs.ask(QStringLiteral("Save Settings?")))
        m_settingsTab->cmdOK_Click();
    else
        m_settingsTab->LoadComDetails();
}

void MainWindow::leaveToolsTab()
{
    const ComDetails &stored = m_context.state.Details;
    if (m_toolsTab->shownSysLogLevel() == stored.SysLog && m_toolsTab->shownMsgLogLevel() == stored.MsgLog)
        return;
    if (m_context.dialogs.ask(QStringLiteral("Save Log Settings?"))) {
        m_toolsTab->cmdApplySys_Click();
        m_toolsTab->cmdApplyMsg_Click();
    } else {
        m_settingsTab->LoadComDetails();
    }
}

void MainWindow::mnuExit_Click()
{
    AppState &state = m_context.state;
    if (state.IsSending) {
        // The run asks "Abort sending remaining messages?" at its next checkpoint.
        state.ExitRequested = true;
        state.ContinueSending = false;
        return;
    }
    if (m_context.dialogs.ask(QStringLiteral("Close and Exit Quillo?")))
        endApplication();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    AppState &state = m_context.state;
    event->ignore();
    if (state.IsSending) {
        state.CloseRequested = true;
        state.ContinueSending = false;
        return;
    }
    if (m_context.dialogs.ask(QStringLiteral("Close and Exit Quillo?")))
        endApplication();
}

void MainWindow::endApplication()
{
    for (auto &cleanup : m_exitCleanups) {
        // Nothing may keep the application from ending once the operator said Yes.
        try {
            cleanup();
        } catch (...) {
            noteIgnoredError("a clean-up on the way out");
        }
    }
    m_exitCleanups.clear();
    m_terminate();
}
