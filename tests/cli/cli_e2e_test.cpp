// quillo-cli as a user runs it: a copy of the program in a temporary folder, which is then
// its data folder (config.ini and logs/), against modemsim on a pseudo-terminal.
#include "modemsimprocess.h"
#include "qstringprinter.h"
#include "xlswriter.h"

#include "sending/runjournal.h"
#include "settings/inihandling.h"
#include "settings/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QString kA = QStringLiteral("9812345601");
const QString kB = QStringLiteral("9812345602");
const QString kC = QStringLiteral("9812345603");

struct CliRun
{
    int status = -1;
    QString out;
    QString err;
};

struct Cli : testing::Test
{
    QTemporaryDir dir;
    ModemSimProcess sim;

    void SetUp() override
    {
        const QString program = path("quillo-cli");
        ASSERT_TRUE(QFile::copy(QStringLiteral(QUILLO_BIN_DIR "/quillo-cli"), program));
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("logs")));
        write("list.txt", (QStringList{kA, kB, kA, QStringLiteral("not a number"), kC}.join(QStringLiteral("\r\n"))).toUtf8());
        // Every message logged, as the window logs at level 2.
        SettingsStore(dir.path() + QLatin1Char('/')).saveLogLevel(SettingsStore::LogLevel::Message, QStringLiteral("2"));
    }
    QString path(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
    void write(const char *name, const QByteArray &bytes) const
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QStringList lines(const char *name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly)
                   ? QString::fromUtf8(file.readAll()).split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts)
                   : QStringList();
    }
    // during runs while the program runs, with its output so far, until it returns true.
    CliRun run(const QString &arguments, const std::function<bool(QProcess &, const QByteArray &)> &during = {})
    {
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(path("quillo-cli"), arguments.split(QLatin1Char('|'), Qt::SkipEmptyParts));
        process.waitForStarted(5000);
        QByteArray out;
        bool done = !during;
        while (process.state() != QProcess::NotRunning) {
            process.waitForReadyRead(100);
            out += process.readAllStandardOutput();
            if (!done)
                done = during(process, out);
        }
        process.waitForFinished(60000);
        out += process.readAllStandardOutput();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, QString::fromUtf8(out),
                QString::fromUtf8(process.readAllStandardError())};
    }
    // The numbers of the messages a modem took; its record also holds the reports it sent.
    static QStringList receivedBy(const ModemSimProcess &modem)
    {
        QStringList numbers;
        for (const QString &line : modem.recorded()) {
            const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
            if (!o.contains(QStringLiteral("report")))
                numbers << o.value(QStringLiteral("number")).toString();
        }
        return numbers;
    }
    QStringList received() const { return receivedBy(sim); }
    // A send of list.txt through modemsim with a report.
    CliRun send(const QString &more = {})
    {
        return run(QStringLiteral("send|list.txt|--message|Hi|--delay|0.1|--report|report.csv|--port|") + sim.port() + more);
    }
    // The numbers of the report with the given outcome.
    QStringList reported(const char *outcome) const
    {
        QStringList numbers;
        for (const QString &line : lines("report.csv").mid(1)) {
            if (line.section(QLatin1Char(','), 1, 1) == QLatin1String(outcome))
                numbers << line.section(QLatin1Char(','), 0, 0);
        }
        return numbers;
    }
    QStringList messageLog(const char *start) const
    {
        QStringList numbers;
        for (const QString &line : lines("logs/message.log")) {
            // After the date and time of each line.
            if (line.contains(QLatin1String(": ") + QLatin1String(start)))
                numbers << line.section(QLatin1Char('['), 1).section(QLatin1Char(']'), 0, 0);
        }
        return numbers;
    }
};

// Nothing in these reaches a modem: each is refused before the run, or runs on SIMULATOR.
TEST_F(Cli, ExitStatusAndMessage)
{
    const struct
    {
        const char *arguments; // split at '|'
        int status;
        const char *says; // on standard error, or on standard output for help
    } cases[] = {
        {"send|--help", 0, "--message-file FILE"},
        {"send|list.txt|--message|Hi|--port|SIMULATOR|--delay|0.1", 0, "Sending complete. [Sent:3; Failed:0]"},
        {"send|list.txt|--message|Hi|--retry|9", 2, "--retry: '9'"},
        {"numbers|absent.txt", 2, "absent.txt: no such file"},
        {"numbers|empty.txt", 2, "Selected text file is empty"},
        {"numbers|garbage.xls", 2, "garbage.xls: cannot be read"},
        {"numbers|list.txt|--table|T", 2, "list.txt: a text file has no worksheet"},
        {"send|list.txt|--message-file|absent.msg", 2, "absent.msg: no such file"},
        {"send|list.txt|--message|   |--port|SIMULATOR", 2, "Please enter text message to be sent!"},
        {"send|list.txt|--message|Hi|--report|no/such/folder/r.csv", 2, "no/such/folder/r.csv: cannot be written"},
        {"send|list.txt|--message|Hi|--port|/dev/null/none|--delay|0.1", 1, ""},
        {"resume|--port|SIMULATOR", 2, "no interrupted run in"},
        {"resume|list.txt", 2, "list.txt, line 1"},
        {"resume|--message|Hi", 2, "resume: unknown option '--message'"},
        {"replies", 0, ""},
        {"replies|--listen|1|--port|/dev/null/none", 1, "quillo-cli: /dev/null/none: "},
    };
    write("empty.txt", "");
    write("garbage.xls", QByteArray(4096, 'x'));
    for (const auto &c : cases) {
        const CliRun result = run(QString::fromUtf8(c.arguments));
        EXPECT_EQ(result.status, c.status) << c.arguments << ": " << result.err.toStdString();
        EXPECT_TRUE((result.err + result.out).contains(QString::fromUtf8(c.says))) << c.arguments << ": " << result.err.toStdString();
    }
}

TEST_F(Cli, NumbersAreWhatTheImportWouldAddWithTheCountrysSpellingsMadeOne)
{
    EXPECT_EQ(run("numbers|list.txt").out, kA + QLatin1Char('\n') + kB + QLatin1Char('\n') + kC + QLatin1Char('\n'));

    const QList<XlsWriter::Sheet> sheets{
        {QStringLiteral("Phones"),
         {{QStringLiteral("Mobile"), QStringLiteral("City")},
          {9812345601.0, QStringLiteral("Pune")},
          {9812345602.0, QStringLiteral("Delhi")},
          {9812345601.0, QStringLiteral("Pune")},
          {QStringLiteral("9812345603"), QStringLiteral("Patna")}}},
        {QStringLiteral("Other"), {{QStringLiteral("Phone")}, {9800000000.0}}},
    };
    ASSERT_TRUE(XlsWriter::writeFile(path("list.xls"), XlsWriter::Format::Biff8, sheets));
    const std::pair<const char *, QStringList> cases[] = {
        {"numbers|list.xls", {kA, kB, kC}},
        {"numbers|list.xls|--where|City|=|Pune", {kA}},
        {"numbers|list.xls|--where|City|begins with|P", {kA, kC}},
        {"numbers|list.xls|--where|City|<>|Pune", {kB, kC}},
        {"numbers|list.xls|--sheet|Other$", {QStringLiteral("9800000000")}},
    };
    for (const auto &[arguments, numbers] : cases) {
        const CliRun result = run(arguments);
        EXPECT_EQ(result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts), numbers) << arguments;
        EXPECT_EQ(result.status, 0) << arguments;
    }

    // The country makes spellings of a number one number.
    write("spellings.txt", "9812345601\r\n09812345601\r\n+91 98123 45601\r\n12345\r\n");
    const QString raw = QStringLiteral("9812345601\n09812345601\n12345\n");
    const QString clean = QStringLiteral("+919812345601\n");
    EXPECT_EQ(run("numbers|spellings.txt").out, raw);
    const CliRun india = run("numbers|spellings.txt|--country|in");
    EXPECT_EQ(india.out, clean);
    EXPECT_TRUE(india.err.contains(QStringLiteral("1 entry is not a valid phone number for India (IN)"))) << india.err.toStdString();
    // The setting is the default; --country none turns it off.
    INIHandling(dir.path(), QStringLiteral("config.ini")).SetKey(QStringLiteral("NUMBERS"), QStringLiteral("Country"), QStringLiteral("IN"));
    EXPECT_EQ(run("numbers|spellings.txt").out, clean);
    EXPECT_EQ(run("numbers|spellings.txt|--country|none").out, raw);
    EXPECT_EQ(run("optout|add|09812345601").out, QStringLiteral("added 09812345601\n"));
    EXPECT_EQ(lines("optout.txt"), QStringList{QStringLiteral("+919812345601")}) << "kept in international form";
}

// The send agrees with the modem, the report and the log on what was sent, failed and skipped.
TEST_F(Cli, TheOptOutListIsEditedHereAndASendSkipsIt)
{
    const struct
    {
        const char *arguments;
        int status;
        const char *out;
        const char *err;
    } steps[] = {
        {"optout|add|98123 45602|+91 98123 45609", 0, "added 98123 45602\nadded +91 98123 45609\n", ""},
        {"optout|add|9812345602", 0, "", "9812345602 is already on the opt-out list"},
        {"optout|add|9812345610|call me", 2, "", "optout add: 'call me' is not a phone number; nothing added"},
        {"optout|list", 0, "98123 45602\n+91 98123 45609\n", ""},
    };
    for (const auto &step : steps) {
        const CliRun result = run(step.arguments);
        EXPECT_EQ(result.status, step.status) << step.arguments << ": " << result.err.toStdString();
        EXPECT_EQ(result.out, QString::fromUtf8(step.out)) << step.arguments;
        EXPECT_TRUE(result.err.contains(QString::fromUtf8(step.err))) << step.arguments << ": " << result.err.toStdString();
    }

    ASSERT_TRUE(sim.start(QStringLiteral("[faults]\nCmsErrorNumbers=%1\n").arg(kC)));
    const CliRun sent = send();
    EXPECT_EQ(sent.status, 1) << sent.err.toStdString();
    EXPECT_EQ(received(), QStringList{kA});
    EXPECT_EQ(reported("sent"), QStringList{kA});
    EXPECT_EQ(reported("failed"), QStringList{kC});
    EXPECT_EQ(reported("skipped"), QStringList{kB});
    EXPECT_TRUE(lines("report.csv").value(3).startsWith(kC + QStringLiteral(",failed,,500,"))) << lines("report.csv").value(3).toStdString();
    EXPECT_EQ(messageLog("Message Sent ["), QStringList{kA});
    EXPECT_EQ(messageLog("Message FAILED ["), QStringList{kC});
    EXPECT_EQ(messageLog("Skipped (opt-out) ["), QStringList{kB});
    EXPECT_TRUE(sent.out.contains(QStringLiteral("3/3 failed ") + kC)) << sent.out.toStdString();
    EXPECT_TRUE(sent.out.contains(QStringLiteral("2/3 skipped ") + kB + QStringLiteral(" (opt-out)"))) << sent.out.toStdString();
    EXPECT_TRUE(sent.err.contains(QStringLiteral("Skipped (opt-out): 1, not sent and taken out of the list.")));

    const CliRun removed = run("optout|remove|919812345609|09812345602");
    EXPECT_EQ(removed.status, 1) << "09812345602 is another number without a country";
    EXPECT_TRUE(removed.err.contains(QStringLiteral("09812345602 is not on the opt-out list")));
    EXPECT_EQ(run("optout|remove|9812345602").out, QStringLiteral("removed 9812345602\n"));
    EXPECT_EQ(run("optout|list").out, QString());
    EXPECT_TRUE(lines("optout.txt").isEmpty());

    write("optout.txt", "9812345601\r\nAsha\r\n");
    const CliRun garbage = run("optout|list");
    EXPECT_EQ(garbage.out, kA + QLatin1Char('\n'));
    EXPECT_TRUE(garbage.err.contains(QStringLiteral("are left out: line 2"))) << garbage.err.toStdString();
}

TEST_F(Cli, RepliesAreLoggedAStopSenderIsOptedOutAndTheModemKeepsNone)
{
    // More than 160 characters: modemsim delivers it as two concatenated parts.
    const QString twoParts = QStringLiteral("Thanks for the offer. Please call me tomorrow after ten, I would like to "
                                            "know more about the prices and the delivery to our shop in Pune before "
                                            "we order for the season.");
    ASSERT_GT(twoParts.size(), 160);
    write("config.ini", "[REPLIES]\r\nStopConfirmation=You will get no more messages.\r\n");
    SettingsStore(dir.path() + QLatin1Char('/')).saveLogLevel(SettingsStore::LogLevel::Message, QStringLiteral("2"));
    ASSERT_TRUE(sim.start(QStringLiteral("[incoming]\nMessage1=0 +919800000001 Stop!\nMessage2=200 +919800000002 ")
                          + twoParts + QLatin1Char('\n')));
    const QString listen = QStringLiteral("replies|--listen|3|--port|") + sim.port();
    const CliRun heard = run(listen);
    EXPECT_EQ(heard.status, 0) << heard.err.toStdString();
    const QStringList printed = heard.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(printed.size(), 2) << heard.out.toStdString();
    EXPECT_EQ(printed[0].split(QLatin1Char('\t')).mid(1, 4), (QStringList{sim.port(), "+919800000002", "", twoParts}));
    EXPECT_EQ(printed[1].split(QLatin1Char('\t')).mid(1, 4), (QStringList{sim.port(), "+919800000001", "STOP", "Stop!"}));
    EXPECT_EQ(lines("optout.txt"), QStringList{QStringLiteral("+919800000001")});

    // A second listen finds nothing left in the modem's memory to log again.
    const CliRun again = run(listen);
    EXPECT_EQ(again.status, 0) << again.err.toStdString();
    EXPECT_EQ(again.out, heard.out);

    write("replied.txt", "+919800000001\r\n+919800000002\r\n");
    const CliRun sent = run(QStringLiteral("send|replied.txt|--message|Hi|--delay|0.1|--port|") + sim.port());
    EXPECT_EQ(sent.status, 0) << sent.err.toStdString();
    QStringList messages; // what the modem sent: number and text
    for (const QString &line : sim.recorded()) {
        const QJsonObject record = QJsonDocument::fromJson(line.toUtf8()).object();
        if (record.contains(QStringLiteral("number")))
            messages << record.value("number").toString() + QLatin1Char(' ') + record.value("text").toString();
    }
    EXPECT_EQ(messages, (QStringList{"+919800000001 You will get no more messages.", "+919800000002 Hi"}))
        << "the confirmation, once, then the run without the stop sender";
}


TEST_F(Cli, APlaceholderBringsTheColumnsAlongForTheDryRunAndTheSend)
{
    write("people.csv", "Number,Name\r\n9812345601,Asha\r\n9812345602,\"Ravi \"\"R\"\"\"\r\n");
    // Nothing measured yet: 3 s a part, and the default Send Delay of 1 s between the two;
    // the port is never opened.
    const CliRun dry = run("send|people.csv|--message|Dear {Name}|--dry-run|--port|/dev/quillo-no-such-port");
    EXPECT_EQ(dry.status, 0) << dry.err.toStdString();
    EXPECT_EQ(dry.out.toStdString(),
              "Recipients: 2\nSMS parts in all: 2\n"
              "Estimated duration: 7s (3.0 s per part, until a run has been measured, and the Send Delay of 1 s "
              "between parts)\n"
              "\nTo 9812345601 (GSM 7-bit, 1 part):\n  Dear Asha\n"
              "\nTo 9812345602 (GSM 7-bit, 1 part):\n  Dear Ravi \"R\"\n");

    ASSERT_TRUE(sim.start());
    const CliRun sent = run(QStringLiteral("send|people.csv|--message|Dear {Name}|--delay|0.1|--report|report.csv|--port|") + sim.port());
    EXPECT_EQ(sent.status, 0) << sent.err.toStdString();
    QStringList texts;
    for (const QString &line : sim.recorded())
        texts << QJsonDocument::fromJson(line.toUtf8()).object().value(QStringLiteral("text")).toString();
    EXPECT_EQ(texts, (QStringList{QStringLiteral("Dear Asha"), QStringLiteral("Dear Ravi \"R\"")}));
    EXPECT_TRUE(lines("report.csv").value(0).endsWith(QStringLiteral(",time,text")));
    EXPECT_TRUE(lines("report.csv").value(2).endsWith(QStringLiteral(",\"Dear Ravi \"\"R\"\"\""))) << lines("report.csv").value(2).toStdString();
    // The start question's summary is shown, its question answered by the command.
    EXPECT_TRUE(sent.err.contains(QStringLiteral("Recipients: 2\nSMS parts in all: 2"))) << sent.err.toStdString();
    // The run was measured for the next estimate.
    EXPECT_EQ(lines("logs/speed.txt").size(), 1);
}

// Two modems and one port without a modem; each number's delivery report, from either
// modem, ends in the report's last column once --wait has let them come.
TEST_F(Cli, SeveralPortsShareTheListAndTheirDeliveryReportsReachTheReport)
{
    ModemSimProcess second;
    ASSERT_TRUE(sim.start(QStringLiteral("[network]\nSubmitDelay=150\n[reports]\nDelay=50\n")));
    ASSERT_TRUE(second.start(QStringLiteral("[network]\nSubmitDelay=150\n[reports]\nDelay=700\nFailedShare=100\n")));
    const CliRun result = send(QStringLiteral("|--port|/dev/quillo-no-such-port|--port|%1|--delivery-reports|--wait|20").arg(second.port()));
    EXPECT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains(QStringLiteral("Modem /dev/quillo-no-such-port: ERROR 9001"))) << result.out.toStdString();
    QStringList together = received();
    EXPECT_FALSE(together.isEmpty());
    const QStringList bySecond = receivedBy(second);
    EXPECT_FALSE(bySecond.isEmpty());
    together += bySecond;
    together.sort();
    EXPECT_EQ(together, (QStringList{kA, kB, kC}));
    QStringList reportedSent = reported("sent");
    reportedSent.sort();
    EXPECT_EQ(reportedSent, together);
    for (const QString &line : lines("report.csv").mid(1)) {
        const bool failing = bySecond.contains(line.section(QLatin1Char(','), 0, 0));
        EXPECT_EQ(line.section(QLatin1Char(','), -1), failing ? QStringLiteral("failed") : QStringLiteral("delivered"))
            << line.toStdString();
    }
    EXPECT_EQ(lines("report.csv").value(0).section(QLatin1Char(','), -1), QStringLiteral("delivery"));
    EXPECT_EQ(result.err.count(QStringLiteral("Delivery report: ")), 3) << result.err.toStdString();
}

TEST_F(Cli, SigintFinishesTheNumberInFlightAndLeavesTheRestUnsent)
{
    QStringList all;
    for (int i = 10; i < 30; ++i)
        all << QStringLiteral("98123456%1").arg(i);
    write("list.txt", all.join(QStringLiteral("\r\n")).toUtf8());
    ASSERT_TRUE(sim.start(QStringLiteral("[network]\nSubmitDelay=150\n")));
    const CliRun result = run(QStringLiteral("send|list.txt|--message|Hi|--delay|0.1|--report|report.csv|--port|") + sim.port(),
                              [](QProcess &process, const QByteArray &out) {
        if (!out.contains("2/20 sent"))
            return false;
        ::kill(pid_t(process.processId()), SIGINT);
        return true;
    });
    EXPECT_EQ(result.status, 3) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(QStringLiteral("Abort sending remaining messages? yes")));
    const QStringList sent = received();
    EXPECT_GE(sent.size(), 2);
    EXPECT_LT(sent.size(), all.size());
    EXPECT_EQ(sent, all.mid(0, sent.size()));
    EXPECT_EQ(reported("sent"), sent);
    EXPECT_EQ(messageLog("Message Sent ["), sent);
    EXPECT_TRUE(lines("logs/message.log").last().endsWith(QStringLiteral(": Sending aborted manually")));
    // The journal is closed as interrupted, and resume then sends exactly the rest.
    const QString journal = dir.filePath(QStringLiteral("logs/")) + QDir(dir.filePath(QStringLiteral("logs")))
                                .entryList({QStringLiteral("run-*.journal")}).value(0);
    EXPECT_EQ(runEndWord(readRunJournal(journal).endKind), QStringLiteral("interrupted"));
    EXPECT_EQ(run(QStringLiteral("resume|") + journal + QStringLiteral("|--delay|0.1|--port|") + sim.port()).status, 0);
    EXPECT_EQ(received(), all);
    // Once continued, the interrupted journal cannot be resumed a second time.
    const CliRun again = run(QStringLiteral("resume|") + journal + QStringLiteral("|--port|") + sim.port());
    EXPECT_EQ(again.status, 2);
    EXPECT_TRUE(again.err.contains(QStringLiteral("already resumed by"))) << again.err.toStdString();
    EXPECT_EQ(received(), all);
}

// The journal's promise: a run killed at any moment (SIGKILL, nothing tidied up) and resumed,
// again and again, sends each number at most once, and misses only numbers that were at the
// modem at a kill (reported as uncertain, and left out of a resume).
TEST_F(Cli, KilledAtRandomMomentsAndResumedEveryNumberGoesAtMostOnce)
{
    QStringList all;
    for (int i = 0; i < 300; ++i)
        all << QString::number(9813000000LL + i);
    write("many.txt", all.join(QStringLiteral("\r\n")).toUtf8());
    ASSERT_TRUE(sim.start(QString()));
    const QString logs = dir.filePath(QStringLiteral("logs"));
    const QString settings = QStringLiteral("|--delay|0.1|--port|") + sim.port();
    const quint32 seed = QRandomGenerator::global()->generate();
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    QRandomGenerator random(seed);

    QSet<QString> uncertain;
    int kills = 0;
    int status = -1;
    for (int attempt = 0; status != 0 && attempt < 100; ++attempt) {
        const bool resume = !unfinishedRunJournals(logs).isEmpty();
        const QString arguments = resume ? QStringLiteral("resume") + settings
                                         : QStringLiteral("send|many.txt|--message|Hi") + settings;
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(path("quillo-cli"), arguments.split(QLatin1Char('|')));
        ASSERT_TRUE(process.waitForStarted(5000));
        // After 50 kills the run is let finish.
        const bool kill = kills < 50;
        if (kill && !process.waitForFinished(int(random.bounded(100, 500)))) {
            process.kill();
            process.waitForFinished(5000);
            ++kills;
            if (const QString open = unfinishedRunJournals(logs).value(0); !open.isEmpty()) {
                const RunJournalState state = readRunJournal(open);
                if (state.uncertainPosition >= 0)
                    uncertain << state.start.numbers.value(state.uncertainPosition);
            }
            continue;
        }
        if (!kill)
            ASSERT_TRUE(process.waitForFinished(120000));
        status = process.exitCode();
        ASSERT_TRUE(status == 0 || kill) << "exit " << status << ": " << process.readAllStandardError().constData();
        ASSERT_FALSE(status == 0 && kills < 50) << "the run ended before 50 kills";
    }
    EXPECT_EQ(status, 0);
    EXPECT_GE(kills, 50);
    QHash<QString, int> times;
    for (const QString &number : received())
        ++times[number];
    for (const QString &number : all) {
        EXPECT_LE(times.value(number), 1) << number.toStdString();
        if (times.value(number) == 0)
            EXPECT_TRUE(uncertain.contains(number)) << number.toStdString() << " never sent";
    }
    EXPECT_TRUE(unfinishedRunJournals(logs).isEmpty());
}

} // namespace
