// The offer at start-up to put back what a crash left unsent.
#include "fakesmscomponent.h"
#include "runwindow.h"
#include "sending/messagecomposer.h"
#include "sending/interruptedrun.h"
#include "sending/runjournal.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QStringList kNumbers{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")};

// A run over A, B, C, D that died while C was at the modem: A sent, B failed, D not tried.
QString interruptedJournal(const QString &logs)
{
    RunJournalStart start;
    start.text = QStringLiteral("Fee due\r\ntomorrow");
    start.encoding = 2;
    start.alert = true;
    start.numbers = kNumbers;
    RunJournalWriter journal = RunJournalWriter::create(logs, start);
    journal.handed(0);
    journal.sent(0, QStringLiteral("7"));
    journal.handed(1);
    journal.failed(1, 500, QStringLiteral("Fake error 500"));
    journal.handed(2);
    return journal.path();
}

TEST(RunRestore, OffersOnceAndPutsBackWhatTheOperatorChose)
{
    const QString summary = QStringLiteral("Sent: 1; Failed: 1; Not tried: 1.\r\nThe message to C was being sent when "
                                           "the run stopped: it may or may not have reached that number.");
    struct Case
    {
        const char *name;
        bool restore;
        bool withUncertain;
        QStringList list;
        RunEnd end;
    };
    const Case cases[] = {
        {"dismissed", false, false, {}, RunEnd::Dismissed},
        {"restored without the uncertain number", true, false, {QStringLiteral("B"), QStringLiteral("D")},
         RunEnd::Restored},
        {"restored with it", true, true, {QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")},
         RunEnd::Restored},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RunWindow w{FakeSmsComponent::factory(std::make_shared<FakeSmsComponent::Script>())};
        const QString path = interruptedJournal(w.logs);
        w.tc.dialogs.onMessage = [&](const QString &text) {
            if (text.startsWith(QLatin1String("A sending run")))
                EXPECT_TRUE(text.contains(summary)) << text.toStdString();
        };
        w.tc.dialogs.expectMessage({}, Dialogs::Icon::None, Dialogs::Buttons::YesNo,
                                   c.restore ? Dialogs::Answer::Yes : Dialogs::Answer::No);
        if (c.restore)
            w.tc.dialogs.expectQuestion(
                QStringLiteral("Also put back C, which may already have received the message?"), c.withUncertain);
        w.window->offerInterruptedRuns();
        EXPECT_TRUE(w.tc.dialogs.allConsumed());
        EXPECT_EQ(w.numbers(), c.list);
        if (c.restore) {
            const ComposedMessage shown = w.composer().message();
            EXPECT_EQ(shown.text, QStringLiteral("Fee due\r\ntomorrow"));
            EXPECT_EQ(shown.encoding, 2);
            EXPECT_TRUE(shown.alert);
        }
        const RunJournalState closed = readRunJournal(path);
        EXPECT_TRUE(closed.ended);
        EXPECT_EQ(runEndWord(closed.endKind), runEndWord(c.end));
        // Asked once: the next start finds nothing to offer.
        w.window->offerInterruptedRuns();
        EXPECT_EQ(w.tc.dialogs.shown().size(), c.restore ? 2 : 1);
    }
}

TEST(RunRestore, ACrashWhileTwoModemsWereSendingNamesBothNumbers)
{
    QTemporaryDir logs;
    RunJournalStart start;
    start.numbers = kNumbers;
    RunJournalWriter journal = RunJournalWriter::create(logs.path(), start);
    journal.handed(0, QStringLiteral("COM3"));
    journal.handed(1, QStringLiteral("COM4"));
    journal.sent(1, QStringLiteral("7"), QStringLiteral("COM4"));
    journal.handed(3, QStringLiteral("COM4"));
    EXPECT_TRUE(interruptedRunSummary(readRunJournal(journal.path()))
                    .endsWith(QStringLiteral("Sent: 1; Failed: 0; Not tried: 1.\r\nThe messages to A, D were being sent "
                                             "when their modems stopped: they may or may not have reached those "
                                             "numbers.")));
}

} // namespace
