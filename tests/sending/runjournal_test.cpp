#include "sending/runjournal.h"

#include "common/error.h"
#include "sending/runjournalformat.h"
#include "qstringprinter.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

// 14:03:09.125 at UTC+1, a second later on each call.
JournalClock tickingClock(int startSecond = 9)
{
    return [s = startSecond]() mutable {
        return QDateTime(QDate(2026, 12, 7), QTime(14, 3, 0, 125).addSecs(s++), Qt::OffsetFromUTC, 3600);
    };
}

QStringList words(const char *spaced)
{
    return QString::fromUtf8(spaced).split(u' ', Qt::SkipEmptyParts);
}

RunJournalStart runOf(QStringList numbers)
{
    RunJournalStart start;
    start.text = QStringLiteral("Hello");
    start.numbers = std::move(numbers);
    return start;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// Steps of a run: h handed, s sent, f failed, k skipped, each with its position and any modem
// ("h0", "s2A" for /dev/ttyA); the journal is read back.
RunJournalState play(const char *steps)
{
    QTemporaryDir logs;
    RunJournalWriter writer = RunJournalWriter::create(logs.path(), runOf(words("111 222 111 333")), tickingClock());
    for (const QString &step : words(steps)) {
        const int pos = step.mid(1, 1).toInt();
        const QString modem = step.size() > 2 ? QStringLiteral("/dev/tty") + step.mid(2) : QString();
        if (step.at(0) == u'h')
            writer.handed(pos, modem);
        else if (step.at(0) == u's')
            writer.sent(pos, QStringLiteral("7"), modem);
        else if (step.at(0) == u'k')
            writer.skipped(pos);
        else
            writer.failed(pos, 302, QStringLiteral("Timeout"), modem);
    }
    return readRunJournal(writer.path());
}

QString outcomes(const RunJournalState &state)
{
    QString out;
    for (const RunPosition &p : state.positions)
        out += QStringLiteral("-SFUK").at(int(p.outcome));
    return out;
}

void append(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(bytes);
}

TEST(RunJournalFormat, EscapesEveryAwkwardTextAndReadsItBack)
{
    const struct
    {
        const char *name;
        QString text;
        const char *escaped;
    } cases[] = {
        {"empty", QString(), ""},
        {"CR LF line break", QStringLiteral("a\r\nb"), "a\\r\\nb"},
        {"tab", QStringLiteral("a\tb"), "a\\tb"},
        {"backslashes, one before n", QStringLiteral("C:\\new\\"), "C:\\\\new\\\\"},
        {"equals sign and blanks kept", QStringLiteral(" port = COM3 "), " port = COM3 "},
        {"unicode as plain UTF-8", QStringLiteral("नमस्ते ü €\U0001F600"), "नमस्ते ü €\U0001F600"},
        {"NUL, ESC and DEL", QString(QChar(0)) + QChar(0x1B) + QChar(0x7F), "\\u0000\\u001B\\u007F"},
        {"lone surrogates", QString(QChar(0xD800)) + u'x' + QChar(0xDC00), "\\uD800x\\uDC00"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(journalformat::escapeField(c.text), QString::fromUtf8(c.escaped)) << c.name;
        EXPECT_EQ(journalformat::unescapeField(journalformat::escapeField(c.text)), c.text) << c.name;
    }
    for (const char *bad : {"\\", "a\\x", "\\u12", "\\u12G4", "\\u+123"})
        EXPECT_FALSE(journalformat::unescapeField(QString::fromUtf8(bad))) << bad;
    // A local time keeps its offset, so the hour a clock change repeats stays unambiguous.
    const QString local = journalformat::timeField(QDateTime(QDate(2026, 7, 1), QTime(12, 0, 0, 5)));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^2026-07-01T12:00:00\\.005(Z|[+-]\\d\\d:\\d\\d)$")).match(local).hasMatch())
        << local.toStdString();
}

TEST(RunJournal, WritesAReadableJournalAndReadsItBack)
{
    QTemporaryDir logs;
    RunJournalStart start;
    start.text = QStringLiteral("Line one\r\nTab\there = \\n \U0001F600 ünï");
    start.url = QStringLiteral("http://example.com/?a=1&b=2");
    start.wapPush = true;
    start.encoding = 2;
    start.options = {{QStringLiteral("long-message"), QStringLiteral("1")}, {QStringLiteral("validity"), QString()}};
    start.numbers = {QStringLiteral("+919812345678"), QStringLiteral("9812")};
    // The columns of a number that has them, for a resume.
    start.fields = {{{QStringLiteral("Name"), QStringLiteral("Asha\tRao")}, {QStringLiteral("Fee"), QString()}}, {}};
    start.resumes = QStringLiteral("run-20261207-120000.journal");
    RunJournalWriter writer = RunJournalWriter::create(logs.path(), start, tickingClock());
    EXPECT_EQ(QFileInfo(writer.path()).fileName(), QStringLiteral("run-20261207-140309.journal"));
    writer.handed(0);
    writer.sent(0, QStringLiteral("12,13"));
    writer.handed(1);
    writer.failed(1, 330, QStringLiteral("+CMS ERROR: 330\r\n"));
    writer.end(RunEnd::Error, QStringLiteral("731 Port lost"));

    EXPECT_EQ(contents(writer.path()),
              "2026-12-07T14:03:09.125+01:00\tjournal\t1\n"
              "2026-12-07T14:03:09.125+01:00\tresumes\trun-20261207-120000.journal\n"
              "2026-12-07T14:03:09.125+01:00\ttext\tLine one\\r\\nTab\\there = \\\\n \U0001F600 ünï\n"
              "2026-12-07T14:03:09.125+01:00\turl\thttp://example.com/?a=1&b=2\n"
              "2026-12-07T14:03:09.125+01:00\twap-push\t1\n"
              "2026-12-07T14:03:09.125+01:00\talert\t0\n"
              "2026-12-07T14:03:09.125+01:00\tencoding\t2\n"
              "2026-12-07T14:03:09.125+01:00\toption\tlong-message\t1\n"
              "2026-12-07T14:03:09.125+01:00\toption\tvalidity\t\n"
              "2026-12-07T14:03:09.125+01:00\tnumber\t0\t+919812345678\n"
              "2026-12-07T14:03:09.125+01:00\tfields\t0\tName\tAsha\\tRao\tFee\t\n"
              "2026-12-07T14:03:09.125+01:00\tnumber\t1\t9812\n"
              "2026-12-07T14:03:09.125+01:00\tbegin\t2\n"
              "2026-12-07T14:03:10.125+01:00\thanded\t0\t+919812345678\n"
              "2026-12-07T14:03:11.125+01:00\tsent\t0\t+919812345678\t12,13\n"
              "2026-12-07T14:03:12.125+01:00\thanded\t1\t9812\n"
              "2026-12-07T14:03:13.125+01:00\tfailed\t1\t9812\t330\t+CMS ERROR: 330\\r\\n\n"
              "2026-12-07T14:03:14.125+01:00\tend\terror\t731 Port lost\n");

    const RunJournalState state = readRunJournal(writer.path());
    EXPECT_EQ(state.start, start);
    EXPECT_EQ(state.notSentPositions(false), QList<int>{1});
    EXPECT_EQ(state.positions.at(0).refs, QStringLiteral("12,13"));
    EXPECT_EQ(state.positions.at(1).errorNumber, 330);
    EXPECT_EQ(state.positions.at(1).errorText, QStringLiteral("+CMS ERROR: 330\r\n"));
    EXPECT_TRUE(state.ended);
    EXPECT_EQ(state.endKind, RunEnd::Error);
    EXPECT_EQ(state.endDetail, QStringLiteral("731 Port lost"));
}

TEST(RunJournal, TellsPerPositionWhatHappened)
{
    const struct
    {
        const char *name;
        const char *steps;
        const char *outcomes; // per position: S sent, F failed, U uncertain, K skipped, - not tried
        int uncertain;
        const char *notSent;      // the uncertain one left out
        const char *notSentOrMay; // the uncertain one kept
    } cases[] = {
        {"nothing tried", "", "----", -1, "111 222 111 333", "111 222 111 333"},
        {"killed while the modem had a duplicate", "h0 s0 h1 f1 h2", "SFU-", 2, "222 333", "222 111 333"},
        {"failed before reaching the modem", "f0 h3 s3", "F--S", -1, "111 222 111", "111 222 111"},
        {"a retry after a failure that succeeds", "h1 f1 h1 s1", "-S--", -1, "111 111 333", "111 111 333"},
        {"opted-out numbers are never to send", "k0 h1 s1 k2 h3", "KSKU", 3, "", "333"},
    };
    for (const auto &c : cases) {
        const RunJournalState state = play(c.steps);
        const QString got = outcomes(state);
        EXPECT_EQ(got, QString::fromUtf8(c.outcomes)) << c.name;
        EXPECT_EQ(state.uncertainPosition, c.uncertain) << c.name;
        EXPECT_EQ(state.sent, got.count(u'S')) << c.name;
        EXPECT_EQ(state.failed, got.count(u'F')) << c.name;
        EXPECT_EQ(state.notTried, got.count(u'-')) << c.name;
        EXPECT_EQ(state.skipped, got.count(u'K')) << c.name;
        EXPECT_FALSE(state.ended) << c.name;
        EXPECT_EQ(state.notSent(false), words(c.notSent)) << c.name;
        EXPECT_EQ(state.notSent(true), words(c.notSentOrMay)) << c.name;
    }
}

TEST(RunJournal, ARunWithSeveralModemsNamesTheModemAndMayLeaveOneUncertainPerModem)
{
    const struct
    {
        const char *name;
        const char *steps;
        const char *outcomes; // per position, as above
        QList<int> uncertain;
        const char *notSentOrMay;
    } cases[] = {
        {"a modem lost holding its number while the other goes on", "h0A h1B s1B h2B s2B h3B f3B", "USSF", {0},
         "111 333"},
        {"killed while both modems had one", "h0A h1B s0A h2A", "SUU-", {1, 2}, "222 111 333"},
        {"each modem's outcome in any order", "h0A h1B h2C s2C f0A s1B", "FSS-", {}, "111 333"},
    };
    for (const auto &c : cases) {
        const RunJournalState state = play(c.steps);
        for (const RunPosition &p : state.positions)
            EXPECT_EQ(p.modem.isEmpty(), p.outcome == RunOutcome::NotTried) << c.name;
        EXPECT_EQ(outcomes(state), QString::fromUtf8(c.outcomes)) << c.name;
        EXPECT_EQ(state.uncertainPositions, c.uncertain) << c.name;
        EXPECT_EQ(state.notSent(true), words(c.notSentOrMay)) << c.name;
    }
    QTemporaryDir logs;
    RunJournalWriter writer = RunJournalWriter::create(logs.path(), runOf(words("111 222")), tickingClock());
    writer.handed(0, QStringLiteral("COM3"));
    EXPECT_THROW(writer.handed(1, QStringLiteral("COM3")), QuilloError) << "one number per modem";
    writer.handed(1, QStringLiteral("COM4"));
    writer.sent(1, QStringLiteral("12"), QStringLiteral("COM4"));
    EXPECT_TRUE(contents(writer.path()).endsWith("\thanded\t0\t111\tCOM3\n"
                                                 "2026-12-07T14:03:11.125+01:00\thanded\t1\t222\tCOM4\n"
                                                 "2026-12-07T14:03:12.125+01:00\tsent\t1\t222\t12\tCOM4\n"));

    // Held outcomes: on disk only with the next record, ahead of it; until then uncertain.
    QString path;
    {
        RunJournalWriter held = RunJournalWriter::create(logs.path(), runOf(words("111 222 333")), tickingClock());
        path = held.path();
        held.holdOutcomes(true);
        held.handed({{0, QStringLiteral("k1")}, {1, QStringLiteral("k2")}});
        held.sent(0, QStringLiteral("ok"), QStringLiteral("k1"));
        EXPECT_EQ(readRunJournal(path).uncertainPositions, QList<int>({0, 1}));
        held.handed(2, QStringLiteral("k1"));
        EXPECT_EQ(readRunJournal(path).uncertainPositions, QList<int>({1, 2}));
        held.failed(1, 5, QStringLiteral("Refused"), QStringLiteral("k2"));
    }
    const RunJournalState state = readRunJournal(path);
    EXPECT_EQ(state.uncertainPositions, QList<int>({2})) << "a writer going away writes what it held";
    EXPECT_EQ(state.positions.at(1).outcome, RunOutcome::Failed);
}

const char kTime[] = "2026-12-07T14:03:20.125+01:00\t";

TEST(RunJournal, IgnoresOnlyATornLastLine)
{
    const char *torn[] = {"2026-12-07T14:0", "2026-12-07T14:03:20.125+01:00\tsent\t0\t111\t1", "x\t\\", "\xE0\xA4"};
    for (const char *tail : torn) {
        QTemporaryDir logs;
        RunJournalWriter writer = RunJournalWriter::create(logs.path(), runOf(words("111")), tickingClock());
        writer.handed(0);
        append(writer.path(), tail);
        const RunJournalState state = readRunJournal(writer.path());
        EXPECT_EQ(state.uncertainPosition, 0) << tail;
        EXPECT_EQ(state.sent, 0) << tail;
    }
}

void expectReadError(const QString &path, const std::string &says, const char *name)
{
    try {
        readRunJournal(path);
        ADD_FAILURE() << name << ": read without error";
    } catch (const QuilloError &e) {
        const QString expected = QStringLiteral("The run journal ") + path + QStringLiteral(", ") + QString::fromStdString(says);
        EXPECT_TRUE(e.description().startsWith(expected)) << name << ": " << e.description().toStdString();
    }
}

TEST(RunJournal, NamesTheFileAndLineOfAMalformedRecord)
{
    const struct
    {
        const char *name;
        QByteArray line; // added after "handed 0 111" as line 11
        const char *says;
    } cases[] = {
        {"unknown record", "note\tx", "\"note\" is not a record after \"begin\""},
        {"header record after begin", "text\tHi", "\"text\" is not a record after \"begin\""},
        {"number not the run's", "sent\t0\t112\t1", "number 112 is not the run's number 111 at position 0"},
        {"position past the list", "failed\t2\t111\t1\tx", "\"2\" is not a whole number from 0 to 1"},
        {"missing field", "sent\t0\t111", "\"sent\" takes 3 fields, not 2"},
        {"second number handed", "handed\t1\t111", "position 1 handed while position 0 waits"},
        {"skipped while it waits", "skipped\t0\t111\topt-out", "position 0 skipped while it waits"},
        {"outcome of another position", "sent\t1\t111\t5", "an outcome for position 1 while position 0 waits"},
        {"bad escape", "sent\t0\t111\t\\q", "not a journal record"},
        {"not UTF-8", "sent\t0\t111\t\xFF", "not UTF-8 text"},
        {"unknown end", "end\tfinished\t", "\"finished\" is not a way a run ends"},
    };
    for (const auto &c : cases) {
        QTemporaryDir logs;
        RunJournalWriter writer = RunJournalWriter::create(logs.path(), runOf(words("111 111")), tickingClock());
        writer.handed(0);
        append(writer.path(), kTime + c.line + '\n' + kTime + "end\tcompleted\t\n");
        expectReadError(writer.path(), "line 11: " + std::string(c.says), c.name);
    }
    const struct
    {
        const char *name;
        QByteArray file;
        const char *says;
    } whole[] = {
        {"not a journal", "hello\n", "line 1: not a journal record"},
        {"other version", QByteArray(kTime) + "journal\t2\n", "line 1: not a run journal of version 1"},
        {"empty", "", "line 1: the file holds no complete record"},
        {"numbers without begin", QByteArray(kTime) + "journal\t1\n" + kTime + "number\t0\t1\n", "line 2: the list of numbers stops"},
        {"begin miscounts", QByteArray(kTime) + "journal\t1\n" + kTime + "begin\t1\n", "line 2: \"1\" is not a whole number from 0 to 0"},
        {"record after end", QByteArray(kTime) + "journal\t1\n" + kTime + "end\tdismissed\t\n" + kTime + "begin\t0\n",
         "line 3: a record after the end record"},
        {"fields of an earlier number", QByteArray(kTime) + "journal\t1\n" + kTime + "number\t0\t1\n" + kTime
                                            + "number\t1\t2\n" + kTime + "fields\t0\tName\tA\n",
         "line 4: \"0\" is not a whole number from 1 to 1"},
        {"fields without a value", QByteArray(kTime) + "journal\t1\n" + kTime + "number\t0\t1\n" + kTime
                                       + "fields\t0\tName\n",
         "line 3: \"fields\" takes a position and pairs of name and value"},
    };
    for (const auto &c : whole) {
        QTemporaryDir logs;
        const QString path = logs.filePath(QStringLiteral("run-1.journal"));
        append(path, c.file);
        expectReadError(path, c.says, c.name);
    }
}

TEST(RunJournal, ListsUnfinishedRunsNewestFirstAndClosesThem)
{
    QTemporaryDir logs;
    auto start = [&](int second, QString resumes = {}) {
        // The oldest run's numbers take more than the window read from a journal's tail.
        RunJournalStart s = runOf(QStringList(second == 5 ? 3000 : 1, QStringLiteral("111")));
        s.resumes = std::move(resumes);
        return RunJournalWriter::create(logs.path(), s, tickingClock(second));
    };
    RunJournalWriter oldest = start(5);
    RunJournalWriter finished = start(7);
    finished.end(RunEnd::Completed);
    RunJournalWriter sameSecond1 = start(9);
    RunJournalWriter sameSecond2 = start(9);
    RunJournalWriter sameSecond3 = start(9);
    RunJournalWriter resumed = start(11);
    // The program died after starting the run that continues it, before closing it.
    RunJournalWriter resuming = start(13, QFileInfo(resumed.path()).fileName());
    resuming.handed(0);
    append(resuming.path(), "2026-12-07T14:03:20");
    append(logs.filePath(QStringLiteral("run-20261207-140330.journal")), kTime + QByteArray("journal\t1\n"));

    auto names = [&] {
        QStringList out;
        for (const QString &path : unfinishedRunJournals(logs.path()))
            out += QFileInfo(path).fileName();
        return out;
    };
    EXPECT_EQ(QFileInfo(sameSecond2.path()).fileName(), QStringLiteral("run-20261207-140309-2.journal"));
    EXPECT_EQ(names(), words("run-20261207-140313.journal run-20261207-140309-3.journal run-20261207-140309-2.journal "
                             "run-20261207-140309.journal run-20261207-140305.journal"));

    closeRunJournal(resuming.path(), RunEnd::Restored, QString(), tickingClock(40));
    closeRunJournal(oldest.path(), RunEnd::Resumed, QStringLiteral("run-x.journal"));
    EXPECT_EQ(names(), words("run-20261207-140309-3.journal run-20261207-140309-2.journal run-20261207-140309.journal"));
    const RunJournalState closed = readRunJournal(resuming.path());
    EXPECT_EQ(closed.endKind, RunEnd::Restored);
    EXPECT_EQ(closed.uncertainPosition, 0);
    EXPECT_TRUE(contents(resuming.path()).endsWith("\t111\n2026-12-07T14:03:40.125+01:00\tend\trestored\t\n"));
    EXPECT_THROW(closeRunJournal(oldest.path(), RunEnd::Dismissed), QuilloError) << "closed once only";
}

// A full disk, played by a file-size limit: the record that did not fit is an error naming
// the file, the writer takes nothing more, and the journal still reads back.
TEST(RunJournal, StopsAtTheFirstRecordThatDoesNotFit)
{
    QTemporaryDir logs;
    RunJournalWriter writer = RunJournalWriter::create(logs.path(), runOf(words("111")), tickingClock());
    writer.handed(0);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = rlim_t(QFileInfo(writer.path()).size() + 40);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    try {
        writer.sent(0, QStringLiteral("12,13"));
        ADD_FAILURE() << "wrote past the limit";
    } catch (const QuilloError &e) {
        EXPECT_EQ(e.description(), QStringLiteral("Cannot write the run journal %1: File too large").arg(writer.path()));
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_THROW(writer.failed(0, 1, QString()), QuilloError);
    EXPECT_EQ(readRunJournal(writer.path()).uncertainPosition, 0);
}

TEST(RunJournal, RefusesWhatItCouldNotReadBack)
{
    QTemporaryDir logs;
    const struct
    {
        const char *name;
        std::function<void(RunJournalWriter &)> calls;
        const char *says;
    } cases[] = {
        {"second number at the modem", [](auto &w) { w.handed(0); w.handed(1); },
         "Position 1 handed while position 0 waits for its outcome"},
        {"outcome of another number", [](auto &w) { w.handed(0); w.sent(1, {}); },
         "Position 1 has an outcome while position 0 waits for its outcome"},
        {"position past the list", [](auto &w) { w.failed(2, 1, {}); }, "Position 2 is outside the run's 2 numbers"},
        {"skip of the number at the modem", [](auto &w) { w.handed(0); w.skipped(0); },
         "Position 0 skipped while it waits for its outcome"},
        {"record after the end", [](auto &w) { w.end(RunEnd::Aborted); w.handed(0); }, "has already ended"},
    };
    for (const auto &c : cases) {
        RunJournalWriter writer = RunJournalWriter::create(logs.path(), runOf(words("1 2")));
        try {
            c.calls(writer);
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const QuilloError &e) {
            EXPECT_TRUE(e.description().contains(QString::fromUtf8(c.says))) << c.name << ": " << e.what();
        }
    }
    try {
        RunJournalWriter::create(QStringLiteral("/nonexistent/logs"), runOf({}));
        ADD_FAILURE() << "created";
    } catch (const QuilloError &e) {
        EXPECT_EQ(e.description(), QStringLiteral("The logs folder /nonexistent/logs does not exist"));
    }
}

} // namespace
