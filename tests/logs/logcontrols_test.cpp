#include "fakesmscomponent.h"
#include "common/ansitext.h"
#include "fakes.h"
#include "findcontrol.h"
#include "settings/inihandling.h"
#include "app/mainwindow.h"

#include <QAbstractButton>
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
        window = std::make_unique<MainWindow>(tc.context, [] {});
        window->Form_Load();
        // Start from stored levels 0 whatever config.ini held.
        tc.state.Details.SysLog = tc.state.Details.MsgLog = QStringLiteral("0");
        for (const char *name : {"optSys0", "optMsg0"})
            radio(name)->setChecked(true);
        for (const char *name : {"mnuSysLogType0", "mnuMsgLogType0"})
            menu(name)->setChecked(true);
    }

    QRadioButton *radio(const QString &name) { return window->findChild<QRadioButton *>(name); }
    QAction *menu(const QString &name) { return findControl<QAction>(*window, name); }
    void click(const char *name) { window->findChild<QAbstractButton *>(QLatin1String(name))->click(); }
    QString stored(const QString &key)
    {
        return INIHandling(tc.context.dataFolder, QStringLiteral("config.ini")).GetKey(QStringLiteral("LOG"), key);
    }
    // The entries of the log-type menu that carry a check.
    QStringList checkedLevels(const QString &log)
    {
        QStringList checked;
        for (int i = 0; i < 3; ++i)
            if (menu(QStringLiteral("mnu%1LogType%2").arg(log).arg(i))->isChecked())
                checked << QString::number(i);
        return checked;
    }

    TestContext tc;
    std::shared_ptr<FakeSmsComponent::Script> script = std::make_shared<FakeSmsComponent::Script>();
    std::unique_ptr<MainWindow> window;
};

TEST_F(LogControlsTest, LogTypeMenuEntriesSelectStoreAndMoveTheCheck)
{
    const std::pair<const char *, const char *> cases[] = {{"Msg", "1"}, {"Msg", "2"}, {"Msg", "0"},
                                                           {"Sys", "2"}, {"Sys", "1"}, {"Sys", "0"}};
    for (const auto &[log, level] : cases) {
        const QString entry = QStringLiteral("mnu%1LogType%2").arg(QLatin1String(log), QLatin1String(level));
        menu(entry)->trigger();
        EXPECT_TRUE(radio(QStringLiteral("opt%1%2").arg(QLatin1String(log), QLatin1String(level)))->isChecked()) << entry.toStdString();
        EXPECT_EQ(stored(QLatin1String(log) + QStringLiteral("Log")), QLatin1String(level)) << entry.toStdString();
        EXPECT_EQ(QLatin1String(log) == QLatin1String("Msg") ? tc.state.Details.MsgLog : tc.state.Details.SysLog,
                  QLatin1String(level)) << entry.toStdString();
        EXPECT_EQ(checkedLevels(QLatin1String(log)), QStringList{QLatin1String(level)}) << entry.toStdString();
    }
}

TEST_F(LogControlsTest, ApplyThatCannotStoreChangesNothingAndSaysNothing)
{
    // A folder where config.ini should be makes every write fail.
    QDir(tc.context.dataFolder).mkdir(QStringLiteral("config.ini"));
    radio(QStringLiteral("optMsg2"))->setChecked(true);
    click("cmdApplyMsg");
    menu(QStringLiteral("mnuSysLogType1"))->trigger();
    EXPECT_EQ(tc.state.Details.MsgLog, QStringLiteral("0"));
    EXPECT_EQ(tc.state.Details.SysLog, QStringLiteral("0"));
    EXPECT_EQ(checkedLevels(QStringLiteral("Msg")), QStringList{"0"});
    EXPECT_EQ(checkedLevels(QStringLiteral("Sys")), QStringList{"0"}) << "the triggered entry must not stay checked";
    EXPECT_TRUE(tc.dialogs.shown().isEmpty());
}

TEST_F(LogControlsTest, LeavingToolsWithAnUnappliedLevelAsksAndStoresOnYes)
{
    window->tabs()->setCurrentIndex(2);
    radio(QStringLiteral("optMsg2"))->setChecked(true);
    radio(QStringLiteral("optSys1"))->setChecked(true);
    tc.dialogs.expectQuestion(QStringLiteral("Save Log Settings?"), true);
    window->tabs()->setCurrentIndex(0);
    EXPECT_EQ(stored(QStringLiteral("MsgLog")), QStringLiteral("2"));
    EXPECT_EQ(stored(QStringLiteral("SysLog")), QStringLiteral("1"));
    EXPECT_EQ(checkedLevels(QStringLiteral("Msg")), QStringList{"2"});
    EXPECT_EQ(checkedLevels(QStringLiteral("Sys")), QStringList{"1"});
}

TEST_F(LogControlsTest, ViewOpensTheLogInTheLogFolderOrTheProgramFolder)
{
    const std::tuple<bool, const char *, const char *, const char *> cases[] = {
        {true, "cmdViewMsg", "logs/message.log", nullptr},
        {true, "mnuSysLogView", "logs/Kestrel.log", nullptr},
        {false, "mnuMsgLogView", "message.log", nullptr},
        {false, "cmdViewMsg", "message.log", "Unable to open message log file"},
        {true, "cmdViewSys", "logs/Kestrel.log", "Unable to open system log file"},
    };
    for (const auto &[logFolder, control, file, failure] : cases) {
        if (logFolder)
            tc.makeFolder(QStringLiteral("logs"));
        else
            QDir(tc.context.dataFolder + QStringLiteral("logs")).removeRecursively();
        tc.shell.opened.clear();
        tc.shell.result = !failure;
        if (failure)
            tc.dialogs.expectMessage(QLatin1String(failure), Dialogs::Icon::None);
        if (control[0] == 'm')
            menu(QLatin1String(control))->trigger();
        else
            click(control);
        EXPECT_EQ(tc.shell.opened, QStringList{tc.context.dataFolder + QLatin1String(file)}) << control;
        EXPECT_TRUE(tc.dialogs.allConsumed()) << control;
    }
}

TEST_F(LogControlsTest, ClearMessageLogAsksFirst)
{
    const QString path = tc.makeFolder(QStringLiteral("logs")) + QStringLiteral("message.log");
    writeFileBytes(path, "a line\r\n");
    tc.dialogs.expectQuestion(QStringLiteral("Clear Message Log?"), false);
    click("cmdClearMsg");
    EXPECT_EQ(QFileInfo(path).size(), 8);

    tc.dialogs.expectQuestion(QStringLiteral("Clear Message Log?"), true);
    menu(QStringLiteral("mnuMsgLogClear"))->trigger();
    EXPECT_EQ(QFileInfo(path).size(), 0);

    QFile::remove(path);
    tc.dialogs.expectQuestion(QStringLiteral("Clear Message Log?"), true);
    menu(QStringLiteral("mnuMsgLogClear"))->trigger();
    EXPECT_TRUE(QFile::exists(path)) << "created empty when missing";
}

TEST_F(LogControlsTest, ClearModemLogGoesThroughAFreshComponent)
{
    tc.dialogs.expectQuestion(QStringLiteral("Clear Modem Log?"), false);
    click("cmdClearSys");
    EXPECT_EQ(script->created, 0) << "No creates no component";

    const QString logs = tc.makeFolder(QStringLiteral("logs"));
    tc.dialogs.expectQuestion(QStringLiteral("Clear Modem Log?"), true);
    menu(QStringLiteral("mnuSysLogClear"))->trigger();
    EXPECT_EQ(script->calls, (QStringList{QStringLiteral("LogPath(") + logs + QLatin1Char(')'), QStringLiteral("ClearLog(0)")}));
    EXPECT_EQ(script->released, 1);

    // Errors of the component while clearing are not the operator's business.
    script->throwOn = QStringLiteral("ClearLog");
    tc.dialogs.expectQuestion(QStringLiteral("Clear Modem Log?"), true);
    menu(QStringLiteral("mnuSysLogClear"))->trigger();
    EXPECT_EQ(script->released, 2);
    EXPECT_TRUE(tc.dialogs.allConsumed()) << "and no box";
}

} // namespace
