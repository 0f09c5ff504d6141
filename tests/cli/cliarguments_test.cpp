// The command line read into values, the report's CSV lines, the message and settings a run
// takes from the options, and the progress line.
#include "cli/cliarguments.h"
#include "cli/clicommands.h"
#include "cli/runreport.h"
#include "cli/terminalrunview.h"

#include "common/error.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList words(const char *line)
{
    return QString::fromUtf8(line).split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

TEST(CliArguments, RefusalsNameTheOptionAtFault)
{
    // The arguments split at '|', and the part of the error that names the fault.
    const std::pair<const char *, const char *> cases[] = {
        {"", "no command given"},
        {"sned|a.txt", "unknown command 'sned'"},
        {"numbers|a.txt|--colum|M", "numbers: unknown option '--colum'"},
        {"numbers|a.txt|--port|X", "numbers: unknown option '--port'"},
        {"send|a.txt|--message|hi|--port", "--port needs a value"},
        {"send|a.txt|--message|hi|--port|COM3|--port|COM4|--port|COM3", "--port: 'COM3' is given twice"},
        {"numbers|a.xls|--where|City|=", "--where needs COLUMN OP VALUE"},
        {"numbers|a.xls|--where|City|like|P", "--where: unknown condition 'like'"},
        {"numbers|a.xls|--sheet|S|--table|T", "--sheet and --table cannot both be given"},
        {"numbers|--column|M", "numbers: SOURCE missing"},
        {"numbers|a.txt|b.txt", "unexpected argument 'b.txt'"},
        {"send|a.txt", "give the message with --message TEXT or --message-file FILE"},
        {"send|a.txt|--message|hi|--message-file|m.txt", "cannot both be given"},
        {"send|a.txt|--message|hi|--baud|96k", "--baud: '96k' is not a baud rate"},
        {"send|a.txt|--message|hi|--pin|12a4", "--pin: '12a4' is not a PIN"},
        {"send|a.txt|--message|hi|--pin|123", "--pin: '123' is not a PIN"},
        {"send|a.txt|--message|hi|--retry|4", "--retry: '4' is not a whole number from 0 to 3"},
        {"send|a.txt|--message|hi|--delay|0.05", "--delay: '0.05'"},
        {"send|a.txt|--message|hi|--long|wrap", "--long: 'wrap'"},
        {"send|a.txt|--message|hi|--validity|2 Month", "--validity: '2 Month'"},
        {"numbers|a.txt|--country|XX", "--country: 'XX' is not a country code"},
        {"optout", "optout: give add, remove or list"},
        {"optout|delete|9812345601", "optout: unknown action 'delete'"},
        {"optout|add|--country|IN", "optout add: NUMBER missing"},
        {"optout|list|9812345601", "optout list: unexpected argument '9812345601'"},
        {"optout|add|9812345601|--port|X", "optout: unknown option '--port'"},
        {"send|a.txt|--message|hi|--gateway|kannel:13013", "--gateway: 'kannel:13013' is neither"},
        {"send|a.txt|--message|hi|--gateway|http://k:13013/cgi-bin/sendsms", "--gateway URL needs --user"},
        {"send|a.txt|--message|hi|--user|u", "--user, --password, --smsc and --sender go with --gateway"},
        {"send|a.txt|--message|hi|--pause|20-5", "--pause: '20-5': the minimum is more than the maximum"},
        {"send|a.txt|--message|hi|--pause|2-soon", "--pause: 'soon' is not a number of seconds"},
        {"send|a.txt|--message|hi|--pause|5-", "--pause: '5-' is not seconds or MIN-MAX"},
        {"send|a.txt|--message|hi|--parts-per-hour|-3", "--parts-per-hour: '-3' is not a whole number"},
        {"resume|--parts-per-day|0", "--parts-per-day: '0' is not a whole number from 1"},
        {"replies|--listen|5x", "--listen: '5x' is not a duration"},
        {"replies|--listen|0s", "--listen: '0s' is not a duration"},
        {"replies|--listen|25h", "--listen: '25h' is not a duration"},
        {"replies|--port|COM3", "replies: --port goes with --listen"},
        {"replies|--listen|5|--port|COM3|--port|COM4", "--listen hears one modem"},
        {"replies|--listen|5|--delay|1", "replies: unknown option '--delay'"},
    };
    for (const auto &[arguments, error] : cases)
        EXPECT_TRUE(parseCliArguments(words(arguments)).error.contains(QString::fromUtf8(error))) << arguments;
}

TEST(CliArguments, OptionsBecomeTheDialogsTextsAndTheSettingsChoices)
{
    const CliParse parse = parseCliArguments(
        words("send|list.xls|--sheet|Phones$|--column|Mobile|--where|City|>=|P|--message|hi|--long|SPLIT|"
              "--validity|1 week|--delay|0.5|--retry|2|--port|SIMULATOR|--unicode|--report|r.csv"));
    ASSERT_TRUE(parse.error.isEmpty()) << parse.error.toStdString();
    const CliCommand &c = parse.command;
    EXPECT_EQ(c.kind, CliCommand::Kind::Send);
    EXPECT_EQ(c.source.path, QStringLiteral("list.xls"));
    EXPECT_EQ(c.source.table, QStringLiteral("Phones$"));
    EXPECT_EQ(c.source.condition, QStringLiteral("is greater than or equal to"));
    EXPECT_EQ(c.send.longMessage, QStringLiteral("Split (Normal)"));
    EXPECT_EQ(c.send.validity, QStringLiteral("1 Week"));
    EXPECT_TRUE(c.send.unicode);
    EXPECT_FALSE(c.send.alert);
    EXPECT_EQ(c.send.reportPath, QStringLiteral("r.csv"));

    // The options not given leave the stored settings; the load defaults fill the empty ones.
    ComDetails stored;
    stored.BaudRate = QStringLiteral("9600");
    const ComDetails run = runSettings(stored, c.send);
    EXPECT_EQ(run.Port, QStringLiteral("SIMULATOR"));
    EXPECT_EQ(run.BaudRate, QStringLiteral("9600"));
    EXPECT_EQ(run.SendRetry, QStringLiteral("2"));
    EXPECT_EQ(run.StopBits, QStringLiteral("1"));
    EXPECT_EQ(run.Country, QString()) << "no --country keeps the stored one";

    for (const auto &[given, seconds] : {std::pair{"replies", 0}, std::pair{"replies|--listen|90", 90},
                                         std::pair{"replies|--listen|5m", 300}, std::pair{"replies|--listen|2h", 7200}}) {
        const CliParse replies = parseCliArguments(words(given));
        ASSERT_TRUE(replies.error.isEmpty()) << replies.error.toStdString();
        EXPECT_EQ(replies.command.kind, CliCommand::Kind::Replies) << given;
        EXPECT_EQ(replies.command.listenSeconds, seconds) << given;
    }
}

TEST(CliArguments, FurtherPortsReplaceTheStoredModemsWithTheRunsPortSettingsAndPacingAppliesToAll)
{
    const QList<ModemPort> stored{{QStringLiteral("COM7"), {}, {}, {}, {}, {}, {{}, {}, QStringLiteral("9")}}};
    const struct
    {
        const char *arguments;
        QStringList ports;
        const char *baud;
        ModemPacing pacing; // of every modem, the first included
    } cases[] = {
        {"send|a.txt|--message|hi", {QStringLiteral("COM7")}, "19200", {{}, {}, QStringLiteral("9")}},
        {"send|a.txt|--message|hi|--port|COM3", {}, "", {}},
        {"send|a.txt|--message|hi|--port|COM3|--baud|9600|--port|COM4|--port|COM5|--pause|2-7.5|--parts-per-day|400",
         {QStringLiteral("COM4"), QStringLiteral("COM5")}, "9600",
         {QStringLiteral("2"), QStringLiteral("7.5"), {}, QStringLiteral("400")}},
        {"send|a.txt|--message|hi|--pause|3|--recipients-per-day|50", {QStringLiteral("COM7")}, "19200",
         {QStringLiteral("3"), QStringLiteral("3"), QStringLiteral("9"), {}, QStringLiteral("50")}},
    };
    for (const auto &c : cases) {
        const CliParse parse = parseCliArguments(words(c.arguments));
        ASSERT_TRUE(parse.error.isEmpty()) << parse.error.toStdString();
        const ComDetails details = runSettings({}, parse.command.send);
        const QList<ModemPort> modems = runMoreModems(stored, details, parse.command.send);
        QStringList ports;
        for (const ModemPort &modem : modems) {
            ports << modem.Port;
            EXPECT_EQ(modem.BaudRate, QString::fromUtf8(c.baud)) << c.arguments;
            EXPECT_EQ(modem.Pacing, c.pacing) << c.arguments;
        }
        EXPECT_EQ(details.Pacing.MinPause, c.pacing.MinPause) << c.arguments << ": the first modem";
        EXPECT_EQ(details.Pacing.MaxPause, c.pacing.MaxPause) << c.arguments << ": the first modem";
        EXPECT_EQ(ports, c.ports) << c.arguments;
    }
}

TEST(CliArguments, HelpOfEachCommand)
{
    for (const char *line : {"--help", "numbers|--help", "send|a.txt|-h", "optout|--help", "replies|--help"}) {
        const CliParse parse = parseCliArguments(words(line));
        EXPECT_EQ(parse.command.kind, CliCommand::Kind::Help) << line;
        EXPECT_TRUE(cliUsage(parse.command.helpTopic).startsWith(QStringLiteral("Usage: "))) << line;
    }
    EXPECT_NE(cliUsage(QStringLiteral("send")), cliUsage(QStringLiteral("numbers")));
}

TEST(RunReport, FieldsWithCommasQuotesOrLineEndsAreQuoted)
{
    const QDateTime when(QDate(2026, 3, 1), QTime(9, 5, 7));
    EXPECT_EQ(reportLine({QStringLiteral("9812345601"), true, QStringLiteral("17,18"), 0, {}, when}),
              QByteArray("9812345601,sent,\"17,18\",,,2026-03-01T09:05:07\r\n"));
    EXPECT_EQ(reportLine({QStringLiteral("9812345602"), false, {}, 500, QStringLiteral("Unknown \"error\""), when}),
              QByteArray("9812345602,failed,,500,\"Unknown \"\"error\"\"\",2026-03-01T09:05:07\r\n"));
    NumberOutcome skipped{QStringLiteral("9812345603"), false, {}, 0, {}, when};
    skipped.skipped = true;
    EXPECT_EQ(reportLine(skipped), QByteArray("9812345603,skipped,,,,2026-03-01T09:05:07\r\n"));
}

TEST(CommandMessage, LineEndsBecomeCrLfAndTheFilesLastOneIsDropped)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("m.txt"));
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("Sale today\nonly\n\n");
    out.close();
    SendOptions options;
    options.messageFile = file;
    EXPECT_EQ(commandMessage(options), QStringLiteral("Sale today\r\nonly"));
    options = {};
    options.message = QStringLiteral("a\nb\r\nc\n");
    EXPECT_EQ(commandMessage(options), QStringLiteral("a\r\nb\r\nc\r\n"));
    options.messageFile = dir.filePath(QStringLiteral("none.txt"));
    try {
        commandMessage(options);
        ADD_FAILURE() << "a missing message file was taken";
    } catch (const QuilloError &error) {
        EXPECT_EQ(error.description(), options.messageFile + QStringLiteral(": no such file"));
    }
}

TEST(TerminalRunView, TheProgressLineShowsBarCountsAndTimeLeftWithinTheWidth)
{
    TerminalRunView view(stdout, false);
    view.progressStart(4);
    view.status(1, QStringLiteral("Sending (9812345602)"));
    view.status(3, QStringLiteral("Errors: 1"));
    view.status(4, QStringLiteral("Time left: 3s"));
    view.progressStep();
    EXPECT_EQ(view.progressLine(200),
              QStringLiteral("[#####...............]  25% 1/4  Errors: 1  Time left: 3s  Sending (9812345602)"));
    EXPECT_EQ(view.progressLine(40).size(), 39);

    // A run paused by its caps writes its line above the bar, which goes on being drawn.
    std::FILE *out = std::tmpfile();
    TerminalRunView terminal(out, true);
    terminal.progressStart(4);
    terminal.status(1, QStringLiteral("Paused: the modem has reached its cap of 5 SMS parts per hour; resuming at 14:05"));
    terminal.progressStep();
    std::rewind(out);
    char bytes[1024] = {};
    const QString written = QString::fromUtf8(bytes, qsizetype(std::fread(bytes, 1, sizeof bytes - 1, out)));
    std::fclose(out);
    EXPECT_TRUE(written.contains(QStringLiteral("resuming at 14:05\n"))) << written.toStdString();
    EXPECT_TRUE(written.mid(written.lastIndexOf(QStringLiteral("\r\033[K"))).contains(QStringLiteral("25% 1/4")))
        << written.toStdString();
}

} // namespace
