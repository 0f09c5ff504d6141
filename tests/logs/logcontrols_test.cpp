#include "../run/fakesmscomponent.h"
#include "fakes.h"
#include "inihandling.h"
#include "logcontrols.h"
#include "mainwindow.h"
#include "toolstab.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

struct LogControlsTest : testing::Test
{
    LogControlsTest()
    {
        tc.context.componentFactory = FakeSmsComponent::factory(script);
        window = std::make_unique<MainWindow>(tc.context, [this] { ++terminations; });
        window->Form_Load();
        // Start from stored levels 0 whatever config.ini held.
        tc.state.Details.SysLog = QStringLiteral("0");
        tc.state.Details.MsgLog = QStringLiteral("0");
        for (const char *name : {"optSys0", "optMsg0"})
            radio(name)->setChecked(true);
        for (const char *name : {"mnuSysLogType0", "mnuMsgLogType0"})
            window->menuAction(QLatin1String(name))->setChecked(true);
    }

    QRadioButton *radio(const char *name) { return window->findChild<QRadioButton *>(QLatin1String(name)); }
    QAction *menu(const char *name) { return window->menuAction(QLatin1String(name)); }
    LogControls &controls() { return window->toolsTab()->logControls(); }
    QString stored(const char *key)
    {
        return INIHandling(tc.context.appFolder, QStringLiteral("config.ini")).GetKey(QStringLiteral("LOG"), QLatin1String(key));
    }

    TestContext tc;
    std::shared_ptr<FakeSmsComponent::Script> script = std::make_shared<FakeSmsComponent::Script>();
    int terminations = 0;
    std::unique_ptr<MainWindow> window;
};

TEST_F(LogControlsTest, LogTypeMenuEntriesSelectStoreAndMoveTheCheck)
{
    struct Case
    {
        const char *entry;
        const char *option;
        const char *key;
        const char *level;
        const char *menuPrefix;
    } cases[] = {
        {"mnuMsgLogType1", "optMsg1", "MsgLog", "1", "mnuMsgLogType"},
        {"mnuMsgLogType2", "optMsg2", "MsgLog", "2", "mnuMsgLogType"},
        {"mnuMsgLogType0", "optMsg0", "MsgLog", "0", "mnuMsgLogType"},
        {"mnuSysLogType2", "optSys2", "SysLog", "2", "mnuSysLogType"},
        {"mnuSysLogType1", "optSys1", "SysLog", "1", "mnuSysLogType"},
        {"mnuSysLogType0", "optSys0", "SysLog", "0", "mnuSysLogType"},
    };
    for (const Case &c : cases) {
        menu(c.entry)->trigger();
        EXPECT_TRUE(radio(c.option)->isChecked()) << c.entry;
        EXPECT_EQ(stored(c.key), QLatin1String(c.level)) << c.entry;
        const QString &details = QLatin1String(c.key) == QLatin1String("MsgLog") ? tc.state.Details.MsgLog
                                                                                 : tc.state.Details.SysLog;
        EXPECT_EQ(details, QLatin1String(c.level)) << c.entry;
        for (int i = 0; i < 3; ++i) {
            const QString name = QLatin1String(c.menuPrefix) + QString::number(i);
            EXPECT_EQ(window->menuAction(name)->isChecked(), QString::number(i) == QLatin1String(c.level))
                << c.entry << " -> " << name.toStdString();
        }
    }
}

TEST_F(LogControlsTest, ApplyThatCannotStoreChangesNothingAndSaysNothing)
{
    // A folder where config.ini should be makes every write fail.
    QDir(tc.context.appFolder).mkdir(QStringLiteral("config.ini"));
    radio("optMsg2")->setChecked(true);
    window->toolsTab()->cmdApplyMsg_Click();
    menu("mnuSysLogType1")->trigger();
    EXPECT_EQ(tc.state.Details.MsgLog, QStringLiteral("0"));
    EXPECT_EQ(tc.state.Details.SysLog, QStringLiteral("0"));
    EXPECT_TRUE(menu("mnuMsgLogType0")->isChecked());
    EXPECT_FALSE(menu("mnuMsgLogType2")->isChecked());
    EXPECT_TRUE(menu("mnuSysLogType0")->isChecked());
    EXPECT_FALSE(menu("mnuSysLogType1")->isChecked()) << "the triggered entry must not stay checked";
    EXPECT_TRUE(tc.dialogs.shown().isEmpty());
}

TEST_F(LogControlsTest, LeavingToolsWithAnUnappliedLevelAsksAndStoresOnYes)
{
    window->tabs()->setCurrentIndex(2);
    radio("optMsg2")->setChecked(true);
    radio("optSys1")->setChecked(true);
    tc.dialogs.expectQuestion(QStringLiteral("Save Log Settings?"), true);
    window->tabs()->setCurrentIndex(0);
    EXPECT_EQ(stored("MsgLog"), QStringLiteral("2"));
    EXPECT_EQ(stored("SysLog"), QStringLiteral("1"));
    EXPECT_TRUE(menu("mnuMsgLogType2")->isChecked());
    EXPECT_TRUE(menu("mnuSysLogType1")->isChecked());
}

TEST_F(LogControlsTest, ViewOpensTheLogInTheLogFolderOrTheProgramFolder)
{
    struct Case
    {
        bool logFolder;
        bool opens;
        const char *control;
        const char *file;
        const char *failure;
    } cases[] = {
        {true, true, "cmdViewMsg", "logs/message.log", nullptr},
        {true, true, "mnuSysLogView", "logs/Kestrel.log", nullptr},
        {false, true, "mnuMsgLogView", "message.log", nullptr},
        {false, false, "cmdViewMsg", "message.log", "Unable to open message log file"},
        {true, false, "cmdViewSys", "logs/Kestrel.log", "Unable to open system log file"},
    };
    for (const Case &c : cases) {
        if (c.logFolder)
            tc.makeFolder(QStringLiteral("logs"));
        else
            QDir(tc.context.appFolder + QStringLiteral("logs")).removeRecursively();
        tc.shell.opened.clear();
        tc.shell.result = c.opens;
        if (c.failure)
            tc.dialogs.expectMessage(QLatin1String(c.failure), Dialogs::Icon::None);
        if (QString::fromLatin1(c.control).startsWith(QLatin1String("mnu")))
            menu(c.control)->trigger();
        else
            window->findChild<QAbstractButton *>(QLatin1String(c.control))->click();
        EXPECT_EQ(tc.shell.opened, QStringList{tc.context.appFolder + QLatin1String(c.file)}) << c.control;
        EXPECT_TRUE(tc.dialogs.allConsumed()) << c.control;
    }
}

TEST_F(LogControlsTest, ClearMessageLogAsksFirst)
{
    const QString logs = tc.makeFolder(QStringLiteral("logs"));
    const QString path = logs + QStringLiteral("message.log");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("a line\r\n");
    }
    tc.dialogs.expectQuestion(QStringLiteral("Clear Message Log?"), false);
    window->findChild<QAbstractButton *>(QStringLiteral("cmdClearMsg"))->click();
    EXPECT_EQ(QFileInfo(path).size(), 8);

    tc.dialogs.expectQuestion(QStringLiteral("Clear Message Log?"), true);
    menu("mnuMsgLogClear")->trigger();
    EXPECT_EQ(QFileInfo(path).size(), 0);

    QFile::remove(path);
    tc.dialogs.expectQuestion(QStringLiteral("Clear Message Log?"), true);
    menu("mnuMsgLogClear")->trigger();
    EXPECT_TRUE(QFile::exists(path)) << "created empty when missing";
}

TEST_F(LogControlsTest, ClearModemLogGoesThroughAFreshComponent)
{
    tc.dialogs.expectQuestion(QStringLiteral("Clear Modem Log?"), false);
    window->findChild<QAbstractButton *>(QStringLiteral("cmdClearSys"))->click();
    EXPECT_EQ(script->created, 0) << "No creates no component";

    const QString logs = tc.makeFolder(QStringLiteral("logs"));
    tc.dialogs.expectQuestion(QStringLiteral("Clear Modem Log?"), true);
    menu("mnuSysLogClear")->trigger();
    EXPECT_EQ(script->calls, (QStringList{QStringLiteral("LogPath(") + logs + QLatin1Char(')'),
                                          QStringLiteral("ClearLog(0)")}));
    EXPECT_EQ(script->released, 1);

    // Errors of the component while clearing are not the operator's business.
    script->calls.clear();
    script->throwOn = QStringLiteral("ClearLog");
    tc.dialogs.expectQuestion(QStringLiteral("Clear Modem Log?"), true);
    menu("mnuSysLogClear")->trigger();
    EXPECT_EQ(script->released, 2);

    tc.context.componentFactory = []() -> std::unique_ptr<SmsComponent> {
        throw QuilloError(429, QStringLiteral("ActiveX component can't create object"));
    };
    tc.dialogs.expectQuestion(QStringLiteral("Clear Modem Log?"), true);
    tc.dialogs.expectMessage(QStringLiteral("There was a error in starting the SMS component.\r\n"
                                            "This can happen due to incorrect installation of Quillo or "
                                            "corrupted Windows files."),
                             Dialogs::Icon::Critical);
    menu("mnuSysLogClear")->trigger();
}

TEST_F(LogControlsTest, DisableAndEnableLogControlsCoverTheTwelveControls)
{
    const char *names[] = {"optSys0", "optSys1", "optSys2", "optMsg0", "optMsg1", "optMsg2",
                           "cmdViewSys", "cmdClearSys", "cmdApplySys", "cmdViewMsg", "cmdClearMsg", "cmdApplyMsg"};
    controls().DisableLogControls();
    for (const char *name : names)
        EXPECT_FALSE(window->findChild<QWidget *>(QLatin1String(name))->isEnabled()) << name;
    EXPECT_TRUE(window->findChild<QWidget *>(QStringLiteral("cmdRefresh"))->isEnabled());
    controls().EnableLogControls();
    for (const char *name : names)
        EXPECT_TRUE(window->findChild<QWidget *>(QLatin1String(name))->isEnabled()) << name;
}

} // namespace
