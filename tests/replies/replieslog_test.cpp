// The replies log read back newest first with any text intact, a torn or foreign line, the
// last run of a number, and what the handler does with stop requests and other replies.
#include "replies/replieslog.h"
#include "replies/replyhandler.h"

#include "common/error.h"
#include "qstringprinter.h"
#include "sending/runjournal.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QDateTime kNoon(QDate(2026, 12, 7), QTime(12, 0), Qt::OffsetFromUTC, 19800);

class RepliesFolder : public testing::Test
{
protected:
    QString logs() const { return dir.path() + u'/'; }
    QString logPath() const { return RepliesLog::pathIn(logs()); }
    void appendBytes(const QByteArray &bytes) const
    {
        QFile file(logPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Append));
        file.write(bytes);
    }
    QString errorOf(const std::function<void()> &call) const
    {
        try {
            call();
        } catch (const QuilloError &error) {
            return error.description();
        }
        return QStringLiteral("<no error>");
    }

    QTemporaryDir dir;
};

TEST_F(RepliesFolder, RepliesComeBackNewestFirstWithAnyTextIntact)
{
    const RepliesLog log(logPath());
    const QList<Reply> written = {
        {kNoon, "/dev/ttyUSB0", "+919800000001", true, "STOP"},
        {kNoon.addSecs(60), "\\\\.\\COM10", "+919800000002", false, "tab\there\r\nline\\n two"},
        {kNoon.addSecs(120), "/dev/ttyUSB1", "VODAFONE", false, QString::fromUtf8("नमस्ते \u0001")},
    };
    for (const Reply &reply : written)
        log.append(reply);
    EXPECT_EQ(log.readNewestFirst(), QList<Reply>({written[2], written[1], written[0]}));
}

TEST_F(RepliesFolder, LinesOtherThanWholeRepliesAreSeen)
{
    struct Case
    {
        const char *name;
        QByteArray bytes;
        int replies;     // when readable
        QString error;   // else the part of the error that names the place
    };
    const Case cases[] = {
        {"MissingFile", "", 0, {}},
        {"TornLastLineLeftOut", "2026-12-07T12:00:00.000+05:30\tstop\tCOM1\t+1\tSTOP\n2026-12-07T12:01", 1, {}},
        {"UnknownWord", "2026-12-07T12:00:00.000+05:30\tsent\tCOM1\t+1\tSTOP\n", 0, "replies.log, line 1"},
        {"FieldMissing", "2026-12-07T12:00:00.000+05:30\treply\tCOM1\tSTOP\n", 0, "replies.log, line 1"},
        {"BadEscapeOnSecondLine",
         "2026-12-07T12:00:00.000+05:30\treply\tCOM1\t+1\thi\n2026-12-07T12:00:00.000+05:30\treply\tCOM1\t+1\t\\q\n", 0,
         "replies.log, line 2"},
    };
    for (const Case &c : cases) {
        QFile::remove(logPath());
        if (!c.bytes.isEmpty())
            appendBytes(c.bytes);
        const RepliesLog log(logPath());
        if (c.error.isEmpty())
            EXPECT_EQ(log.readNewestFirst().size(), c.replies) << c.name;
        else
            EXPECT_TRUE(errorOf([&] { log.readNewestFirst(); }).contains(c.error)) << c.name;
    }
}

TEST_F(RepliesFolder, TheLastRunOfANumberIsTheNewestJournalHoldingAnySpellingOfIt)
{
    const auto journal = [&](const QDateTime &when, const QStringList &numbers) {
        RunJournalStart start;
        start.text = QStringLiteral("Sale today");
        start.numbers = numbers;
        return QFileInfo(RunJournalWriter::create(logs(), start, [when] { return when; }).path()).fileName();
    };
    const QString older = journal(kNoon, {"09800000001", "09800000002"});
    const QString newer = journal(kNoon.addDays(1), {"+91 98000 00001"});
    QFile damaged(logs() + "run-20261209-120000.journal");
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a journal\n");
    damaged.close();

    const LastRuns runs(logs(), NumberNormaliser("IN"));
    EXPECT_EQ(runs.of("+919800000001"), newer);
    EXPECT_EQ(runs.of("+919800000002"), older);
    EXPECT_EQ(runs.of("+919800000003"), QString());
    EXPECT_EQ(runs.of("VODAFONE"), QString());
}

TEST_F(RepliesFolder, StopRequestsGoOnTheOptOutListAndAreConfirmedOnce)
{
    const QString optOut = dir.filePath(OptOutList::fileName());
    ReplyHandler handler(RepliesLog(logPath()), optOut, NumberNormaliser("IN"),
                         {{"ARRET"}, QStringLiteral("You will get no more messages.")}, [] { return kNoon; });
    struct Case
    {
        const char *name;
        QString sender;
        QString text;
        bool stop;
        QString confirmation;
    };
    const Case cases[] = {
        {"StopWithPunctuation", "09800000001", " Stop! ", true, "You will get no more messages."},
        {"SecondStopNotConfirmedAgain", "+919800000001", "STOP", true, {}},
        {"ConfiguredWord", "+919800000002", "arret", true, "You will get no more messages."},
        {"SentenceIsOnlyLogged", "+919800000003", "please don't stop", false, {}},
        {"SenderThatIsNoNumberNotConfirmed", "VODAFONE", "STOP", true, {}},
    };
    for (const Case &c : cases) {
        const auto handled = handler.handle({QDateTime(), c.sender, c.text}, "/dev/ttyUSB0");
        EXPECT_EQ(handled.reply.stop, c.stop) << c.name;
        EXPECT_EQ(handled.confirmation, c.confirmation) << c.name;
        EXPECT_EQ(handled.reply.time, kNoon) << c.name;
    }
    OptOutList list(optOut);
    list.load();
    EXPECT_EQ(list.numbers(), QStringList({"+919800000001", "+919800000002"}));
    const QList<Reply> logged = RepliesLog(logPath()).readNewestFirst();
    ASSERT_EQ(logged.size(), 5);
    EXPECT_EQ(logged.last(), (Reply{kNoon, "/dev/ttyUSB0", "09800000001", true, " Stop! "}));
}

TEST_F(RepliesFolder, AnOptOutListThatCannotBeWrittenFailsTheReplyWithItsName)
{
    const QString optOut = dir.filePath("missing/optout.txt");
    ReplyHandler handler(RepliesLog(logPath()), optOut, {}, {});
    EXPECT_TRUE(errorOf([&] { handler.handle({kNoon, "+919800000001", "STOP"}, "COM1"); }).contains(optOut));
}

} // namespace
