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

// What the screen looked like while the splash waited.
struct DuringWait
{
    bool splashVisible = false;
    bool hourglass = false;
    QString version;
    QString legal;
    bool whiteLabels = false;
    QString productVersionText;
};

class WatchingClock : public FakeClock
{
public:
    std::function<void()> onSleep;
    void sleep(int ms) override
    {
        if (onSleep)
            onSleep();
        FakeClock::sleep(ms);
    }
};

bool isWhite(const QLabel *label)
{
    return label->autoFillBackground() && label->palette().color(QPalette::Window) == QColor(Qt::white);
}

struct SplashRun
{
    SplashWindow::Outcome outcome{};
    int mainShown = 0;
    bool splashVisibleWhenMainShown = true;
    bool hourglassWhenMainShown = true;
    bool splashVisibleAfter = true;
    DuringWait during;
    qint64 sleptMs = 0;
};

SplashRun runSplash(TestContext &tc, SplashWindow::InstanceCheck check, const std::function<void()> &showMain = [] {},
                    const std::function<void()> &duringWait = [] {})
{
    WatchingClock clock;
    AppContext context{tc.state, tc.dialogs, tc.shell, clock, {}, tc.context.appFolder, tc.context.dataFolder};
    SplashWindow splash(context, std::move(check));
    SplashRun run;
    clock.onSleep = [&] {
        run.during.splashVisible = splash.isVisible();
        run.during.hourglass = QApplication::overrideCursor()
                               && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        auto *version = splash.findChild<QLabel *>(QStringLiteral("lblSplashVersion"));
        auto *legal = splash.findChild<QLabel *>(QStringLiteral("lblSplashLegal"));
        run.during.version = version->text();
        run.during.legal = legal->text();
        run.during.whiteLabels = isWhite(version) && isWhite(legal);
        run.during.productVersionText = tc.state.ProductVersionText;
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
    EXPECT_TRUE(run.during.splashVisible);
    EXPECT_TRUE(run.during.hourglass);
    EXPECT_TRUE(run.during.whiteLabels);
    EXPECT_EQ(run.during.version, QStringLiteral("Version %1.%2").arg(QUILLO_VERSION_MAJOR).arg(QUILLO_VERSION_MINOR));
    // The legal notice and the web address, on three lines.
    const QStringList legalLines = run.during.legal.split(QLatin1Char('\n'));
    ASSERT_EQ(legalLines.size(), 3) << run.during.legal.toStdString();
    EXPECT_TRUE(legalLines[0].contains(QStringLiteral("Copyright")));
    EXPECT_EQ(legalLines[2], ProductInfo::webSiteText());
    EXPECT_EQ(run.during.productVersionText, QStringLiteral("Quillo Version %1.%2.%3")
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
