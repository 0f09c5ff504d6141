// Whole runs and refreshes through the real driver: the in-process simulated modem
// (port SIMULATOR) and modemsim on a pseudo-terminal for the faults.
#include "../kestrel/modemsimprocess.h"
#include "messagecomposer.h"
#include "probecomponent.h"
#include "recipientlist.h"
#include "runwindow.h"

#include <QCheckBox>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProgressBar>
#include <gtest/gtest.h>

namespace {

using Probe = ProbeComponent::Probe;
const QString kStart = QStringLiteral("Start sending messages?");
const QString kAbort = QStringLiteral("Abort sending remaining messages?");
const QString kNote = QStringLiteral("\r\n\r\nDestination numbers still remaining in the list are those to which "
                                     "message sending failed.");
const QString kA = QStringLiteral("9812345601");
const QString kB = QStringLiteral("9812345602");
const QString kC = QStringLiteral("9812345603");
const QString kD = QStringLiteral("9812345604");
const QString kE = QStringLiteral("9812345605");

QString completeBox(int sent, int failed)
{
    return QStringLiteral("Sending complete. [Sent:%1; Failed:%2]").arg(sent).arg(failed) + (failed ? kNote : QString());
}

struct EndToEnd : testing::Test
{
    std::shared_ptr<Probe> probe = std::make_shared<Probe>();
    RunWindow w{ProbeComponent::factory(probe)};

    // The numbers the modem took, from its record (JSON lines).
    QStringList received(const QStringList &lines)
    {
        QStringList numbers;
        for (const QString &line : lines)
            numbers << QJsonDocument::fromJson(line.toUtf8()).object().value(QStringLiteral("number")).toString();
        return numbers;
    }
    QStringList simulatorRecord()
    {
        QFile file(w.logs + QStringLiteral("SimulatorMessages.log"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    void simulatorFaults(const QByteArray &ini)
    {
        QFile file(w.logs + QStringLiteral("simulator.ini"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(ini);
    }
    // Sent lines of the message log must be exactly the numbers gone from the list.
    void expectLogAgreesWithList(const QStringList &before)
    {
        QStringList sentLogged, failedLogged;
        for (const QString &line : w.messageLog()) {
            if (line.startsWith(QLatin1String("Message Sent [")))
                sentLogged << line.section(QLatin1Char('['), 1).section(QLatin1Char(']'), 0, 0);
            if (line.startsWith(QLatin1String("Message FAILED [")))
                failedLogged << line.section(QLatin1Char('['), 1).section(QLatin1Char(']'), 0, 0);
        }
        QStringList gone = before;
        for (const QString &left : w.numbers())
            gone.removeOne(left);
        EXPECT_EQ(sentLogged, gone);
        for (const QString &number : failedLogged)
            EXPECT_TRUE(w.numbers().contains(number)) << number.toStdString();
    }
};

TEST_F(EndToEnd, SimulatorRunSendsEveryNumberAndEndsIdle)
{
    w.addNumbers({kA, kB, kC});
    w.setMessage(QStringLiteral("Meeting at 5"));
    w.tc.dialogs.expectQuestion(kStart, true);
    w.tc.dialogs.expectMessage(completeBox(3, 0), Dialogs::Icon::None);
    w.start();
    EXPECT_TRUE(w.numbers().isEmpty());
    EXPECT_EQ(received(simulatorRecord()), (QStringList{kA, kB, kC}));
    EXPECT_EQ(w.panel(1), QStringLiteral("Idle"));
    EXPECT_TRUE(w.window->progressBar()->isHidden());
    EXPECT_EQ(w.label("lblManufacturer"), QStringLiteral("Kestrel Labs"));
    EXPECT_EQ(w.messageLog().last(), QStringLiteral("Sending completed [Sent:3; Failed:0]"));
    EXPECT_TRUE(w.enabled("cmdStartSending"));
}

TEST_F(EndToEnd, StopAnsweredNoGoesOnAndYesLeavesTheRestInTheList)
{
    for (bool abort : {false, true}) {
        w.list().clear();
        w.addNumbers({kA, kB, kC});
        w.setMessage(QStringLiteral("Hi"));
        probe->beforeSend = [&](const QString &number) {
            if (number == kA)
                w.stop();
        };
        w.tc.dialogs.expectQuestion(kStart, true);
        w.tc.dialogs.expectQuestion(kAbort, abort);
        if (!abort)
            w.tc.dialogs.expectMessage(completeBox(3, 0), Dialogs::Icon::None);
        w.start();
        EXPECT_TRUE(w.tc.dialogs.allConsumed());
        EXPECT_EQ(w.numbers(), abort ? (QStringList{kB, kC}) : QStringList()) << abort;
        EXPECT_EQ(w.messageLog().last(), abort ? QStringLiteral("Sending aborted manually")
                                               : QStringLiteral("Sending completed [Sent:3; Failed:0]"));
        EXPECT_TRUE(w.enabled("cmdStartSending"));
    }
}

TEST_F(EndToEnd, ExitDuringARunAsksToAbortThenToExit)
{
    w.addNumbers({kA, kB});
    w.setMessage(QStringLiteral("Hi"));
    probe->beforeSend = [&](const QString &number) {
        if (number == kA)
            w.window->mnuExit_Click();
    };
    w.tc.dialogs.expectQuestion(kStart, true);
    w.tc.dialogs.expectQuestion(kAbort, true);
    w.tc.dialogs.expectQuestion(QStringLiteral("Close and Exit Quillo?"), true);
    w.start();
    EXPECT_EQ(w.terminations, 1);
    EXPECT_EQ(w.numbers(), QStringList{kB});
}

TEST_F(EndToEnd, WapPushRunLogsReportZero)
{
    w.addNumbers({kA, kB});
    w.setMessage(QStringLiteral("New offers"));
    w.window->control<QCheckBox>(QStringLiteral("chkWapPush"))->setChecked(true);
    w.composer().chkWapPush_Click();
    w.window->control<QLineEdit>(QStringLiteral("txtURL"))->setText(QStringLiteral("http://example.com/o"));
    w.tc.dialogs.expectQuestion(kStart, true);
    w.tc.dialogs.expectMessage(completeBox(2, 0), Dialogs::Icon::None);
    w.start();
    EXPECT_EQ(received(simulatorRecord()), (QStringList{kA, kB}));
    EXPECT_EQ(w.messageLog().mid(1, 2), (QStringList{QStringLiteral("Message Sent [") + kA + QStringLiteral("]; 1 SMS"),
                                                     QStringLiteral("Message Sent [") + kB + QStringLiteral("]; 1 SMS")}));
}

TEST_F(EndToEnd, LowSignalAsksOnlyBelow36)
{
    // RSSI 11 reads as 35 on the bar's scale, 12 as 39.
    for (const auto &[rssi, asked] : {std::pair{11, true}, std::pair{12, false}}) {
        simulatorFaults(QStringLiteral("[network]\nRSSI=%1\n").arg(rssi).toUtf8());
        w.list().clear();
        w.addNumbers({kA});
        w.setMessage(QStringLiteral("Hi"));
        w.tc.dialogs.expectQuestion(kStart, true);
        if (asked)
            w.tc.dialogs.expectQuestion(
                QStringLiteral("GSM network signal strength is very low.\r\nDo you want to continue?"), false);
        else
            w.tc.dialogs.expectMessage(completeBox(1, 0), Dialogs::Icon::None);
        w.start();
        EXPECT_EQ(w.window->control<QProgressBar>(QStringLiteral("prbSignal"))->value(), asked ? 35 : 39);
        EXPECT_EQ(w.numbers().size(), asked ? 1 : 0);
    }
}

TEST_F(EndToEnd, RefreshShowsTheCodeForABlankNameAndAnEmptyBarForAnUnknownSignal)
{
    simulatorFaults("[network]\nName=\nCode=23499\nRSSI=99\n");
    w.window->tabs()->setCurrentIndex(2);
    w.click("cmdRefresh");
    EXPECT_EQ(w.label("lblModel"), QStringLiteral("SimModem 900"));
    EXPECT_EQ(w.label("lblIMEI"), QStringLiteral("356938035643809"));
    EXPECT_EQ(w.label("lblNetwork"), QStringLiteral("23499"));
    EXPECT_EQ(w.window->control<QProgressBar>(QStringLiteral("prbSignal"))->value(), 0);
    EXPECT_EQ(w.panel(1), QStringLiteral("Idle"));
    EXPECT_TRUE(w.window->progressBar()->isHidden());
}

// modemsim on a pseudo-terminal with a fault configuration.
struct OverPty : EndToEnd
{
    bool startModem(const QString &ini)
    {
        if (!sim.start(ini))
            return false;
        w.tc.state.Details.Port = sim.port();
        return true;
    }
    ModemSimProcess sim;
};

TEST_F(OverPty, ANumberRefusedByTheNetworkStaysInTheListAndTheRunGoesOn)
{
    ASSERT_TRUE(startModem(QStringLiteral("[faults]\nCmsErrorNumbers=%1\n").arg(kB)));
    w.addNumbers({kA, kB, kC});
    w.setMessage(QStringLiteral("Hi"));
    w.tc.dialogs.expectQuestion(kStart, true);
    w.tc.dialogs.expectMessage(completeBox(2, 1), Dialogs::Icon::None);
    w.start();
    EXPECT_EQ(w.numbers(), QStringList{kB});
    EXPECT_EQ(received(sim.recorded()), (QStringList{kA, kC}));
    EXPECT_EQ(w.messageLog().last(), QStringLiteral("Sending completed [Sent:2; Failed:1]"));
    EXPECT_TRUE(w.messageLog().contains(QStringLiteral("Message FAILED [") + kB + QLatin1Char(']')));
}

TEST_F(OverPty, AHangUpMidRunLeavesExactlyTheUnsentNumbers)
{
    ASSERT_TRUE(startModem(QStringLiteral("[faults]\nHangUpAfterMessages=2\n")));
    const QStringList all{kA, kB, kC, kD, kE};
    w.addNumbers(all);
    w.setMessage(QStringLiteral("Hi"));
    w.tc.dialogs.expectQuestion(kStart, true);
    w.tc.dialogs.expectMessage(completeBox(2, 3), Dialogs::Icon::None);
    w.start();
    EXPECT_EQ(w.numbers(), (QStringList{kC, kD, kE}));
    EXPECT_EQ(received(sim.recorded()), (QStringList{kA, kB}));
    expectLogAgreesWithList(all);
    EXPECT_TRUE(w.enabled("cmdStartSending"));
}

TEST_F(OverPty, ASilentModemFailsEachSendAfterTheTimeLimitAndStopStillWorks)
{
    probe->timeoutMs = 1000;
    // The driver's connect sequence and the readings take the first 14 commands, so the
    // modem falls silent at the sends (a change of that sequence shows here as ERROR 9003).
    ASSERT_TRUE(startModem(QStringLiteral("[faults]\nSilentAfterCommands=14\n")));
    const QStringList all{kA, kB, kC, kD};
    w.addNumbers(all);
    w.setMessage(QStringLiteral("Hi"));
    probe->beforeSend = [&](const QString &number) {
        if (number == kB)
            w.stop();
    };
    w.tc.dialogs.expectQuestion(kStart, true);
    w.tc.dialogs.expectQuestion(kAbort, true);
    w.start();
    EXPECT_EQ(probe->sends, 2) << "the stop is taken at the next number";
    EXPECT_EQ(w.numbers(), all);
    EXPECT_EQ(w.panel(3), QStringLiteral("Errors: 2"));
    EXPECT_EQ(w.panel(1), QStringLiteral("Sending aborted"));
    expectLogAgreesWithList(all);
}

TEST_F(OverPty, ConnectionFailuresShowTheComponentsErrorNumber)
{
    struct Case
    {
        QString ini;
        QString pin;
        qint32 error;
    } cases[] = {
        {QStringLiteral("[sim]\nPIN=1234\n"), QStringLiteral("0000"), 9005},
        {QStringLiteral("[network]\nRegistered=false\n"), QString(), 9007},
        {QString(), QString(), 9001}, // a port that does not exist
    };
    for (const Case &c : cases) {
        ModemSimProcess modem;
        if (c.error != 9001) {
            ASSERT_TRUE(modem.start(c.ini));
            w.tc.state.Details.Port = modem.port();
        } else {
            w.tc.state.Details.Port = QStringLiteral("/dev/quillo-no-such-port");
        }
        w.tc.state.Details.PIN = c.pin;
        w.list().clear();
        w.addNumbers({kA});
        w.setMessage(QStringLiteral("Hi"));
        w.tc.dialogs.expectQuestion(kStart, true);
        w.tc.dialogs.expectMessageStartingWith(QStringLiteral("Error %1").arg(c.error), Dialogs::Icon::Critical);
        w.start();
        EXPECT_EQ(w.panel(1), QStringLiteral("ERROR %1").arg(c.error));
        EXPECT_EQ(w.numbers(), QStringList{kA});
        EXPECT_TRUE(w.messageLog().isEmpty());
        EXPECT_TRUE(w.enabled("cmdStartSending"));
    }
}

} // namespace
