#include "fakesmscomponent.h"
#include "findcontrol.h"
#include "runwindow.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCheckBox>
#include <QEvent>
#include <QFile>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QProgressBar>
#include <QTabBar>
#include <gtest/gtest.h>

namespace {

using Script = FakeSmsComponent::Script;

struct SendingRunTest : testing::Test
{
    std::shared_ptr<Script> script = std::make_shared<Script>();
    RunWindow w{FakeSmsComponent::factory(script)};

    SendingRunTest() { w.setMessage(QStringLiteral("Hi")); }
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

TEST_F(SendingRunTest, InputChecksAndNoToTheQuestionStartNothing)
{
    const std::tuple<QStringList, QString, QString, QString> cases[] = {
        {{}, QStringLiteral("Hi"), QString(), QStringLiteral("Mobile No not found in list!")},
        {{QStringLiteral("981")}, QStringLiteral("    "), QString(), QStringLiteral("Please enter text message to be sent!")},
        {{QStringLiteral("981")}, QStringLiteral("Hi"), QStringLiteral("   "), QStringLiteral("Please enter WAP Push URL!")},
    };
    for (const auto &[numbers, message, url, warning] : cases) {
        w.setNumbers(numbers);
        w.setMessage(message);
        w.setWapPush(!url.isNull(), url);
        w.tc.dialogs.expectMessage(warning, Dialogs::Icon::Exclamation);
        w.start();
        EXPECT_TRUE(w.tc.dialogs.allConsumed()) << warning.toStdString();
    }
    w.setWapPush(false);
    // Pacing edited by hand into something unreadable is named before anything starts.
    w.setMessage(QStringLiteral("Hi"));
    w.tc.state.Details.Pacing.PartsPerHour = QStringLiteral("lots");
    w.tc.dialogs.expectMessage(QStringLiteral("The pacing of the modem on %1: Parts per hour: 'lots' is not a whole "
                                              "number from 1 to 1000000 (leave it empty for no cap).")
                                   .arg(w.tc.state.Details.Port),
                               Dialogs::Icon::Exclamation);
    w.start();
    EXPECT_TRUE(w.tc.dialogs.allConsumed());
    w.tc.state.Details.Pacing = {};
    // What the run will cost stands below the question; nothing was measured yet.
    w.tc.dialogs.expectQuestion(kStart + QStringLiteral("\r\n\r\nRecipients: 1\r\nSMS parts in all: 1\r\n"
                                                        "Estimated duration: 3s (3.0 s per part, until a run has "
                                                        "been measured)"),
                                false);
    w.start();
    EXPECT_EQ(script->created, 0);
    EXPECT_TRUE(w.enabled("cmdStartSending"));
}

TEST_F(SendingRunTest, ARunHandsTheSettingsOverInOrderAndKeepsOnlyTheFailedNumber)
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
    findControl<QComboBox>(*w.window, QStringLiteral("cboLongMsg"))->setCurrentText(QStringLiteral("Concatenate"));
    findControl<QCheckBox>(*w.window, QStringLiteral("chkSMSC"))->setChecked(false);
    w.setNumbers({"A", "B", "C"});
    w.setMessage(QStringLiteral("  Hello there  "));
    script->sendReport = QStringLiteral("4,5");
    script->failingNumbers = {"B"};
    QStringList panelsAtSend;
    script->onSend = [&](const QString &number) {
        panelsAtSend << QStringList{number, w.panel(2), w.panel(3), w.panel(4)}.join(QLatin1Char(' '));
    };
    w.runToCompletion(2, 1);

    const QStringList expectedStart =
        QStringLiteral("InitFlag(0);LogPath(%1);ModemLogType(2);Port(COM3);BaudRate(9600);DataBits(8);StopBits(1.5);"
                       "Parity(E);CommTimeout(30000);PIN(1234);ConnectTimeout(30000);NoPin(0);Connect;IsError(1|Quillo);"
                       "Validity(12H);IsError(1|Quillo);Manufacturer;Model;IMEI;IMSI;NetworkName;SignalStrength;"
                       "Encoding(0);SendDelay(1500);SendRetry(3);LongMessage(3);SMSC(+919820005444);IsError(1|Quillo);"
                       "SendSMS(A|Hello there|0);IsError(0|Kestrel Error)")
            .arg(w.logs)
            .split(u';');
    EXPECT_EQ(script->calls.mid(0, expectedStart.size()), expectedStart);
    EXPECT_EQ(sent(), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(w.numbers(), QStringList{"B"});
    // Nothing is measured before the first number (8 s each); afterwards the fake clock has
    // moved only by the progress steps' few milliseconds.
    EXPECT_EQ(panelsAtSend, (QStringList{"A 1/3 Errors: 0 Time left: 24s", "B 2/3 Errors: 0 Time left: 0s",
                                         "C 3/3 Errors: 1 Time left: 0s"}));
    EXPECT_EQ(w.messageLog(), (QStringList{"Sending started", "Message Sent [A]; 2 SMS", "Message FAILED [B]",
                                           "Message Sent [C]; 2 SMS", "Sending completed [Sent:2; Failed:1]"}));
    EXPECT_EQ(w.panel(1), QStringLiteral("Idle"));
    for (int panel = 2; panel <= 4; ++panel)
        EXPECT_TRUE(w.panel(panel).isEmpty()) << panel;
    EXPECT_TRUE(w.window->progressBar()->isHidden());
    EXPECT_EQ(w.label("lblManufacturer"), QStringLiteral("Acme"));
    EXPECT_EQ(w.label("lblNetwork"), QStringLiteral("Airtel"));
    EXPECT_EQ(w.signalBar(), 70);
    expectIdleWindow();
}

TEST_F(SendingRunTest, SettingsLeftOutOrWrittenDifferently)
{
    const std::tuple<const char *, std::function<void()>, QString, bool> cases[] = {
        {"validity without a space", [&] { w.tc.state.Details.Validity = QStringLiteral("Week"); },
         QStringLiteral("Validity("), false},
        {"unknown long-message choice",
         [&] { findControl<QComboBox>(*w.window, QStringLiteral("cboLongMsg"))->setCurrentIndex(-1); },
         QStringLiteral("LongMessage("), false},
        {"internal service centre",
         [&] {
             w.tc.state.Details.SMSC = QStringLiteral("+4477");
             findControl<QCheckBox>(*w.window, QStringLiteral("chkSMSC"))->setChecked(true);
         },
         QStringLiteral("SMSC("), false},
        {"blank service centre",
         [&] {
             w.tc.state.Details.SMSC = QStringLiteral("   ");
             findControl<QCheckBox>(*w.window, QStringLiteral("chkSMSC"))->setChecked(false);
         },
         QStringLiteral("SMSC("), false},
        {"blank PIN", [&] { w.tc.state.Details.PIN = QStringLiteral("  "); }, QStringLiteral("NoPin(1)"), true},
        {"1 Week", [&] { w.tc.state.Details.Validity = QStringLiteral(" 1 Week"); }, QStringLiteral("Validity(1W)"),
         true},
    };
    for (const auto &[what, set, call, present] : cases) {
        script->calls.clear();
        set();
        w.setNumbers({"111"});
        w.runToCompletion(1, 0);
        EXPECT_EQ(called(call), present) << what;
        EXPECT_TRUE(w.numbers().isEmpty()) << what;
    }
}

TEST_F(SendingRunTest, AReadingTheModemRefusesIsNoConnectionFailureButASilentModemIs)
{
    // Maker, model, IMEI, IMSI and network name are only shown: a modem without the command
    // answers ERROR and the run goes on. No answer, a lost port, or a refused validity or
    // message setting ends it with the component's own box and error number.
    const std::tuple<const char *, qint32, bool> cases[] = {
        {"Manufacturer", 9010, true}, {"IMSI", 9014, true},     {"NetworkName", 4, true},      {"IMEI", 9003, false},
        {"NetworkName", 9008, false}, {"Validity", 9014, false}, {"LongMessage", 9014, false}};
    for (const auto &[reading, error, sends] : cases) {
        SCOPED_TRACE(reading);
        w.setNumbers({"A", "B"});
        script->calls.clear();
        script->refuseOn = QLatin1String(reading);
        script->refuseError = error;
        w.tc.dialogs.expectQuestionStartingWith(kStart, true);
        if (sends)
            w.tc.dialogs.expectMessage(RunWindow::completeBox(2, 0), Dialogs::Icon::None);
        else
            w.tc.dialogs.expectMessage(QStringLiteral("Fake error %1").arg(error), Dialogs::Icon::Critical);
        QFile::remove(w.logs + QStringLiteral("message.log"));
        w.start();
        EXPECT_TRUE(w.tc.dialogs.allConsumed());
        EXPECT_EQ(sent().size(), sends ? 2 : 0);
        EXPECT_EQ(w.numbers().size(), sends ? 0 : 2);
        EXPECT_EQ(w.messageLog().isEmpty(), !sends) << "a connection failure logs nothing";
        EXPECT_EQ(w.panel(1), sends ? QStringLiteral("Idle") : QStringLiteral("ERROR %1").arg(error));
        expectIdleWindow();
    }
}

TEST_F(SendingRunTest, ATabClickQueuedAsTheRunEndsFindsTheTabsStillLocked)
{
    // The click waits in the queue while the completion box is up; the ending lets events run
    // while it re-enables the controls, and the Tools tab must not open (and refresh the
    // modem) before the run has released its port.
    QTabBar *bar = w.window->tabs()->tabBar();
    w.tc.dialogs.onMessage = [&](const QString &text) {
        if (!text.startsWith(QLatin1String("Sending complete")))
            return;
        const QPoint at = bar->tabRect(2).center();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(bar, new QMouseEvent(type, at, bar->mapToGlobal(at), Qt::LeftButton,
                                                             Qt::LeftButton, Qt::NoModifier));
    };
    w.setNumbers({"A"});
    w.runToCompletion(1, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.window->tabs()->currentIndex(), 0);
    EXPECT_EQ(script->created, 1) << "no modem refresh";
    expectIdleWindow();
}

TEST_F(SendingRunTest, LowSignalAsksBelow36AndTheBarStaysInRange)
{
    const std::tuple<qint16, bool, int> cases[] = {{36, false, 36}, {35, true, 35}, {-5, true, 0}, {120, false, 100}};
    for (const auto &[reading, asked, bar] : cases) {
        script->signal = reading;
        w.setNumbers({"A"});
        w.tc.dialogs.expectQuestionStartingWith(kStart, true);
        if (asked)
            w.tc.dialogs.expectQuestion(kLowSignal, false);
        else
            w.tc.dialogs.expectMessage(RunWindow::completeBox(1, 0), Dialogs::Icon::None);
        w.start();
        EXPECT_TRUE(w.tc.dialogs.allConsumed()) << reading;
        EXPECT_EQ(w.signalBar(), bar) << reading;
        EXPECT_EQ(w.numbers().isEmpty(), !asked) << reading;
        if (asked)
            EXPECT_EQ(w.panel(1), QStringLiteral("Low signal strength"));
        expectIdleWindow();
    }
}

TEST_F(SendingRunTest, StopWhilePreparingIsAskedAtTheNextCheckpoint)
{
    // Stop pressed during one component call; the checkpoint after it keeps the next from happening.
    const std::pair<const char *, const char *> cases[] = {
        {"Connect", "Manufacturer"}, {"IMSI", "NetworkName"}, {"SendRetry", "SendSMS"}};
    for (const auto &[stopDuring, notReached] : cases) {
        QFile::remove(w.logs + QStringLiteral("message.log"));
        w.setNumbers({"A", "B"});
        script->calls.clear();
        script->onCall = [&](const QString &operation) {
            if (operation == QLatin1String(stopDuring))
                w.stop();
        };
        w.tc.dialogs.expectQuestionStartingWith(kStart, true);
        w.tc.dialogs.expectQuestion(kAbort, true);
        w.start();
        EXPECT_TRUE(w.tc.dialogs.allConsumed()) << stopDuring;
        EXPECT_EQ(w.numbers().size(), 2) << stopDuring;
        EXPECT_FALSE(called(QLatin1String(notReached))) << stopDuring;
        EXPECT_EQ(w.panel(1), QStringLiteral("Sending aborted")) << stopDuring;
        EXPECT_EQ(w.messageLog(), QStringList{QStringLiteral("Sending aborted manually")}) << stopDuring;
        expectIdleWindow();
    }
}

TEST_F(SendingRunTest, WapPushSendsThePushObjectAndChecksItsLength)
{
    w.setNumbers({"A", "B", "C"});
    w.setMessage(QStringLiteral("News"));
    w.setWapPush(true, QStringLiteral(" http://x.example/ "));
    // A refused number must not fail the ones after it unsent.
    script->failingNumbers = {"A"};
    w.runToCompletion(2, 1);
    for (const char *call : {"Push.Url( http://x.example/ )", "Push.Text(News)", "Push.PushLevel(2)", "Push.PushId(0)"})
        EXPECT_TRUE(script->calls.contains(QLatin1String(call))) << call;
    EXPECT_FALSE(called(QStringLiteral("SendSMS")));
    EXPECT_EQ(sent(), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(w.numbers(), QStringList{"A"});

    script->pushLengthValid = false;
    w.tc.dialogs.expectQuestionStartingWith(kStart, true);
    w.tc.dialogs.expectMessage(QStringLiteral("ERROR: WAP Push message (Text + URL) length exceeds allowed size!"),
                               Dialogs::Icon::Exclamation);
    w.start();
    EXPECT_EQ(w.panel(1), QStringLiteral("Content length eror"));
    EXPECT_EQ(w.numbers(), QStringList{"A"});
    expectIdleWindow();
}

TEST_F(SendingRunTest, AnErrorRaisedMidRunEndsItKeepingTheUnsentNumbers)
{
    w.setNumbers({"A", "B", "C"});
    script->onSend = [](const QString &number) {
        if (number == QLatin1String("B"))
            throw QuilloError(91, QStringLiteral("Object variable or With block variable not set"));
    };
    w.tc.dialogs.expectQuestionStartingWith(kStart, true);
    w.tc.dialogs.expectMessage(QStringLiteral("Error 91\r\nObject variable or With block variable not set\r\n"
                                              "[Source: Quillo - cmdStartSending_Click]"),
                               Dialogs::Icon::Critical);
    w.start();
    EXPECT_EQ(w.numbers(), (QStringList{"B", "C"}));
    EXPECT_EQ(w.messageLog().last(), QStringLiteral("Sending aborted by system"));
    expectIdleWindow();

    // A stored setting that is no number is the same kind of ending, before anything is sent.
    script->onSend = nullptr;
    w.tc.state.Details.BaudRate = QStringLiteral("fast");
    w.tc.dialogs.expectQuestionStartingWith(kStart, true);
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
    ClickWhenEnabled clicker(findControl<QAbstractButton>(*w.window, QStringLiteral("cmdStartSending")));
    for (const qint32 connectError : {0, 9005}) { // user abort, connection failure
        clicker.clicks = 0;
        w.setNumbers({"A", "B"});
        script->connectError = connectError;
        script->onSend = [&](const QString &) {
            w.stop();
            clicker.armed = true;
        };
        clicker.armed = connectError != 0;
        w.tc.dialogs.expectQuestionStartingWith(kStart, true);
        if (connectError != 0)
            w.tc.dialogs.expectMessage(QStringLiteral("Fake error 9005"), Dialogs::Icon::Critical);
        else
            w.tc.dialogs.expectQuestion(kAbort, true);
        w.start();
        EXPECT_TRUE(w.tc.dialogs.allConsumed()) << connectError;
        EXPECT_EQ(clicker.clicks, 1) << connectError;
        EXPECT_EQ(w.numbers().size(), connectError != 0 ? 2 : 1) << connectError;
        expectIdleWindow();
        // The ignored click leaves nothing behind: the next click starts a run as usual.
        script->connectError = 0;
        script->onSend = nullptr;
        w.runToCompletion(int(w.numbers().size()), 0);
        EXPECT_TRUE(w.numbers().isEmpty()) << connectError;
    }
}

TEST_F(SendingRunTest, AComponentThatCannotStartLeavesTheWindowUsable)
{
    w.tc.context.componentFactory = [] { return std::unique_ptr<SmsComponent>(); };
    w.setNumbers({"A"});
    w.tc.dialogs.expectQuestionStartingWith(kStart, true);
    w.tc.dialogs.expectMessage(QStringLiteral("There was a error in starting the SMS component.\r\nThis can happen due "
                                              "to incorrect installation of Quillo or corrupted Windows files."),
                               Dialogs::Icon::Critical);
    w.start();
    expectIdleWindow();
    EXPECT_EQ(w.numbers(), QStringList{"A"});
}

} // namespace
