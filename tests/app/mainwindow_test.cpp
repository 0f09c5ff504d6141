#include "common/error.h"
#include "fakes.h"
#include "app/mainwindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
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
    window.Form_Load();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Quillo %1.%2").arg(QUILLO_VERSION_MAJOR).arg(QUILLO_VERSION_MINOR));
    EXPECT_EQ(window.panel(1)->text(), QStringLiteral("Idle"));
    EXPECT_TRUE(window.panel(2)->text().isEmpty());
    EXPECT_FALSE(window.progressBar()->isEnabled());
    EXPECT_TRUE(window.progressBar()->isHidden());
    EXPECT_EQ(window.tabs()->currentIndex(), 0);
    EXPECT_EQ(tc.state.ImportSourceType, QStringLiteral("Text"));
}

// Exit and the close box ask when idle and end only on Yes, running every cleanup even when
// one fails. During a run, what each does is checked by the end-to-end runs; here only that
// the close box leaves the window open.
TEST_F(MainWindowTest, ExitAndCloseAskWhenIdleAndEndOnlyOnYes)
{
    window.Form_Load();
    int cleanups = 0;
    window.addExitCleanup([&] { ++cleanups; });
    window.addExitCleanup([] { throw QuilloError(91, QStringLiteral("Object variable not set")); });
    for (const bool viaClose : {false, true}) {
        for (const bool yes : {false, true}) {
            tc.dialogs.expectQuestion(QStringLiteral("Close and Exit Quillo?"), yes);
            QCloseEvent close;
            if (viaClose)
                QCoreApplication::sendEvent(&window, &close);
            else
                window.mnuExit_Click();
            EXPECT_FALSE(viaClose && close.isAccepted());
        }
        EXPECT_EQ(terminations, viaClose ? 2 : 1);
        EXPECT_EQ(cleanups, 1);
    }

    tc.state.IsSending = true;
    QCloseEvent during;
    QCoreApplication::sendEvent(&window, &during);
    EXPECT_FALSE(during.isAccepted());
    EXPECT_TRUE(tc.state.CloseRequested);
    EXPECT_EQ(terminations, 2);
}

} // namespace
