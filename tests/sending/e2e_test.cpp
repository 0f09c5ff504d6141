// Whole runs through the real driver: the in-process simulated modem
// (port SIMULATOR) and modemsim on a pseudo-terminal for the faults.
#include "modemsimprocess.h"
#include "probecomponent.h"
#include "runwindow.h"
#include "recipients/optoutlist.h"
#include "recipients/recipientlist.h"
#include "sending/runjournal.h"
#include "sending/sendingrun.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

const QString kA = QStringLiteral("9812345601");
const QString kB = QStringLiteral("9812345602");
const QString kC = QStringLiteral("9812345603");
const QString kD = QStringLiteral("9812345604");
const QString kE = QStringLiteral("9812345605");

struct EndToEnd : testing::Test
{
    std::shared_ptr<ProbeComponent::Probe> probe = std::make_shared<ProbeComponent::Probe>();
    RunWindow w{ProbeComponent::factory(probe)};
    ModemSimProcess sim;

    EndToEnd() { w.setMessage(QStringLiteral("Hi")); }
    // The numbers the modem took, from its record (JSON lines).
    static QStringList received(const QStringList &lines)
    {
        QStringList numbers;
        for (const QString &line : lines)
            numbers << QJsonDocument::fromJson(line.toUtf8()).object().value(QStringLiteral("number")).toString();
        return numbers;
    }
    QStringList simulatorRecord()
    {
        QFile file(w.logs + QStringLiteral("SimulatorMessages.log"));
        return file.open(QIODevice::ReadOnly)
                   ? QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                   : QStringList();
    }
    // modemsim on a pseudo-terminal with a fault configuration.
    bool startModem(const QString &ini)
    {
        if (!sim.start(ini))
            return false;
        w.tc.state.Details.Port = sim.port();
        return true;
    }
    // Sent lines of the message log must be exactly the numbers gone from the list.
    void expectLogAgreesWithList(const QStringList &before)
    {
        QStringList sentLogged, failedLogged;
        for (const QString &line : w.messageLog()) {
            const QString number = line.section(QLatin1Char('['), 1).section(QLatin1Char(']'), 0, 0);
            if (line.startsWith(QLatin1String("Message Sent [")))
                sentLogged << number;
            if (line.startsWith(QLatin1String("Message FAILED [")))
                failedLogged << number;
        }
        QStringList gone = before;
        for (const QString &left : w.numbers())
            gone.removeOne(left);
        EXPECT_EQ(sentLogged, gone);
        for (const QString &number : failedLogged)
            EXPECT_TRUE(w.numbers().contains(number)) << number.toStdString();
    }
    // The run's journal is closed with the given end and agrees with the list (what is not
    // sent) and with the modem's record (what is sent).
    void expectJournalAgrees(RunEnd end, const QStringList &modemReceived)
    {
        const RunJournalState journal = w.lastJournal();
        ASSERT_FALSE(journal.path.isEmpty());
        EXPECT_TRUE(journal.ended);
        EXPECT_EQ(runEndWord(journal.endKind), runEndWord(end));
        EXPECT_EQ(journal.notSent(false), w.numbers());
        QStringList sent;
        for (int pos = 0; pos < journal.positions.size(); ++pos)
            if (journal.positions[pos].outcome == RunOutcome::Sent)
                sent << journal.start.numbers[pos];
        EXPECT_EQ(sent, modemReceived);
    }
};

TEST_F(EndToEnd, ExitOrCloseDuringARunBecomesAStopFollowedByTheExitQuestion)
{
    // via the close box, answer to the abort question, answer to the exit question
    const std::tuple<bool, bool, bool> cases[] = {{false, true, true}, {true, true, false}, {false, false, false}};
    for (const auto &[viaClose, abort, exitYes] : cases) {
        w.tc.state.ExitRequested = w.tc.state.CloseRequested = false;
        w.terminations = 0;
        w.setNumbers({kA, kB});
        const qsizetype boxesBefore = w.tc.dialogs.shown().size();
        probe->beforeSend = [&](const QString &number) {
            if (number != kA)
                return;
            viaClose ? void(w.window->close()) : w.window->mnuExit_Click();
            EXPECT_EQ(w.tc.dialogs.shown().size(), boxesBefore + 1) << "nothing is asked while sending";
        };
        w.tc.dialogs.expectQuestionStartingWith(kStart, true);
        w.tc.dialogs.expectQuestion(kAbort, abort);
        if (abort)
            w.tc.dialogs.expectQuestion(kExit, exitYes);
        else
            w.tc.dialogs.expectMessage(RunWindow::completeBox(2, 0), Dialogs::Icon::None);
        w.start();
        EXPECT_TRUE(w.tc.dialogs.allConsumed());
        EXPECT_EQ(w.terminations, exitYes ? 1 : 0);
        EXPECT_EQ(w.numbers(), abort ? QStringList{kB} : QStringList());
    }
}

TEST_F(EndToEnd, WapPushRunLogsReportZero)
{
    w.setNumbers({kA, kB});
    w.setWapPush(true, QStringLiteral("http://example.com/o"));
    w.runToCompletion(2, 0);
    EXPECT_EQ(received(simulatorRecord()), (QStringList{kA, kB}));
    EXPECT_EQ(w.messageLog().mid(1, 2), (QStringList{QStringLiteral("Message Sent [") + kA + QStringLiteral("]; 1 SMS"),
                                                     QStringLiteral("Message Sent [") + kB + QStringLiteral("]; 1 SMS")}));
}

TEST_F(EndToEnd, AHangUpMidRunLeavesExactlyTheUnsentNumbers)
{
    ASSERT_TRUE(startModem(QStringLiteral("[faults]\nHangUpAfterMessages=2\n")));
    const QStringList all{kA, kB, kC, kD, kE};
    w.setNumbers(all);
    w.runToCompletion(2, 3);
    EXPECT_EQ(w.numbers(), (QStringList{kC, kD, kE}));
    EXPECT_EQ(received(sim.recorded()), (QStringList{kA, kB}));
    expectLogAgreesWithList(all);
    expectJournalAgrees(RunEnd::Completed, {kA, kB});
    EXPECT_TRUE(w.enabled("cmdStartSending"));
}

TEST_F(EndToEnd, OptedOutNumbersNeverReachTheModemAndLeaveTheList)
{
    // With a country the list's spelling and the opt-out file's compare by international
    // form; the file's garbage is named before the start question.
    const QString optedOut = QStringLiteral("+919812345602");
    QFile file(OptOutList::pathIn(w.tc.context.dataFolder));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# asked to stop\r\n09812345602\r\nAsha\r\n");
    file.close();
    ASSERT_TRUE(startModem(QString()));
    w.tc.state.Details.Country = QStringLiteral("IN");
    w.setNumbers({kA, optedOut, kC});
    w.tc.dialogs.expectMessageStartingWith(QStringLiteral("The opt-out list "), Dialogs::Icon::Exclamation);
    w.runToCompletion(2, 0, 1);
    EXPECT_TRUE(w.tc.dialogs.allConsumed());
    EXPECT_TRUE(w.tc.dialogs.shown().value(0).endsWith(QStringLiteral("left out:\r\nline 3")));
    EXPECT_EQ(received(sim.recorded()), (QStringList{kA, kC}));
    EXPECT_TRUE(w.numbers().isEmpty());
    EXPECT_EQ(w.messageLog(), (QStringList{QStringLiteral("Sending started"),
                                           QStringLiteral("Message Sent [") + kA + QStringLiteral("]; 1 SMS"),
                                           QStringLiteral("Skipped (opt-out) [") + optedOut + QLatin1Char(']'),
                                           QStringLiteral("Message Sent [") + kC + QStringLiteral("]; 1 SMS"),
                                           QStringLiteral("Sending completed [Sent:2; Failed:0]")}));
    expectJournalAgrees(RunEnd::Completed, {kA, kC});
    EXPECT_EQ(w.lastJournal().positions.value(1).outcome, RunOutcome::Skipped);
}

TEST_F(EndToEnd, ASilentModemFailsEachSendAfterTheTimeLimitAndStopStillWorks)
{
    probe->timeoutMs = 1000;
    // The driver's connect sequence and the readings take the first 14 commands, so the
    // modem falls silent at the sends (a change of that sequence shows here as ERROR 9003).
    ASSERT_TRUE(startModem(QStringLiteral("[faults]\nSilentAfterCommands=14\n")));
    const QStringList all{kA, kB, kC, kD};
    w.setNumbers(all);
    probe->beforeSend = [&](const QString &number) {
        if (number == kB)
            w.stop();
    };
    w.tc.dialogs.expectQuestionStartingWith(kStart, true);
    w.tc.dialogs.expectQuestion(kAbort, true);
    w.start();
    EXPECT_EQ(probe->sends, 2) << "the stop is taken at the next number";
    EXPECT_EQ(w.numbers(), all);
    EXPECT_EQ(w.panel(3), QStringLiteral("Errors: 2"));
    EXPECT_EQ(w.panel(1), QStringLiteral("Sending aborted"));
    expectLogAgreesWithList(all);
    expectJournalAgrees(RunEnd::Aborted, {});
}

TEST_F(EndToEnd, ConnectionFailuresShowTheComponentsErrorNumber)
{
    // A wrong PIN, no network, a port that does not exist.
    const std::tuple<QString, QString, qint32> cases[] = {
        {QStringLiteral("[sim]\nPIN=1234\n"), QStringLiteral("0000"), 9005},
        {QStringLiteral("[network]\nRegistered=false\n"), QString(), 9007},
        {QString(), QString(), 9001},
    };
    for (const auto &[ini, pin, error] : cases) {
        ModemSimProcess modem;
        if (!ini.isNull())
            ASSERT_TRUE(modem.start(ini));
        w.tc.state.Details.Port = ini.isNull() ? QStringLiteral("/dev/quillo-no-such-port") : modem.port();
        w.tc.state.Details.PIN = pin;
        w.setNumbers({kA});
        w.tc.dialogs.expectQuestionStartingWith(kStart, true);
        w.tc.dialogs.expectMessageStartingWith(QStringLiteral("Error %1").arg(error), Dialogs::Icon::Critical);
        w.start();
        EXPECT_EQ(w.panel(1), QStringLiteral("ERROR %1").arg(error));
        EXPECT_EQ(w.numbers(), QStringList{kA});
        EXPECT_TRUE(w.messageLog().isEmpty());
        expectJournalAgrees(RunEnd::ConnectionFailure, {});
        EXPECT_TRUE(w.enabled("cmdStartSending"));
    }
}

// A list with columns (as an import leaves it): each person their own text, Łukasz's in UCS2.
TEST_F(EndToEnd, AListWithColumnsSendsEachPersonTheirOwnText)
{
    ASSERT_TRUE(startModem(QString()));
    w.list().appendMany({kA, kB, kC}, {{{"Name", "Asha"}, {"Fee", "1,200"}}, {{"Name", "Łukasz"}, {"Fee", ""}},
                                       {{"Name", "Ravi"}, {"Fee", "99"}}});
    w.setMessage(QStringLiteral("Dear {name}, your fee of {Fee} is due."));

    QStringList previewed;
    w.window->findChild<SendingRun *>()->setPreviewer([&](const RunPlan &plan, bool beforeStart) {
        EXPECT_TRUE(beforeStart);
        for (const PersonalMessage &m : plan.messages)
            previewed << m.text;
        return true;
    });
    w.tc.dialogs.expectMessage(QStringLiteral("Some placeholders of the message have no value:\r\n"
                                              "{Fee}: no value for 1 of 3 recipients: ")
                                   + kB + QStringLiteral("\r\n\r\nSend with these placeholders left empty?"),
                               Dialogs::Icon::Exclamation, Dialogs::Buttons::YesNo, Dialogs::Answer::Yes);
    w.runToCompletion(3, 0);

    const QStringList expected{QStringLiteral("Dear Asha, your fee of 1,200 is due."),
                               QStringLiteral("Dear Łukasz, your fee of  is due."),
                               QStringLiteral("Dear Ravi, your fee of 99 is due.")};
    EXPECT_EQ(previewed, expected);
    QStringList texts;
    for (const QString &line : sim.recorded()) {
        const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
        texts << o.value(QStringLiteral("number")).toString() + u' ' + o.value(QStringLiteral("text")).toString();
    }
    EXPECT_EQ(texts, (QStringList{kA + u' ' + expected[0], kB + u' ' + expected[1], kC + u' ' + expected[2]}));
    expectJournalAgrees(RunEnd::Completed, {kA, kB, kC});
}

} // namespace
