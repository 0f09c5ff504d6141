// The About tab's links and the Help menu: each opens its own target through the shell,
// failures give their exact box, and the manual opens silently.
#include "app/abouttab.h"
#include "app/helplinks.h"
#include "app/mainwindow.h"
#include "app/productinfo.h"

#include "fakes.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The main window, started after the splash has set the version text the About tab shows.
struct AboutFixture
{
    AboutFixture()
    {
        tc.state.ProductVersionText = ProductInfo::productVersionText();
        window.Form_Load();
        window.resize(800, 600);
        window.show();
        window.tabs()->setCurrentWidget(window.aboutTab());
    }
    QLabel *label(const char *name) { return window.aboutTab()->findChild<QLabel *>(QLatin1String(name)); }

    TestContext tc;
    MainWindow window{tc.context, [] {}};
};

} // namespace

TEST(Links, EachOpensItsTargetAndReportsItsOwnFailure)
{
    struct Case { const char *name; std::function<void(AboutFixture &)> click; QString target; QString failure; };
    const auto clickLabel = [](const char *name) {
        return [name](AboutFixture &f) {
            QLabel *link = f.label(name);
            ASSERT_NE(link, nullptr) << name;
            QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
        };
    };
    const Case cases[] = {
        {"web site", clickLabel("lblWebsite"), ProductInfo::webSiteUrl(), QStringLiteral("Unable to browser")},
        {"e-mail", clickLabel("lblEmail"), QStringLiteral("mailto:") + ProductInfo::supportEmail(),
         QStringLiteral("Unable to open email client")},
        {"online support",
         [](AboutFixture &f) { f.window.menus().helpOnline->trigger(); },
         ProductInfo::supportPageUrl(), QStringLiteral("Unable to browser")},
    };
    for (const Case &c : cases) {
        for (bool opens : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (opens ? " opens" : " fails"));
            AboutFixture f;
            f.tc.shell.result = opens;
            if (!opens)
                f.tc.dialogs.expectMessage(c.failure, Dialogs::Icon::None, Dialogs::Buttons::Ok);
            c.click(f);
            EXPECT_EQ(f.tc.shell.opened, QStringList{c.target});
            EXPECT_TRUE(f.tc.shell.helpOpened.isEmpty());
            EXPECT_EQ(f.tc.dialogs.shown().size(), opens ? 0 : 1);
        }
    }
}

// The pictures are compiled into a static library, where they are easily lost at link time.
// A click counts only when released over the link, as with a button, and Return works too.
TEST(Links, AboutTabShowsTheVersionAndArtworkAndClicksLikeAButton)
{
    AboutFixture f;
    EXPECT_EQ(f.label("lblAbout1")->text(), ProductInfo::productVersionText());
    for (const char *picture : {"picAbout1", "picAbout2", "picAbout3"}) {
        QLabel *label = f.label(picture);
        ASSERT_NE(label, nullptr) << picture;
        EXPECT_FALSE(label->pixmap().isNull()) << picture << ": artwork missing from the program";
    }
    QLabel *link = f.label("lblWebsite");
    QTest::mousePress(link, Qt::LeftButton, {}, link->rect().center());
    QTest::mouseRelease(link, Qt::LeftButton, {}, link->rect().bottomRight() + QPoint(40, 40));
    EXPECT_TRUE(f.tc.shell.opened.isEmpty());
    link->setFocus();
    QTest::keyClick(link, Qt::Key_Return);
    EXPECT_EQ(f.tc.shell.opened, QStringList{ProductInfo::webSiteUrl()});
}

TEST(HelpManual, MenuAndF1OpenTheIndexTopicAndEveryFailureIsSilent)
{
    TestContext tc;
    tc.shell.result = false; // no box may follow, whatever the viewer makes of it
    MainWindow window(tc.context, [] {});
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    window.menus().helpManual->trigger();
    QTest::keyClick(&window, Qt::Key_F1);
    const QString index = tc.context.appFolder + QStringLiteral("help|index.htm");
    EXPECT_EQ(tc.shell.helpOpened, (QStringList{index, index}));

    EXPECT_TRUE(tc.dialogs.shown().isEmpty());
}
