#include "fakesmscomponent.h"
#include "runwindow.h"

#include <QAction>
#include <QProgressBar>
#include <gtest/gtest.h>

namespace {

using Script = FakeSmsComponent::Script;
const char *const kValueLabels[] = {"lblManufacturer", "lblModel", "lblIMEI", "lblIMSI", "lblNetwork"};
const char *const kLogControls[] = {"optSys0", "optSys1", "optSys2", "optMsg0", "optMsg1", "optMsg2",
                                    "cmdViewSys", "cmdClearSys", "cmdApplySys", "cmdViewMsg", "cmdClearMsg",
                                    "cmdApplyMsg"};

struct ModemInfoTest : testing::Test
{
    ModemInfoTest()
    {
        // Where ProgressBar1 stood at each connect and reading, to follow the documented stops.
        static const QStringList watched{"Connect", "Manufacturer", "Model", "IMEI", "IMSI",
                                         "NetworkName", "NetworkCode", "SignalStrength"};
        script->onCall = [this](const QString &operation) {
            if (watched.contains(operation))
                progressAt << operation + QLatin1Char('@') + QString::number(w.window->progressBar()->value());
        };
        w.window->tabs()->setCurrentIndex(2);
    }
    void refresh() { w.click("cmdRefresh"); }
    int signalBar() { return w.window->control<QProgressBar>(QStringLiteral("prbSignal"))->value(); }
    void expectUnlocked()
    {
        for (int tab = 0; tab < 4; ++tab)
            EXPECT_TRUE(w.window->tabs()->isTabEnabled(tab)) << tab;
        for (const char *name : kLogControls)
            EXPECT_TRUE(w.enabled(name)) << name;
        for (const char *menu : {"mnuMessage", "mnuPhone", "mnuLog"})
            EXPECT_TRUE(w.window->menuAction(QLatin1String(menu))->isEnabled()) << menu;
        EXPECT_TRUE(w.enabled("cmdRefresh"));
        EXPECT_TRUE(w.enabled("prbSignal"));
        EXPECT_TRUE(w.window->progressBar()->isHidden());
        EXPECT_FALSE(w.window->progressBar()->isEnabled());
        EXPECT_EQ(w.panel(1), QStringLiteral("Idle"));
        EXPECT_EQ(script->created, script->released);
    }

    std::shared_ptr<Script> script = std::make_shared<Script>();
    RunWindow w{FakeSmsComponent::factory(script)};
    QStringList progressAt;
};

TEST_F(ModemInfoTest, RefreshReadsInOrderWhileTheBarWalksItsStops)
{
    w.tc.state.Details.PIN = QStringLiteral("0000");
    script->networkName = QStringLiteral("  ");
    QStringList lockedDuringRead;
    script->onSend = nullptr;
    const auto previous = script->onCall;
    script->onCall = [&](const QString &operation) {
        previous(operation);
        if (operation == QLatin1String("Manufacturer")) {
            for (int tab : {0, 1, 3})
                if (w.window->tabs()->isTabEnabled(tab))
                    lockedDuringRead << QStringLiteral("tab %1").arg(tab);
            for (const char *name : kLogControls)
                if (w.enabled(name))
                    lockedDuringRead << QLatin1String(name);
            if (w.enabled("cmdRefresh"))
                lockedDuringRead << QStringLiteral("cmdRefresh");
            for (const char *menu : {"mnuMessage", "mnuPhone", "mnuLog"})
                if (w.window->menuAction(QLatin1String(menu))->isEnabled())
                    lockedDuringRead << QLatin1String(menu);
            // The window's bar is in use, so it is shown and enabled while the refresh reads.
            if (w.window->progressBar()->isHidden() || !w.window->progressBar()->isEnabled())
                lockedDuringRead << QStringLiteral("ProgressBar1 not in use");
            if (w.label("lblModel") != QLatin1String("Reading..."))
                lockedDuringRead << QStringLiteral("lblModel text");
        }
    };
    refresh();
    EXPECT_TRUE(lockedDuringRead.isEmpty()) << lockedDuringRead.join(QLatin1Char(',')).toStdString();
    EXPECT_EQ(progressAt,
              (QStringList{QStringLiteral("Connect@0"), QStringLiteral("Connect@5"),
                           QStringLiteral("Manufacturer@10"), QStringLiteral("Model@14"), QStringLiteral("IMEI@28"),
                           QStringLiteral("IMSI@42"), QStringLiteral("NetworkName@56"),
                           QStringLiteral("NetworkCode@72"), QStringLiteral("SignalStrength@86")}));
    EXPECT_TRUE(script->calls.contains(QStringLiteral("PIN(0000)")));
    EXPECT_FALSE(std::any_of(script->calls.begin(), script->calls.end(),
                             [](const QString &c) { return c.startsWith(QLatin1String("NoPin")); }));
    EXPECT_EQ(w.label("lblManufacturer"), QStringLiteral("Acme"));
    EXPECT_EQ(w.label("lblIMSI"), QStringLiteral("404685505601234"));
    EXPECT_EQ(w.label("lblNetwork"), QStringLiteral("40410")) << "the code stands in for a blank name";
    EXPECT_EQ(signalBar(), 70);
    expectUnlocked();
    EXPECT_TRUE(w.messageLog().isEmpty()) << "the refresh writes no message log";
}

TEST_F(ModemInfoTest, OddReadingsAreShownAsTheModemGivesThem)
{
    struct Case
    {
        QString name;
        QString code;
        qint16 signal;
        QString shownNetwork;
        int bar;
    } cases[] = {
        {QStringLiteral("Vodafone"), QStringLiteral("40420"), -1, QStringLiteral("Vodafone"), 0},
        {QString(), QString(), 31, QString(), 31},
        {QStringLiteral(" Jio "), QString(), 100, QStringLiteral(" Jio "), 100},
    };
    for (const Case &c : cases) {
        progressAt.clear();
        script->networkName = c.name;
        script->networkCode = c.code;
        script->signal = c.signal;
        refresh();
        EXPECT_EQ(w.label("lblNetwork"), c.shownNetwork);
        EXPECT_TRUE(w.enabled("lblNetwork"));
        EXPECT_EQ(w.label("lblManufacturer"), QStringLiteral("Acme"));
        EXPECT_EQ(signalBar(), c.bar) << c.signal;
        EXPECT_EQ(progressAt.contains(QStringLiteral("NetworkCode@72")), c.name.trimmed().isEmpty());
        expectUnlocked();
    }
}

TEST_F(ModemInfoTest, AConnectFailureEndsQuietlyWithQuestionMarks)
{
    for (int failingConnect : {1, 2}) {
        script->calls.clear();
        script->connectError = 9007;
        script->connectErrorOn = failingConnect;
        w.window->control<QProgressBar>(QStringLiteral("prbSignal"))->setValue(50);
        // Only the component's own box; the program adds none.
        w.tc.dialogs.expectMessage(QStringLiteral("Fake error 9007"), Dialogs::Icon::Critical);
        refresh();
        EXPECT_EQ(script->calls.count(QStringLiteral("Connect")), failingConnect);
        EXPECT_FALSE(script->calls.contains(QStringLiteral("Manufacturer")));
        for (const char *label : kValueLabels) {
            EXPECT_EQ(w.label(label), QStringLiteral("???")) << label;
            EXPECT_TRUE(w.enabled(label)) << label;
        }
        EXPECT_EQ(signalBar(), 0);
        expectUnlocked();
    }
}

TEST_F(ModemInfoTest, AnErrorWhileReadingShowsTheProgramsOwnMessage)
{
    script->throwOn = QStringLiteral("IMEI");
    w.tc.dialogs.expectMessage(QStringLiteral("Error reading modem and network information"),
                               Dialogs::Icon::Exclamation);
    refresh();
    for (const char *label : kValueLabels)
        EXPECT_EQ(w.label(label), QStringLiteral("???")) << label;
    expectUnlocked();

    // A stored level that is no number fails the same way, before the modem is touched.
    script->throwOn.clear();
    script->calls.clear();
    w.tc.state.Details.SysLog = QStringLiteral("x");
    w.tc.dialogs.expectMessage(QStringLiteral("Error reading modem and network information"),
                               Dialogs::Icon::Exclamation);
    refresh();
    EXPECT_FALSE(script->calls.contains(QStringLiteral("Connect")));
    expectUnlocked();
}

TEST_F(ModemInfoTest, AComponentThatCannotStartLocksNothing)
{
    w.tc.context.componentFactory = []() -> std::unique_ptr<SmsComponent> {
        throw QuilloError(429, QStringLiteral("ActiveX component can't create object"));
    };
    w.tc.dialogs.expectMessageStartingWith(QStringLiteral("There was a error in starting the SMS component."),
                                           Dialogs::Icon::Critical);
    refresh();
    EXPECT_EQ(w.label("lblModel"), QStringLiteral("???"));
    expectUnlocked();
}

} // namespace
