// Runs over several modems: modemsim instances on pseudo-terminals, each driven by the real
// driver on its own thread, with the window's list, message log and journal checked after.
#include "modemsimprocess.h"
#include "probecomponent.h"
#include "runwindow.h"
#include "sending/runjournal.h"
#include "common/ansitext.h"
#include "recipients/optoutlist.h"
#include "replies/replieslog.h"
#include "settings/settingsstore.h"
#include "sending/simcounts.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QStringList numbersFrom(int count)
{
    QStringList numbers;
    for (int i = 1; i <= count; ++i)
        numbers << QStringLiteral("98123456%1").arg(i, 2, 10, QLatin1Char('0'));
    return numbers;
}

// Each modem's own probe: short time limits, and nothing shared between the modems' threads.
SmsComponentFactory probedKestrel()
{
    ProbeComponent::factory(std::make_shared<ProbeComponent::Probe>()); // installs the simulator port
    return [] {
        auto probe = std::make_shared<ProbeComponent::Probe>();
        probe->timeoutMs = 1000;
        return std::make_unique<ProbeComponent>(createKestrel(), probe);
    };
}

struct Pool : testing::Test
{
    RunWindow w{probedKestrel()};
    std::vector<std::unique_ptr<ModemSimProcess>> sims;

    Pool() { w.setMessage(QStringLiteral("Hi")); }

    // One modemsim per configuration; a null configuration is a port that does not exist.
    void startModems(const QList<QString> &inis)
    {
        w.tc.state.MoreModems.clear();
        for (const QString &ini : inis) {
            QString port = QStringLiteral("/dev/quillo-no-such-port");
            if (!ini.isNull()) {
                sims.push_back(std::make_unique<ModemSimProcess>());
                ASSERT_TRUE(sims.back()->start(ini));
                port = sims.back()->port();
            }
            ModemPort modem = modemPortOf(w.tc.state.Details);
            modem.Port = port;
            if (&ini == &inis.front())
                w.tc.state.Details.Port = port;
            else
                w.tc.state.MoreModems << modem;
        }
    }
    static QStringList received(const ModemSimProcess &sim)
    {
        QStringList numbers;
        for (const QString &line : sim.recorded())
            numbers << QJsonDocument::fromJson(line.toUtf8()).object().value(QStringLiteral("number")).toString();
        return numbers;
    }
    // The journal's sent numbers of one modem, in the order they went.
    static QStringList sentBy(const RunJournalState &run, const QString &modem)
    {
        QStringList numbers;
        for (int pos = 0; pos < run.positions.size(); ++pos)
            if (run.positions[pos].outcome == RunOutcome::Sent && run.positions[pos].modem == modem)
                numbers << run.start.numbers[pos];
        return numbers;
    }
};

TEST_F(Pool, NumbersSpreadOverTheModemsAndEachGoesOnce)
{
    // One modem is the usual run: its journal and log name no modem.
    for (int count : {1, 3}) {
        sims.clear();
        startModems(QList<QString>(count, QStringLiteral("[network]\nSubmitDelay=150\n")));
        const QStringList all = numbersFrom(9);
        w.setNumbers(all);
        w.runToCompletion(9, 0);
        EXPECT_TRUE(w.numbers().isEmpty()) << count;
        const RunJournalState run = w.lastJournal();
        EXPECT_EQ(runEndWord(run.endKind), QStringLiteral("completed"));
        QStringList together;
        for (const auto &sim : sims) {
            const QStringList got = received(*sim);
            EXPECT_FALSE(got.isEmpty()) << count << " every modem takes a share";
            EXPECT_EQ(sentBy(run, count == 1 ? QString() : sim->port()), got) << count;
            together += got;
        }
        together.sort();
        EXPECT_EQ(together, all) << count;
        const bool logNamesModems = w.messageLog().filter(QStringLiteral("; modem /dev/")).size() == 9;
        EXPECT_EQ(logNamesModems, count > 1) << count;
    }
}

TEST_F(Pool, AModemThatFailsIsLeftOutAndTheOthersCarryTheRest)
{
    const struct
    {
        const char *name;
        QString faulty; // the second modem's configuration
        int error;
        int uncertain; // numbers it held when it was lost
    } cases[] = {
        {"no such port", QString(), 9001, 0},
        {"hangs up after its first message", QStringLiteral("[faults]\nHangUpAfterMessages=1\n"), 9008, 1},
        {"falls silent at its first message", QStringLiteral("[faults]\nSilentAfterCommands=14\n"), 9003, 1},
    };
    for (const auto &c : cases) {
        sims.clear();
        startModems({QStringLiteral("[network]\nSubmitDelay=200\n"), c.faulty});
        const QStringList all = numbersFrom(6);
        w.setNumbers(all);
        w.runToCompletion(6 - c.uncertain, c.uncertain);

        const RunJournalState run = w.lastJournal();
        QStringList uncertain;
        for (int pos : run.uncertainPositions)
            uncertain << run.start.numbers[pos];
        EXPECT_EQ(uncertain.size(), c.uncertain) << c.name;
        EXPECT_EQ(w.numbers(), uncertain) << c.name << ": the list keeps exactly what may not have gone";
        EXPECT_TRUE(run.notSent(false).isEmpty()) << c.name;
        QStringList together;
        for (const auto &sim : sims)
            together += received(*sim);
        for (const QString &number : uncertain)
            together += number;
        together.sort();
        EXPECT_EQ(together, all) << c.name << ": every other number went exactly once";
        const QString port = c.faulty.isNull() ? QStringLiteral("/dev/quillo-no-such-port") : sims.back()->port();
        EXPECT_EQ(w.messageLog().filter(QStringLiteral("Modem %1: ERROR %2").arg(port).arg(c.error)).size(), 1)
            << c.name;
    }
}

// A STOP that comes while the modem is connected puts its sender on the opt-out list, gets
// one confirmation once the run is over, and the next run passes over the number.
TEST_F(Pool, AStopReplyOptsTheSenderOutAndTheNextRunSkipsIt)
{
    SettingsStore(w.tc.context.dataFolder).saveReplies({{}, QStringLiteral("You will get no more messages"), true});
    startModems({QStringLiteral("[network]\nSubmitDelay=100\n[incoming]\nMessage1 = 400 9812345602 Stop!\n"
                                "Message2 = 450 9812345603 please don't stop\n")});
    w.setNumbers(numbersFrom(3));
    w.runToCompletion(3, 0);
    const auto optedOut = [&] { return readFileBytes(OptOutList::pathIn(w.tc.context.dataFolder)); };
    const auto sent = [&] { return received(*sims[0]).filter(QStringLiteral("98")); };
    const RepliesLog log(RepliesLog::pathIn(w.logs));
    QElapsedTimer waited;
    for (waited.start(); (sent().size() < 4 || log.readNewestFirst().size() < 2) && waited.elapsed() < 8000;)
        QTest::qWait(50);
    EXPECT_EQ(optedOut(), "9812345602\r\n");
    EXPECT_EQ(sent(), numbersFrom(3) << QStringLiteral("9812345602")) << "one confirmation";
    const QList<Reply> replies = log.readNewestFirst();
    ASSERT_EQ(replies.size(), 2);
    EXPECT_FALSE(replies[0].stop);
    EXPECT_TRUE(replies[1].stop);

    w.setNumbers(numbersFrom(3));
    w.runToCompletion(2, 0, 1);
    EXPECT_EQ(w.lastJournal().positions[1].outcome, RunOutcome::Skipped);
}

TEST_F(Pool, NoModemConnectingEndsAsAConnectionFailure)
{
    startModems({QString(), QString()});
    w.setNumbers(numbersFrom(2));
    w.tc.dialogs.expectQuestionStartingWith(kStart, true);
    w.tc.dialogs.expectMessageStartingWith(QStringLiteral("Error 9001"), Dialogs::Icon::Critical);
    w.start();
    EXPECT_TRUE(w.tc.dialogs.allConsumed());
    EXPECT_EQ(w.panel(1), QStringLiteral("ERROR 9001"));
    EXPECT_EQ(w.numbers(), numbersFrom(2));
    EXPECT_EQ(runEndWord(w.lastJournal().endKind), QStringLiteral("connection-failure"));
    EXPECT_TRUE(w.enabled("cmdStartSending"));
}

TEST_F(Pool, AStopIsAskedOnceTheModemsHaveFinishedTheirNumbers)
{
    startModems({QStringLiteral("[network]\nSubmitDelay=200\n"), QStringLiteral("[network]\nSubmitDelay=200\n")});
    const QStringList all = numbersFrom(6);
    w.setNumbers(all);
    w.tc.dialogs.expectQuestionStartingWith(kStart, true);
    w.tc.dialogs.expectQuestion(kAbort, true);
    QTimer::singleShot(300, [this] { w.stop(); });
    w.start();
    EXPECT_TRUE(w.tc.dialogs.allConsumed());
    const RunJournalState run = w.lastJournal();
    EXPECT_TRUE(run.uncertainPositions.isEmpty());
    EXPECT_EQ(run.notSent(false), w.numbers());
    EXPECT_EQ(received(*sims[0]).size() + received(*sims[1]).size(), all.size() - w.numbers().size());
    EXPECT_GE(w.numbers().size(), 2);
}

TEST_F(Pool, CappedModemsPauseWithTheReasonShownAndAModemUnderItsCapTakesOver)
{
    const struct
    {
        const char *name;
        QStringList hourCaps; // one per modem, empty: none
        int numbers;
        bool stopWhilePaused;
        QList<int> beforePause; // each modem's messages when the run paused; empty: it never did
        const char *reason;
    } cases[] = {
        {"two modems at 5 parts an hour, stopped", {"5", "5"}, 12, true, {5, 5},
         "Paused: every modem has reached its cap of 5 SMS parts per hour; resuming at "},
        {"one modem alone is paced", {"3"}, 4, false, {3},
         "Paused: the modem has reached its cap of 3 SMS parts per hour; resuming at "},
        {"the modem without a cap takes over", {"2", ""}, 6, false, {}, ""},
    };
    int sim = 0;
    for (const auto &c : cases) {
        sims.clear();
        QList<QString> inis;
        QStringList imsis; // a SIM of its own for each modem of each case
        for (qsizetype i = 0; i < c.hourCaps.size(); ++i) {
            imsis << QStringLiteral("23415000000%1").arg(++sim, 4, 10, QLatin1Char('0'));
            inis << QStringLiteral("[network]\nSubmitDelay=50\n[modem]\nIMSI=%1\n").arg(imsis.last());
        }
        startModems(inis);
        w.tc.state.Details.Pacing.PartsPerHour = c.hourCaps.value(0);
        for (qsizetype i = 1; i < c.hourCaps.size(); ++i)
            w.tc.state.MoreModems[i - 1].Pacing.PartsPerHour = c.hourCaps[i];
        w.setNumbers(numbersFrom(c.numbers));

        const qsizetype logged = w.messageLog().size();
        QString paused;
        QList<int> beforePause;
        w.tc.clock.onSleep = [&] {
            if (!paused.isEmpty() || !w.panel(1).startsWith(QLatin1String("Paused")))
                return;
            paused = w.panel(1);
            for (const auto &modem : sims)
                beforePause << int(received(*modem).size());
            if (c.stopWhilePaused)
                w.stop();
        };
        const int left = c.stopWhilePaused ? c.numbers - 10 : 0;
        if (c.stopWhilePaused) {
            w.tc.dialogs.expectQuestionStartingWith(kStart, true);
            w.tc.dialogs.expectQuestion(kAbort, true);
            w.start();
            EXPECT_TRUE(w.tc.dialogs.allConsumed()) << c.name;
        } else {
            w.runToCompletion(c.numbers, 0);
        }
        w.tc.clock.onSleep = nullptr;
        EXPECT_EQ(w.numbers().size(), left) << c.name;
        EXPECT_TRUE(*c.reason == 0 ? paused.isEmpty() : paused.startsWith(QString::fromUtf8(c.reason)))
            << c.name << ": " << paused.toStdString();
        EXPECT_EQ(beforePause, c.beforePause) << c.name;
        if (*c.reason != 0)
            EXPECT_EQ(w.messageLog().mid(logged).filter(paused).size(), 1) << c.name;
        if (c.beforePause.isEmpty())
            EXPECT_EQ(received(*sims[0]).size(), c.hourCaps[0].toInt()) << c.name << ": the capped modem stops";

        // Each capped SIM's counts hold what it sent, for the next run.
        for (qsizetype i = 0; i < c.hourCaps.size(); ++i) {
            if (c.hourCaps[i].isEmpty())
                continue;
            SimCounts counts(SimCounts::pathFor(w.tc.context.dataFolder, imsis[i]));
            counts.load(w.tc.clock.now);
            EXPECT_EQ(counts.records().size(), received(*sims[size_t(i)]).size()) << c.name;
        }
    }
}

} // namespace
