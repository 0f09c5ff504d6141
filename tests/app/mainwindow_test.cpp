#include "common/error.h"
#include "fakes.h"
#include "findcontrol.h"
#include "app/mainwindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenuBar>
#include <gtest/gtest.h>

namespace {

struct MainWindowTest : testing::Test
{
    MainWindowTest() : window(tc.context, [this] { ++terminations; }) {}

    TestContext tc;
    int terminations = 0;
    MainWindow window;
};

TEST_F(MainWindowTest, StartUpEndsIdleWithTheProgressBarHidden)
{
    tc.state.IsSending = true;
    tc.state.ExitRequested = true;
    tc.state.CloseRequested = true;
    tc.state.ImportSourceType = QStringLiteral("Excel");
    window.Form_Load();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Quillo %1.%2").arg(QUILLO_VERSION_MAJOR).arg(QUILLO_VERSION_MINOR));
    EXPECT_EQ(window.panel(1)->text(), QStringLiteral("Idle"));
    EXPECT_TRUE(window.panel(2)->text().isEmpty());
    EXPECT_FALSE(window.progressBar()->isEnabled());
    EXPECT_TRUE(window.progressBar()->isHidden());
    EXPECT_EQ(window.tabs()->currentIndex(), 0);
    EXPECT_FALSE(tc.state.IsLoading);
    EXPECT_FALSE(tc.state.IsSending);
    EXPECT_FALSE(tc.state.ExitRequested);
    EXPECT_FALSE(tc.state.CloseRequested);
    EXPECT_EQ(tc.state.ImportSourceType, QStringLiteral("Text"));
}

TEST_F(MainWindowTest, TabsAndMenuEntriesCarryTheirCaptions)
{
    const QStringList tabs{QStringLiteral("Messaging"), QStringLiteral("Settings"), QStringLiteral("Tools"),
                           QStringLiteral("About")};
    ASSERT_EQ(window.tabs()->count(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(window.tabs()->tabText(i), tabs.at(i));

    const std::pair<const char *, const char *> entries[] = {
        {"mnuMsgImport", "Import"}, {"mnuMsgEng", "English (GSM Default)"},
        {"mnuMsgOth", "Other Language (Unicode)"}, {"mnuImportTxt", "Text"}, {"mnuImportExl", "Excel"},
        {"mnuImportAcc", "Access"}, {"mnuSaveList", "Save List"}, {"mnuClearList", "Clear List"},
        {"mnuSysLogType2", "Error && Status Log"}, {"mnuMsgLogType1", "Failed Messages"},
        {"mnuMsgLogView", "View Log"}, {"mnuHelpOnline", "Online Support"}, {"mnuExit", "E&xit"}};
    for (const auto &[name, caption] : entries) {
        QAction *action = findControl<QAction>(window, QLatin1String(name));
        EXPECT_EQ(action->text(), QLatin1String(caption)) << name;
    }
    EXPECT_EQ(findControl<QAction>(window, QStringLiteral("mnuHelpManual"))->shortcut(), QKeySequence(Qt::Key_F1));
    // Exit sits on the menu bar itself, after the four menus.
    EXPECT_TRUE(window.menuBar()->actions().contains(findControl<QAction>(window, QStringLiteral("mnuExit"))));
}

TEST_F(MainWindowTest, ExitAsksAndEndsOnlyOnYes)
{
    window.Form_Load();
    tc.dialogs.expectQuestion(QStringLiteral("Close and Exit Quillo?"), false);
    window.mnuExit_Click();
    EXPECT_EQ(terminations, 0);

    int cleanups = 0;
    window.addExitCleanup([&] { ++cleanups; });
    window.addExitCleanup([] { throw QuilloError(91, QStringLiteral("Object variable not set")); });
    tc.dialogs.expectQuestion(QStringLiteral("Close and Exit Quillo?"), true);
    window.mnuExit_Click();
    EXPECT_EQ(terminations, 1);
    EXPECT_EQ(cleanups, 1);
}

TEST_F(MainWindowTest, ExitDuringARunOnlyRecordsTheRequest)
{
    window.Form_Load();
    tc.state.IsSending = true;
    tc.state.ContinueSending = true;
    window.mnuExit_Click(); // no box may be shown now
    EXPECT_TRUE(tc.state.ExitRequested);
    EXPECT_FALSE(tc.state.ContinueSending);
    EXPECT_EQ(terminations, 0);
}

TEST_F(MainWindowTest, ClosingTheWindowDuringARunKeepsItOpen)
{
    window.Form_Load();
    tc.state.IsSending = true;
    tc.state.ContinueSending = true;
    QCloseEvent during;
    QCoreApplication::sendEvent(&window, &during);
    EXPECT_FALSE(during.isAccepted());
    EXPECT_TRUE(tc.state.CloseRequested);
    EXPECT_FALSE(tc.state.ExitRequested);
    EXPECT_FALSE(tc.state.ContinueSending);

    tc.state.IsSending = false;
    tc.dialogs.expectQuestion(QStringLiteral("Close and Exit Quillo?"), false);
    QCloseEvent declined;
    QCoreApplication::sendEvent(&window, &declined);
    EXPECT_FALSE(declined.isAccepted());
    EXPECT_EQ(terminations, 0);

    tc.dialogs.expectQuestion(QStringLiteral("Close and Exit Quillo?"), true);
    QCloseEvent accepted;
    QCoreApplication::sendEvent(&window, &accepted);
    EXPECT_EQ(terminations, 1);
}

} // namespace
