#include "fakesmscomponent.h"
#include "messagecomposer.h"
#include "recipientlist.h"
#include "runwindow.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QEvent>
#include <QFile>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <gtest/gtest.h>

namespace {

using Script = FakeSmsComponent::Script;
const QString kAbort = QStringLiteral("Abort sending remaining messages?");
const QString kStart = QStringLiteral("Start sending messages?");
const QString kExit = QStringLiteral("Close and Exit Quillo?");
const QString kNote = QStringLiteral("\r\n\r\nDestination numbers still remaining in the list are those to which "
                                     "message sending failed.");

struct SendingRunTest : testing::Test
{
    std::shared_ptr<Script> script = std::make_shared<Script>();
    RunWindow w{FakeSmsComponent::factory(script)};

    QStringList sent() const
    {
        QStringList numbers;
        for (const QString &call : script->calls)
            if (call.startsWith(QLatin1String("SendSMS(")) || call.startsWith(QLatin1String("Push.Send(")))
                numbers << call.section(QLatin1Char('('), 1).section(QLatin1Char('|'), 0, 0).remove(QLatin1Char(')'));
        return numbers;
    }
    bool called(const QString &prefix) const
    {
        return std::any_of(script->calls.begin(), script->calls.end(),
                           [&](const QString &call) { return call.startsWith(prefix); });
    }
    void expectIdleWindow()
    {
        EXPECT_TRUE(w.enabled("cmdStartSending"));
        EXPECT_FALSE(w.enabled("cmdStopSending"));
        for (int tab = 0; tab < 4; ++tab)
            EXPECT_TRUE(w.window->tabs()->isTabEnabled(tab)) << "tab " << tab;
        EXPECT_EQ(script->created, script->released) << "the component is released at every ending";
        EXPECT_FALSE(w.tc.state.IsSending);
    }
};

TEST_F(SendingRunTest, InputChecksRefuseBeforeAnythingStarts)
{
    struct Case
    {
        QStringList numbers;
        QString message;
        bool wapPush;
        QString url;
        QString warning;
    } cases[] = {
        {{}, QString(), false, QString(), QStringLiteral("Mobile No not found in list!")},
        {{QStringLiteral("9812345678")}, QStringLiteral("    "), false, QString(),
         QStringLiteral("Please enter text message to be sent!")},
        {{QStringLiteral("9812345678")}, QStringLiteral("Hi"), true, QStringLiteral("   "),
         QStringLiteral("Please enter WAP Push URL!")},
    };
    for (const Case &c : cases) {
        w.list().clear();
        w.addNumbers(c.numbers);
        w.setMessage(c.message);
        w.window->control<QCheckBox>(QStringLiteral("chkWapPush"))->setChecked(c.wapPush);
        w.composer().chkWapPush_Click();
        w.window->control<QLineEdit>(QStringLiteral("txtURL"))->setText(c.url);
        w.tc.dialogs.expectMessage(c.warning, Dialogs::Icon::Exclamation);
        w.start();
        EXPECT_TRUE(w.tc.dialogs.allConsumed()) << c.warning.toStdString();
    }
    // No to the confirmation changes nothing either.
    w.window->control<QCheckBox>(QStringLiteral("chkWapPush"))->setChecked(false);
    w.composer().chkWapPush_Click();
    w.setMessage(QStringLiteral("Hi"));
    w.tc.dialogs.expectQuestion(kStart, false);
    w.start();
    EXPECT_EQ(script->created, 0);
    EXPECT_TRUE(w.enabled("cmdStartSending"));
}

TEST_F(SendingRunTest, ACompleteRunHandsTheStoredSettingsOverInOrderAndEmptiesTheList)
{
    ComDetails &d = w.tc.state.Details;
    d.Port = QStringLiteral("COM3");
    d.BaudRate = QStringLiteral("9600");
    d.Parity = QStringLiteral("Even");
    d.StopBits = QStringLiteral("1.5");
    d.PIN = QStringLiteral("1234");
    d.Validity = QStringLiteral("12 Hour");
    d.SMSC = QStringLiteral("+919820005444");
    d.SendDelay = QStringLiteral("1.5");
    d.SendRetry = QStringLiteral("3");
    d.SysLog = QStringLiteral("2");
    w.window->control<QComboBox>(QStringLiteral("cboLongMsg"))->setCurrentText(QStringLiteral("Concatenate"));
    w.window->control<QCheckBox>(QStringLiteral("chkSMSC"))->setChecked(false);
    w.addNumbers({QStringLiteral("111"), QStringLiteral("222"), QStringLiteral("333")});
    w.setMessage(QStringLiteral("  Hello there  "));
    script->sendReport = QStringLiteral("4,5");

    w.tc.dialogs.expectQuestion(kStart, true);
    w.tc.dialogs.expectMessage(QStringLiteral("Sending complete. [Sent:3; Failed:0]"), Dialogs::Icon::None);
    w.start();

    const QStringList expectedStart{
        QStringLiteral("InitFlag(0)"), QStringLiteral("LogPath(") + w.logs + QLatin1Char(')'),
        QStringLiteral("ModemLogType(2)"), QStringLiteral("Port(COM3)"), QStringLiteral("BaudRate(9600)"),
        QStringLiteral("DataBits(8)"), QStringLiteral("StopBits(1.5)"), QStringLiteral("Parity(E)"),
        QStringLiteral("CommTimeout(30000)"), QStringLiteral("PIN(1234)"), QStringLiteral("ConnectTimeout(30000)"),
        QStringLiteral("NoPin(0)"), QStringLiteral("Connect"), QStringLiteral("IsError(1|Quillo)"),
        QStringLiteral("Validity(12H)"), QStringLiteral("IsError(1|Quillo)"), QStringLiteral("Manufacturer"),
        QStringLiteral("Model"), QStringLiteral("IMEI"), QStringLiteral("IMSI"), QStringLiteral("NetworkName"),
        QStringLiteral("SignalStrength"), QStringLiteral("Encoding(0)"), QStringLiteral("SendDelay(1500)"),
        QStringLiteral("SendRetry(3)"), QStringLiteral("LongMessage(3)"), QStringLiteral("SMSC(+919820005444)"),
        QStringLiteral("IsError(1|Quillo)"), QStringLiteral("SendSMS(111|Hello there|0)"),
        QStringLiteral("IsError(0|Kestrel Error)")};
    EXPECT_EQ(script->calls.mid(0, expectedStart.size()), expectedStart);
    EXPECT_EQ(sent(), (QStringList{QStringLiteral("111"), QStringLiteral("222"), QStringLiteral("333")}));

    EXPECT_TRUE(w.numbers().isEmpty());
    EXPECT_EQ(w.panel(1), QStringLiteral("Idle"));
    for (int panel = 2; panel <= 4; ++panel)
        EXPECT_TRUE(w.panel(panel).isEmpty()) << panel;
    EXPECT_TRUE(w.window->progressBar()->isHidden());
    EXPECT_EQ(w.label("lblManufacturer"), QStringLiteral("Acme"));
    EXPECT_EQ(w.label("lblNetwork"), QStringLiteral("Airtel"));
    EXPECT_EQ(w.window->control<QProgressBar>(QStringLiteral("prbSignal"))->value(), 70);
    EXPECT_EQ(w.messageLog(),
              (QStringList{QStringLiteral("Sending started"), QStringLiteral("Message Sent [111]; 2 SMS"),
                           QStringLiteral("Message Sent [222]; 2 SMS"), QStringLiteral("Message Sent [333]; 2 SMS"),
                           QStringLiteral("Sending completed [Sent:3; Failed:0]")}));
    expectIdleWindow();
}

TEST_F(SendingRunTest, SettingsThatAreNotWrittenAtAll)
{
    struct Case
    {
        const char *what;
        std::function<void(RunWindow &)> set;
        QString absentCall;
        QString presentCall;
    } cases[] = {
        {"validity without a space", [](RunWindow &r) { r.tc.state.Details.Validity = QStringLiteral("Week"); },
         QStringLiteral("Validity("), QString()},
        {"unknown long-message choice",
         [](RunWindow &r) { r.window->control<QComboBox>(QStringLiteral("cboLongMsg"))->setCurrentIndex(-1); },
         QStringLiteral("LongMessage("), QString()},
        {"internal service centre",
         [](RunWindow &r) {
             r.tc.state.Details.SMSC = QStringLiteral("+4477");
             r.window->control<QCheckBox>(QStringLiteral("chkSMSC"))->setChecked(true);
         },
         QStringLiteral("SMSC("), QString()},
        {"blank service centre",
         [](RunWindow &r) {
             r.tc.state.Details.SMSC = QStringLiteral("   ");
             r.window->control<QCheckBox>(QStringLiteral("chkSMSC"))->setChecked(false);
         },
         QStringLiteral("SMSC("), QString()},
        {"blank PIN", [](RunWindow &r) { r.tc.state.Details.PIN = QStringLiteral("  "); }, QString(),
         QStringLiteral("NoPin(1)")},
        {"1 Week", [](RunWindow &r) { r.tc.state.Details.Validity = QStringLiteral(" 1 Week"); }, QString(),
         QStringLiteral("Validity(1W)")},
    };
    w.addNumbers({QStringLiteral("111")});
    w.setMessage(QStringLiteral("Hi"));
    for (const Case &c : cases) {
        script->calls.clear();
        c.set(w);
        w.tc.dialogs.expectQuestion(kStart, true);
        w.tc.dialogs.expectMessage(QStringLiteral("Sending complete. [Sent:1; Failed:0]"), Dialogs::Icon::None);
        w.start();
        if (!c.absentCall.isEmpty())
            EXPECT_FALSE(called(c.absentCall)) << c.what;
        if (!c.presentCall.isEmpty())
            EXPECT_TRUE(called(c.presentCall)) << c.what;
        EXPECT_TRUE(w.numbers().isEmpty()) << c.what;
        w.addNumbers({QStringLiteral("111")});
    }
}

TEST_F(SendingRunTest, AFailedNumberStaysCountedAndLoggedWhileTheRunGoesOn)
{
    script->failingNumbers = {QStringLiteral("B")};
    QStringList panelsAtSend;
    script->onSend = [&](const QString &number) {
        panelsAtSend << number + QLatin1Char(' ') + w.panel(2) + QLatin1Char(' ') + w.panel(3) + QLatin1Char(' ')
                            + w.panel(4);
    };
    w.addNumbers({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    w.setMessage(QStringLiteral("Hi"));
    w.tc.dialogs.expectQuestion(kStart, true);
    w.tc.dialogs.expectMessage(QStringLiteral("Sending complete. [Sent:2; Failed:1]") + kNote, Dialogs::Icon::None);
    w.start();

    EXPECT_EQ(w.numbers(), QStringList{QStringLiteral("B")});
    // Nothing is measured before the first number (8 s each); afterwards the fake clock has
    // moved only by the progress steps' few milliseconds, less than a whole second.
    EXPECT_EQ(panelsAtSend, (QStringList{QStringLiteral("A 1/3 Errors: 0 Time left: 24s"),
                                         QStringLiteral("B 2/3 Errors: 0 Time left: 0s"),
                                         QStringLiteral("C 3/3 Errors: 1 Time left: 0s")}));
    EXPECT_EQ(w.messageLog(),
              (QStringList{QStringLiteral("Sending started"), QStringLiteral("Message Sent [A]; 1 SMS"),
                           QStringLiteral("Message FAILED [B]"), QStringLiteral("Message Sent [C]; 1 SMS"),
                           QStringLiteral("Sending completed [Sent:2; Failed:1]")}));
    expectIdleWindow();
}

TEST_F(SendingRunTest, ConnectionFailuresEndWithTheComponentsErrorNumber)
{
    struct Case
    {
        qint32 connectError;
        const char *refuseOn;
        qint32 shown;
        const char *lastCall;
    } cases[] = {
        {9005, "", 9005, "IsError(1|Quillo)"},        // PIN refused at Connect
        {0, "Validity", 9014, "IsError(1|Quillo)"},   // validity refused
        {0, "LongMessage", 9014, "IsError(1|Quillo)"}, // a message setting refused
    };
    w.addNumbers({QStringLiteral("A"), QStringLiteral("B")});
    w.setMessage(QStringLiteral("Hi"));
    for (const Case &c : cases) {
        script->calls.clear();
        script->connectError = c.connectError;
        script->refuseOn = QLatin1String(c.refuseOn);
        w.tc.dialogs.expectQuestion(kStart, true);
        // What the component shows itself comes through the program's dialogs.
        w.tc.dialogs.expectMessage(QStringLiteral("Fake error %1").arg(c.shown), Dialogs::Icon::Critical);
        w.start();
        EXPECT_EQ(w.panel(1), QStringLiteral("ERROR %1").arg(c.shown));
        EXPECT_EQ(w.numbers(), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
        EXPECT_TRUE(w.messageLog().isEmpty()) << "nothing is logged";
        EXPECT_FALSE(called(QStringLiteral("SendSMS")));
        EXPECT_EQ(script->calls.last(), QLatin1String(c.lastCall));
        expectIdleWindow();
    }
}

TEST_F(SendingRunTest, LowSignalAsksBelow36)
{
    struct Case
    {
        qint16 reading;
        bool asked;
        int bar;
    } cases[] = {{36, false, 36}, {35, true, 35}, {-5, true, 0}, {0, true, 0}, {120, false, 100}};
    w.setMessage(QStringLiteral("Hi"));
    for (const Case &c : cases) {
        script->signal = c.reading;
        w.list().clear();
        w.addNumbers({QStringLiteral("A")});
        w.tc.dialogs.expectQuestion(kStart, true);
        if (c.asked)
            w.tc.dialogs.expectQuestion(
                QStringLiteral("GSM network signal strength is very low.\r\nDo you want to continue?"), false);
        else
            w.tc.dialogs.expectMessage(QStringLiteral("Sending complete. [Sent:1; Failed:0]"), Dialogs::Icon::None);
        w.start();
        EXPECT_TRUE(w.tc.dialogs.allConsumed()) << c.reading;
        EXPECT_EQ(w.window->control<QProgressBar>(QStringLiteral("prbSignal"))->value(), c.bar) << c.reading;
        EXPECT_EQ(w.numbers().isEmpty(), !c.asked) << c.reading;
        if (c.asked)
            EXPECT_EQ(w.panel(1), QStringLiteral("Low signal strength"));
        expectIdleWindow();
    }
}

TEST_F(SendingRunTest, ExitOrCloseDuringARunBecomesAStopFollowedByTheExitQuestion)
{
    struct Case
    {
        bool viaClose;
        bool abort;
        bool exitYes;
        int terminations;
    } cases[] = {{false, true, true, 1}, {true, true, false, 0}, {false, false, false, 0}};
    for (const Case &c : cases) {
        w.tc.state.ExitRequested = w.tc.state.CloseRequested = false;
        w.terminations = 0;
        w.list().clear();
        w.addNumbers({QStringLiteral("A"), QStringLiteral("B")});
        w.setMessage(QStringLiteral("Hi"));
        const qsizetype boxesBefore = w.tc.dialogs.shown().size();
        script->onSend = [&](const QString &number) {
            if (number == QLatin1String("A")) {
                // Nothing is asked at this moment: the run is sending.
                if (c.viaClose)
                    w.window->close();
                else
                    w.window->mnuExit_Click();
                EXPECT_EQ(w.tc.dialogs.shown().size(), boxesBefore + 1) << "only the start question so far";
            }
        };
        w.tc.dialogs.expectQuestion(kStart, true);
        w.tc.dialogs.expectQuestion(kAbort, c.abort);
        if (c.abort)
            w.tc.dialogs.expectQuestion(kExit, c.exitYes);
        else
            w.tc.dialogs.expectMessage(QStringLiteral("Sending complete. [Sent:2; Failed:0]"), Dialogs::Icon::None);
        w.start();
        EXPECT_TRUE(w.tc.dialogs.allConsumed());
        EXPECT_EQ(w.terminations, c.terminations);
        EXPECT_EQ(w.numbers().size(), c.abort ? 1 : 0);
    }
}

TEST_F(SendingRunTest, StopWhilePreparingIsAskedAtTheNextCheckpoint)
{
    struct Case
    {
        const char *stopDuring; // the component call during which Stop is pressed
        const char *notReached; // the first call the checkpoint after it keeps from happening
        bool abort;
    } cases[] = {
        {"Connect", "Manufacturer", true},
        {"IMSI", "NetworkName", true},
        {"SendRetry", "SendSMS", true},
        {"Connect", nullptr, false},
    };
    w.setMessage(QStringLiteral("Hi"));
    for (const Case &c : cases) {
        QFile::remove(w.logs + QStringLiteral("message.log"));
        w.list().clear();
        w.addNumbers({QStringLiteral("A"), QStringLiteral("B")});
        script->calls.clear();
        script->onCall = [&](const QString &operation) {
            if (operation == QLatin1String(c.stopDuring))
                w.stop();
        };
        w.tc.dialogs.expectQuestion(kStart, true);
        w.tc.dialogs.expectQuestion(kAbort, c.abort);
        if (!c.abort)
            w.tc.dialogs.expectMessage(QStringLiteral("Sending complete. [Sent:2; Failed:0]"), Dialogs::Icon::None);
        w.start();
        EXPECT_TRUE(w.tc.dialogs.allConsumed()) << c.stopDuring;
        if (c.abort) {
            EXPECT_FALSE(called(QLatin1String(c.notReached))) << c.stopDuring;
            EXPECT_EQ(w.panel(1), QStringLiteral("Sending aborted")) << c.stopDuring;
            EXPECT_EQ(w.messageLog(), QStringList{QStringLiteral("Sending aborted manually")}) << c.stopDuring;
            EXPECT_EQ(w.numbers().size(), 2) << c.stopDuring;
        } else {
            EXPECT_TRUE(w.numbers().isEmpty());
        }
        expectIdleWindow();
    }
    script->onCall = nullptr;
}

TEST_F(SendingRunTest, WapPushRunSendsThePushObjectWithReportZero)
{
    w.addNumbers({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    w.setMessage(QStringLiteral("News"));
    w.window->control<QCheckBox>(QStringLiteral("chkWapPush"))->setChecked(true);
    w.composer().chkWapPush_Click();
    w.window->control<QLineEdit>(QStringLiteral("txtURL"))->setText(QStringLiteral(" http://x.example/ "));
    // A refused number must not fail the ones after it unsent.
    script->failingNumbers = {QStringLiteral("A")};

    w.tc.dialogs.expectQuestion(kStart, true);
    w.tc.dialogs.expectMessage(QStringLiteral("Sending complete. [Sent:2; Failed:1]") + kNote, Dialogs::Icon::None);
    w.start();

    EXPECT_TRUE(script->calls.contains(QStringLiteral("Push.Url( http://x.example/ )")));
    EXPECT_TRUE(script->calls.contains(QStringLiteral("Push.Text(News)")));
    EXPECT_TRUE(script->calls.contains(QStringLiteral("Push.PushLevel(2)")));
    EXPECT_TRUE(script->calls.contains(QStringLiteral("Push.PushId(0)")));
    EXPECT_FALSE(called(QStringLiteral("SendSMS")));
    EXPECT_EQ(sent(), (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
    EXPECT_EQ(w.numbers(), QStringList{QStringLiteral("A")});
    EXPECT_EQ(w.messageLog().mid(1, 3),
              (QStringList{QStringLiteral("Message FAILED [A]"), QStringLiteral("Message Sent [B]; 1 SMS"),
                           QStringLiteral("Message Sent [C]; 1 SMS")}));

    script->pushLengthValid = false;
    w.tc.dialogs.expectQuestion(kStart, true);
    w.tc.dialogs.expectMessage(QStringLiteral("ERROR: WAP Push message (Text + URL) length exceeds allowed size!"),
                               Dialogs::Icon::Exclamation);
    w.start();
    EXPECT_EQ(w.panel(1), QStringLiteral("Content length eror"));
    EXPECT_EQ(w.numbers(), QStringList{QStringLiteral("A")});
    expectIdleWindow();
}

TEST_F(SendingRunTest, AnErrorRaisedMidRunEndsItKeepingTheUnsentNumbers)
{
    w.addNumbers({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    w.setMessage(QStringLiteral("Hi"));
    script->onSend = [](const QString &number) {
        if (number == QLatin1String("B"))
            throw QuilloError(91, QStringLiteral("Object variable or With block variable not set"));
    };
    w.tc.dialogs.expectQuestion(kStart, true);
    w.tc.dialogs.expectMessage(QStringLiteral("Error 91\r\nObject variable or With block variable not set\r\n"
                                              "[Source: Quillo - cmdStartSending_Click]"),
                               Dialogs::Icon::Critical);
    w.start();
    EXPECT_EQ(w.numbers(), (QStringList{QStringLiteral("B"), QStringLiteral("C")}));
    EXPECT_EQ(w.messageLog().last(), QStringLiteral("Sending aborted by system"));
    expectIdleWindow();

    // A stored setting that is no number is the same kind of ending, before anything is sent.
    script->onSend = nullptr;
    w.tc.state.Details.BaudRate = QStringLiteral("fast");
    w.tc.dialogs.expectQuestion(kStart, true);
    w.tc.dialogs.expectMessageStartingWith(QStringLiteral("Error 13\r\nType mismatch"), Dialogs::Icon::Critical);
    w.start();
    EXPECT_EQ(w.numbers().size(), 2);
    expectIdleWindow();
}

// Clicks a button the moment it becomes enabled, as a click the operator made while the
// button was still disabled reaches it once the window lets events run again.
struct ClickWhenEnabled : QObject
{
    QAbstractButton *button;
    bool armed = false;
    int clicks = 0;
    explicit ClickWhenEnabled(QAbstractButton *b) : button(b) { button->installEventFilter(this); }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (armed && watched == button && event->type() == QEvent::EnabledChange && button->isEnabled()) {
            armed = false;
            ++clicks;
            button->click();
        }
        return false;
    }
};

TEST_F(SendingRunTest, AStartClickArrivingWhileARunEndsStartsNothing)
{
    // Every ending enables Start before it has released the run's component and log; a
    // click let in there must not start a second run inside the first.
    ClickWhenEnabled clicker(w.window->control<QAbstractButton>(QStringLiteral("cmdStartSending")));
    struct Case
    {
        const char *ending;
        qint32 connectError;
        QString lastLogLine;
    } cases[] = {
        {"user abort", 0, QStringLiteral("Sending aborted manually")},
        {"connection failure", 9005, QString()},
    };
    w.setMessage(QStringLiteral("Hi"));
    for (const Case &c : cases) {
        clicker.clicks = 0;
        QFile::remove(w.logs + QStringLiteral("message.log"));
        w.list().clear();
        w.addNumbers({QStringLiteral("A"), QStringLiteral("B")});
        script->connectError = c.connectError;
        script->onSend = [&](const QString &) {
            w.stop();
            clicker.armed = true;
        };
        w.tc.dialogs.expectQuestion(kStart, true);
        if (c.connectError != 0) {
            clicker.armed = true;
            w.tc.dialogs.expectMessage(QStringLiteral("Fake error %1").arg(c.connectError), Dialogs::Icon::Critical);
        } else {
            w.tc.dialogs.expectQuestion(kAbort, true);
        }
        w.start();
        EXPECT_TRUE(w.tc.dialogs.allConsumed()) << c.ending;
        EXPECT_EQ(clicker.clicks, 1) << c.ending;
        EXPECT_EQ(script->created, script->released) << c.ending;
        EXPECT_EQ(w.numbers().size(), c.connectError != 0 ? 2 : 1) << c.ending;
        if (!c.lastLogLine.isEmpty())
            EXPECT_EQ(w.messageLog().value(w.messageLog().size() - 1), c.lastLogLine) << c.ending;
        expectIdleWindow();
        // The ignored click leaves nothing behind: the next click starts a run as usual.
        script->connectError = 0;
        script->onSend = nullptr;
        w.tc.dialogs.expectQuestion(kStart, true);
        w.tc.dialogs.expectMessage(
            QStringLiteral("Sending complete. [Sent:%1; Failed:0]").arg(w.numbers().size()), Dialogs::Icon::None);
        w.start();
        EXPECT_TRUE(w.numbers().isEmpty()) << c.ending;
    }
}

TEST_F(SendingRunTest, AComponentThatCannotStartLeavesTheWindowLocked)
{
    w.tc.context.componentFactory = [] { return std::unique_ptr<SmsComponent>(); };
    w.addNumbers({QStringLiteral("A")});
    w.setMessage(QStringLiteral("Hi"));
    w.tc.dialogs.expectQuestion(kStart, true);
    w.tc.dialogs.expectMessage(QStringLiteral("There was a error in starting the SMS component.\r\nThis can happen due "
                                              "to incorrect installation of Quillo or corrupted Windows files."),
                               Dialogs::Icon::Critical);
    w.start();
    EXPECT_FALSE(w.enabled("cmdStartSending"));
    EXPECT_TRUE(w.enabled("cmdStopSending"));
    EXPECT_FALSE(w.window->tabs()->isTabEnabled(1));
    EXPECT_FALSE(w.tc.state.IsSending);
    EXPECT_EQ(w.numbers(), QStringList{QStringLiteral("A")});
}

} // namespace
