// The splash start: what shows during the two seconds, what comes after, a second instance,
// and the splash's error trap. The clock is a fake, so the two seconds take no time.
#include "app/productinfo.h"
#include "app/splashwindow.h"

#include "common/error.h"
#include "fakes.h"

#include <QApplication>
#include <QLabel>
#include <gtest/gtest.h>

namespace {

bool isWhite(const QLabel *label)
{
    return label->autoFillBackground() && label->palette().color(QPalette::Window) == QColor(Qt::white);
}

// What the screen looked like while the splash waited, and when the main window came.
struct SplashRun
{
    SplashWindow::Outcome outcome{};
    int mainShown = 0;
    bool splashVisibleWhenMainShown = true;
    bool hourglassWhenMainShown = true;
    bool splashVisibleAfter = true;
    bool visibleDuring = false, hourglassDuring = false, whiteDuring = false;
    QString versionDuring, legalDuring, productVersionTextDuring;
    qint64 sleptMs = 0;
};

SplashRun runSplash(TestContext &tc, SplashWindow::InstanceCheck check, const std::function<void()> &showMain = [] {},
                    const std::function<void()> &duringWait = [] {})
{
    FakeClock clock;
    AppContext context{tc.state, tc.dialogs, tc.shell, clock, {}, tc.context.appFolder, tc.context.dataFolder};
    SplashWindow splash(context, std::move(check));
    SplashRun run;
    clock.onSleep = [&] {
        auto *version = splash.findChild<QLabel *>(QStringLiteral("lblSplashVersion"));
        auto *legal = splash.findChild<QLabel *>(QStringLiteral("lblSplashLegal"));
        run.visibleDuring = splash.isVisible();
        run.hourglassDuring = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        run.whiteDuring = isWhite(version) && isWhite(legal);
        run.versionDuring = version->text();
        run.legalDuring = legal->text();
        run.productVersionTextDuring = tc.state.ProductVersionText;
        duringWait();
    };
    run.outcome = splash.Form_Load([&] {
        showMain();
        ++run.mainShown;
        run.splashVisibleWhenMainShown = splash.isVisible();
        run.hourglassWhenMainShown = QApplication::overrideCursor() != nullptr;
    });
    run.sleptMs = clock.sleptMs;
    run.splashVisibleAfter = splash.isVisible();
    return run;
}

} // namespace

TEST(Splash, ShowsTheVersionForTwoSecondsUnderTheHourglassThenTheMainWindow)
{
    TestContext tc;
    const SplashRun run = runSplash(tc, [] { return false; });

    EXPECT_EQ(run.outcome, SplashWindow::Outcome::MainShown);
    EXPECT_EQ(run.sleptMs, 2000);
    EXPECT_TRUE(run.visibleDuring);
    EXPECT_TRUE(run.hourglassDuring);
    EXPECT_TRUE(run.whiteDuring);
    EXPECT_EQ(run.versionDuring, QStringLiteral("Version %1.%2").arg(QUILLO_VERSION_MAJOR).arg(QUILLO_VERSION_MINOR));
    // The legal notice and the web address, on three lines.
    const QStringList legalLines = run.legalDuring.split(QLatin1Char('\n'));
    ASSERT_EQ(legalLines.size(), 3) << run.legalDuring.toStdString();
    EXPECT_TRUE(legalLines[0].contains(QStringLiteral("Copyright")));
    EXPECT_EQ(legalLines[2], ProductInfo::webSiteText());
    EXPECT_EQ(run.productVersionTextDuring, QStringLiteral("Quillo Version %1.%2.%3")
                                                 .arg(QUILLO_VERSION_MAJOR)
                                                 .arg(QUILLO_VERSION_MINOR)
                                                 .arg(QUILLO_VERSION_REVISION));

    // The splash is gone and the pointer normal before the main window appears.
    EXPECT_EQ(run.mainShown, 1);
    EXPECT_FALSE(run.splashVisibleWhenMainShown);
    EXPECT_FALSE(run.hourglassWhenMainShown);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(tc.dialogs.shown().isEmpty());
}

TEST(Splash, SecondInstanceEndsWithoutShowingAnything)
{
    TestContext tc;
    const SplashRun run = runSplash(tc, [] { return true; });

    EXPECT_EQ(run.outcome, SplashWindow::Outcome::SecondInstance);
    EXPECT_EQ(run.mainShown, 0);
    EXPECT_EQ(run.sleptMs, 0) << "the splash waited although it was never to be shown";
    EXPECT_TRUE(tc.state.ProductVersionText.isEmpty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// How the error trap words its box is checked with the trap itself; here the handler's name
// and that nothing of the program is left showing.
TEST(Splash, ErrorDuringStartUpIsReportedAndTheMainWindowIsNotShown)
{
    const auto fail = [] { throw QuilloError(70, QStringLiteral("Permission denied")); };
    const auto failIf = [&](bool yes) { return [yes, fail] { if (yes) fail(); }; };
    for (const char *where : {"instance check", "wait under the hourglass", "main window"}) {
        SCOPED_TRACE(where);
        const QByteArray at(where);
        TestContext tc;
        tc.dialogs.expectMessage(QStringLiteral("Error 70\r\nPermission denied\r\n[Source: Quillo - Form_Load (frmSplash)]"),
                                 Dialogs::Icon::Critical);
        const SplashRun run = runSplash(
            tc,
            [&] {
                failIf(at.startsWith("instance"))();
                return false;
            },
            failIf(at.startsWith("main")), failIf(at.startsWith("wait")));
        EXPECT_EQ(run.outcome, SplashWindow::Outcome::Failed);
        EXPECT_EQ(run.mainShown, 0);
        EXPECT_FALSE(run.splashVisibleAfter);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}
