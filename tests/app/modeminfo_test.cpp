#include "fakesmscomponent.h"
#include "findcontrol.h"
#include "runwindow.h"

#include <QAction>
#include <QProgressBar>
#include <gtest/gtest.h>

namespace {

using Script = FakeSmsComponent::Script;
const char *const kValueLabels[] = {"lblManufacturer", "lblModel", "lblIMEI", "lblIMSI", "lblNetwork"};

struct ModemInfoTest : testing::Test
{
    ModemInfoTest()
    {
        // Where ProgressBar1 stood at each connect and reading, and whether the window was
        // locked while the modem was read.
        static const QStringList watched{"Connect", "Manufacturer", "Model", "IMEI", "IMSI",
                                         "NetworkName", "NetworkCode", "SignalStrength"};
        script->onCall = [this](const QString &operation) {
            if (watched.contains(operation))
                progressAt << operation + QLatin1Char('@') + QString::number(w.window->progressBar()->value());
            if (operation == QLatin1String("Manufacturer"))
                wrongWhileReading << wrongLocks(false);
        };
        w.window->tabs()->setCurrentIndex(2);
    }
    void refresh() { w.click("cmdRefresh"); }
    // The controls not in the state a refresh gives them: locked while reading, free after.
    QStringList wrongLocks(bool after)
    {
        QStringList wrong;
        for (int tab : {0, 1, 3})
            if (w.window->tabs()->isTabEnabled(tab) != after)
                wrong << QStringLiteral("tab %1").arg(tab);
        for (const char *name : {"optSys0", "optSys1", "optSys2", "optMsg0", "optMsg1", "optMsg2", "cmdViewSys",
                                 "cmdClearSys", "cmdApplySys", "cmdViewMsg", "cmdClearMsg", "cmdApplyMsg", "cmdRefresh"})
            if (w.enabled(name) != after)
                wrong << QLatin1String(name);
        for (const char *menu : {"mnuMessage", "mnuPhone", "mnuLog"})
            if (findControl<QAction>(*w.window, menu)->isEnabled() != after)
                wrong << QLatin1String(menu);
        // The window's bar is in use, shown and enabled, only while the refresh reads.
        if (w.window->progressBar()->isHidden() == !after || w.window->progressBar()->isEnabled() == after)
            wrong << QStringLiteral("ProgressBar1");
        if (after && (!w.enabled("prbSignal") || w.panel(1) != QLatin1String("Idle")))
            wrong << QStringLiteral("prbSignal or panel 1");
        if (!after && w.label("lblModel") != QLatin1String("Reading..."))
            wrong << QStringLiteral("lblModel text");
        return wrong;
    }
    void expectUnlocked()
    {
        EXPECT_EQ(wrongLocks(true), QStringList());
        EXPECT_EQ(script->created, script->released);
    }

    std::shared_ptr<Script> script = std::make_shared<Script>();
    RunWindow w{FakeSmsComponent::factory(script)};
    QStringList progressAt;
    QStringList wrongWhileReading;
};

TEST_F(ModemInfoTest, RefreshReadsInOrderWhileTheBarWalksItsStops)
{
    // The network code is read, at stop 72, only for a blank name.
    const std::tuple<QString, QString, qint16, QString, int> cases[] = {
        {QStringLiteral("  "), QStringLiteral("40410"), 70, QStringLiteral("40410"), 70},
        {QString(), QString(), 31, QString(), 31},
        {QStringLiteral(" Jio "), QString(), -1, QStringLiteral(" Jio "), 0},
    };
    w.tc.state.Details.PIN = QStringLiteral("0000");
    for (const auto &[name, code, signal, shown, bar] : cases) {
        progressAt.clear();
        script->calls.clear();
        script->networkName = name;
        script->networkCode = code;
        script->signal = signal;
        refresh();
        EXPECT_EQ(wrongWhileReading, QStringList());
        QStringList stops{"Connect@0", "Connect@5", "Manufacturer@10", "Model@14", "IMEI@28", "IMSI@42",
                          "NetworkName@56", "NetworkCode@72", "SignalStrength@86"};
        if (!name.trimmed().isEmpty())
            stops.removeOne(QStringLiteral("NetworkCode@72"));
        EXPECT_EQ(progressAt, stops);
        EXPECT_TRUE(script->calls.contains(QStringLiteral("PIN(0000)")));
        EXPECT_FALSE(script->calls.join(QLatin1Char(' ')).contains(QLatin1String("NoPin")));
        EXPECT_EQ(w.label("lblManufacturer"), QStringLiteral("Acme"));
        EXPECT_EQ(w.label("lblIMSI"), QStringLiteral("404685505601234"));
        EXPECT_EQ(w.label("lblNetwork"), shown);
        EXPECT_EQ(w.signalBar(), bar);
        expectUnlocked();
    }
    EXPECT_TRUE(w.messageLog().isEmpty()) << "the refresh writes no message log";
}

TEST_F(ModemInfoTest, AConnectFailureEndsQuietlyWithQuestionMarks)
{
    for (int failingConnect : {1, 2}) {
        script->calls.clear();
        script->connectError = 9007;
        script->connectErrorOn = failingConnect;
        findControl<QProgressBar>(*w.window, QStringLiteral("prbSignal"))->setValue(50);
        // Only the component's own box; the program adds none.
        w.tc.dialogs.expectMessage(QStringLiteral("Fake error 9007"), Dialogs::Icon::Critical);
        refresh();
        EXPECT_EQ(script->calls.count(QStringLiteral("Connect")), failingConnect);
        EXPECT_FALSE(script->calls.contains(QStringLiteral("Manufacturer")));
        for (const char *label : kValueLabels) {
            EXPECT_EQ(w.label(label), QStringLiteral("???")) << label;
            EXPECT_TRUE(w.enabled(label)) << label;
        }
        EXPECT_EQ(w.signalBar(), 0);
        expectUnlocked();
    }
}

TEST_F(ModemInfoTest, AnErrorWhileReadingShowsTheProgramsOwnMessage)
{
    // A reading that raises, then a stored level that is no number (before the modem is touched).
    for (const bool badLevel : {false, true}) {
        script->calls.clear();
        script->throwOn = badLevel ? QString() : QStringLiteral("IMEI");
        if (badLevel)
            w.tc.state.Details.SysLog = QStringLiteral("x");
        w.tc.dialogs.expectMessage(QStringLiteral("Error reading modem and network information"),
                                   Dialogs::Icon::Exclamation);
        refresh();
        for (const char *label : kValueLabels)
            EXPECT_EQ(w.label(label), QStringLiteral("???")) << label;
        EXPECT_EQ(script->calls.contains(QStringLiteral("Connect")), !badLevel);
        expectUnlocked();
    }
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
