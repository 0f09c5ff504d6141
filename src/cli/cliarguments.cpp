#include "cliarguments.h"

#include "common/numeric.h"
#include "recipients/importstatement.h"
#include "recipients/numbernormaliser.h"
#include "sending/pacing.h"
#include "settings/settingsrules.h"

#include <QRegularExpression>
#include <QUrl>
#include <functional>

namespace {

const QString kNumbers = QStringLiteral("numbers");
const QString kSend = QStringLiteral("send");
const QString kResume = QStringLiteral("resume");
const QString kOptOut = QStringLiteral("optout");
const QString kReplies = QStringLiteral("replies");

// The commands an option belongs to.
enum Commands : int { kForNumbers = 1, kForSend = 2, kForResume = 4, kForOptOut = 8, kForReplies = 16,
                      kSource = kForNumbers | kForSend, kSettings = kForSend | kForResume };

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

// The entry of choices equal to text in any case, or one of the short names given with it.
std::optional<QString> choiceFor(const QString &text, const QStringList &choices,
                                 const QList<std::pair<const char *, int>> &shortNames = {})
{
    for (const QString &choice : choices) {
        if (choice.compare(text.trimmed(), Qt::CaseInsensitive) == 0)
            return choice;
    }
    for (const auto &[name, index] : shortNames) {
        if (text.trimmed().compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return choices.value(index);
    }
    return std::nullopt;
}

bool isWholeIn(const QString &text, qint64 min, qint64 max)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok && value >= min && value <= max;
}

struct Option
{
    const char *name;
    int values;
    int commands;
    // Checks and stores the values; returns the refusal, or empty text.
    std::function<QString(CliCommand &, const QStringList &)> take;
};

// 90, 90s, 5m or 2h; a day at most: longer is a service, which a terminal command is not.
QString duration(const QString &option, const QString &value, int &seconds)
{
    static const QRegularExpression kDuration(QStringLiteral("^([0-9]{1,5})([smh]?)$"));
    const auto match = kDuration.match(value.trimmed());
    const int unit = match.captured(2) == u"h" ? 3600 : match.captured(2) == u"m" ? 60 : 1;
    seconds = match.hasMatch() ? match.captured(1).toInt() * unit : 0;
    if (seconds < 1 || seconds > 86400)
        return QStringLiteral("%1: %2 is not a duration from 1s to 24h (such as 90, 90s, 5m or 2h)")
            .arg(option, quoted(value));
    return {};
}

QString store(std::optional<QString> &field, const QString &value)
{
    field = value;
    return {};
}

// --parts-per-hour and its kind: a cap the pacing accepts, kept in field.
Option capOption(const char *name, std::optional<QString> SendOptions::*field)
{
    return {name, 1, kSettings, [name, field](CliCommand &c, const QStringList &v) {
                const QString refusal = capRefusal(QLatin1String(name), v[0]);
                return refusal.isEmpty() ? store(c.send.*field, v[0].trimmed()) : refusal;
            }};
}

const QList<Option> &options()
{
    static const QList<Option> list{
        {"--sheet", 1, kSource, [](CliCommand &c, const QStringList &v) { c.source.table = v[0]; return QString(); }},
        {"--table", 1, kSource, [](CliCommand &c, const QStringList &v) { c.source.table = v[0]; return QString(); }},
        {"--column", 1, kSource, [](CliCommand &c, const QStringList &v) { c.source.column = v[0]; return QString(); }},
        {"--where", 3, kSource,
         [](CliCommand &c, const QStringList &v) {
             const QString condition = conditionForOperator(v[1]);
             if (condition.isEmpty())
                 return QStringLiteral("--where: unknown condition %1 (use =, <>, <, >, <=, >= or one of: %2)")
                     .arg(quoted(v[1]), importConditionEntries().mid(1).join(QStringLiteral(", ")));
             c.source.filterColumn = v[0];
             c.source.condition = condition;
             c.source.filterValue = v[2];
             return QString();
         }},
        {"--message", 1, kForSend, [](CliCommand &c, const QStringList &v) { c.send.message = v[0]; return QString(); }},
        {"--message-file", 1, kForSend,
         [](CliCommand &c, const QStringList &v) { c.send.messageFile = v[0]; return QString(); }},
        {"--port", 1, kSettings | kForReplies,
         [](CliCommand &c, const QStringList &v) {
             if (!c.send.port)
                 return store(c.send.port, v[0]);
             if (c.send.port == v[0] || c.send.morePorts.contains(v[0]))
                 return QStringLiteral("--port: %1 is given twice").arg(quoted(v[0]));
             c.send.morePorts += v[0];
             return QString();
         }},
        {"--baud", 1, kSettings,
         [](CliCommand &c, const QStringList &v) {
             if (!isWholeIn(v[0], 1, 4000000))
                 return QStringLiteral("--baud: %1 is not a baud rate").arg(quoted(v[0]));
             return store(c.send.baud, v[0]);
         }},
        {"--pin", 1, kSettings,
         [](CliCommand &c, const QStringList &v) {
             static const QRegularExpression kPin(QStringLiteral("^[0-9]{4,8}$"));
             if (!kPin.match(v[0]).hasMatch())
                 return QStringLiteral("--pin: %1 is not a PIN (4 to 8 digits)").arg(quoted(v[0]));
             return store(c.send.pin, v[0]);
         }},
        {"--unicode", 0, kForSend, [](CliCommand &c, const QStringList &) { c.send.unicode = true; return QString(); }},
        {"--alert", 0, kForSend, [](CliCommand &c, const QStringList &) { c.send.alert = true; return QString(); }},
        {"--dry-run", 0, kForSend, [](CliCommand &c, const QStringList &) { c.send.dryRun = true; return QString(); }},
        {"--long", 1, kSettings,
         [](CliCommand &c, const QStringList &v) {
             const auto &choices = SettingsRules::longMessageChoices();
             const auto mode = choiceFor(v[0], choices, {{"truncate", 0}, {"split", 1}, {"formatted", 2}});
             if (!mode)
                 return QStringLiteral("--long: %1 is not one of truncate, split, formatted, concatenate")
                     .arg(quoted(v[0]));
             return store(c.send.longMessage, *mode);
         }},
        {"--validity", 1, kSettings,
         [](CliCommand &c, const QStringList &v) {
             const auto &choices = SettingsRules::validityChoices();
             const auto validity = choiceFor(v[0], choices);
             if (!validity)
                 return QStringLiteral("--validity: %1 is not one of: %2")
                     .arg(quoted(v[0]), choices.join(QStringLiteral(", ")));
             return store(c.send.validity, *validity);
         }},
        {"--delay", 1, kSettings,
         [](CliCommand &c, const QStringList &v) {
             // The Settings tab's bounds: a pause the modem needs, and no more than half a minute.
             const std::optional<double> seconds = parseNumericText(v[0]);
             if (!seconds || *seconds < 0.1 || *seconds > 30)
                 return QStringLiteral("--delay: %1 is not a number of seconds from 0.1 to 30").arg(quoted(v[0]));
             return store(c.send.delay, v[0]);
         }},
        {"--pause", 1, kSettings,
         [](CliCommand &c, const QStringList &v) {
             const QString min = v[0].section(QLatin1Char('-'), 0, 0);
             const QString max = v[0].contains(QLatin1Char('-')) ? v[0].section(QLatin1Char('-'), 1) : min;
             const QString refusal = min.trimmed().isEmpty() || max.trimmed().isEmpty()
                                         ? QStringLiteral("--pause: %1 is not seconds or MIN-MAX").arg(quoted(v[0]))
                                         : pauseRefusal(QStringLiteral("--pause"), min).isEmpty()
                                         ? pauseRefusal(QStringLiteral("--pause"), max)
                                         : pauseRefusal(QStringLiteral("--pause"), min);
             if (!refusal.isEmpty())
                 return refusal;
             PacingLimits limits;
             if (!readPacing({min, max}, limits).isEmpty())
                 return QStringLiteral("--pause: %1: the minimum is more than the maximum").arg(quoted(v[0]));
             store(c.send.minPause, min.trimmed());
             return store(c.send.maxPause, max.trimmed());
         }},
        capOption("--parts-per-hour", &SendOptions::partsPerHour),
        capOption("--parts-per-day", &SendOptions::partsPerDay),
        capOption("--recipients-per-day", &SendOptions::recipientsPerDay),
        {"--retry", 1, kSettings,
         [](CliCommand &c, const QStringList &v) {
             if (!isWholeIn(v[0], 0, 3))
                 return QStringLiteral("--retry: %1 is not a whole number from 0 to 3").arg(quoted(v[0]));
             return store(c.send.retry, v[0]);
         }},
        {"--country", 1, kSource | kSettings | kForOptOut | kForReplies,
         [](CliCommand &c, const QStringList &v) {
             if (v[0].trimmed().compare(QLatin1String("none"), Qt::CaseInsensitive) == 0)
                 return store(c.send.country, QString());
             if (!isNumberCountry(v[0]))
                 return QStringLiteral("--country: %1 is not a country code (two letters, such as IN, GB or US; "
                                       "or none)").arg(quoted(v[0]));
             return store(c.send.country, v[0].trimmed().toUpper());
         }},
        {"--listen", 1, kForReplies,
         [](CliCommand &c, const QStringList &v) { return duration(QStringLiteral("--listen"), v[0], c.listenSeconds); }},
        {"--delivery-reports", 0, kSettings,
         [](CliCommand &c, const QStringList &) { c.send.deliveryReports = true; return QString(); }},
        {"--wait", 1, kSettings,
         [](CliCommand &c, const QStringList &v) { return duration(QStringLiteral("--wait"), v[0], c.send.waitSeconds); }},
        {"--include-uncertain", 0, kForResume,
         [](CliCommand &c, const QStringList &) { c.includeUncertain = true; return QString(); }},
        {"--report", 1, kSettings, [](CliCommand &c, const QStringList &v) { c.send.reportPath = v[0]; return QString(); }},
        {"--gateway", 1, kSettings,
         [](CliCommand &c, const QStringList &v) {
             const QUrl url(v[0], QUrl::StrictMode);
             if (v[0] != QLatin1String("stored")
                 && (!url.isValid() || url.host().isEmpty()
                     || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))))
                 return QStringLiteral("--gateway: %1 is neither an http:// address nor 'stored'").arg(quoted(v[0]));
             return store(c.send.gateway, v[0]);
         }},
        {"--user", 1, kSettings, [](CliCommand &c, const QStringList &v) { return store(c.send.gatewayUser, v[0]); }},
        {"--password", 1, kSettings,
         [](CliCommand &c, const QStringList &v) { return store(c.send.gatewayPassword, v[0]); }},
        {"--smsc", 1, kSettings, [](CliCommand &c, const QStringList &v) { return store(c.send.gatewaySmsc, v[0]); }},
        {"--sender", 1, kSettings,
         [](CliCommand &c, const QStringList &v) { return store(c.send.gatewaySender, v[0]); }},
    };
    return list;
}

CliParse failed(const QString &error)
{
    return {{}, error};
}

// optout ACTION [NUMBER...]: add and remove take one number or more, list none.
CliParse parseOptOut(CliCommand &command, const QStringList &positional)
{
    const QString action = positional.value(0);
    if (action != QLatin1String("add") && action != QLatin1String("remove") && action != QLatin1String("list"))
        return failed(action.isEmpty() ? QStringLiteral("optout: give add, remove or list")
                                       : QStringLiteral("optout: unknown action %1 (add, remove or list)").arg(quoted(action)));
    command.optOutAction = action;
    command.optOutNumbers = positional.mid(1);
    if (action == QLatin1String("list") && !command.optOutNumbers.isEmpty())
        return failed(QStringLiteral("optout list: unexpected argument %1").arg(quoted(command.optOutNumbers.first())));
    if (action != QLatin1String("list") && command.optOutNumbers.isEmpty())
        return failed(QStringLiteral("optout %1: NUMBER missing").arg(action));
    return {command, {}};
}

} // namespace

QString conditionForOperator(const QString &op)
{
    static const std::pair<const char *, const char *> kSymbols[] = {
        {"=", "equals"},       {"<>", "does not equal"},
        {">", "is greater than"}, {">=", "is greater than or equal to"},
        {"<", "is less than"}, {"<=", "is less than or equal to"},
    };
    for (const auto &[symbol, condition] : kSymbols) {
        if (op.trimmed() == QLatin1String(symbol))
            return QLatin1String(condition);
    }
    const QStringList entries = importConditionEntries().mid(1);
    return choiceFor(op, entries).value_or(QString());
}

CliParse parseCliArguments(const QStringList &arguments)
{
    CliCommand command;
    const QString name = arguments.value(0);
    if (arguments.isEmpty())
        return failed(QStringLiteral("no command given (the commands are numbers, send, resume, optout and replies)"));
    if (name == QLatin1String("--help") || name == QLatin1String("-h")
        || name == QLatin1String("help")) {
        command.helpTopic = arguments.value(1);
        if (!command.helpTopic.isEmpty() && command.helpTopic != kNumbers && command.helpTopic != kSend
            && command.helpTopic != kResume && command.helpTopic != kOptOut && command.helpTopic != kReplies)
            return failed(QStringLiteral("unknown command %1").arg(quoted(command.helpTopic)));
        return {command, {}};
    }
    if (name != kNumbers && name != kSend && name != kResume && name != kOptOut && name != kReplies)
        return failed(
            QStringLiteral("unknown command %1 (the commands are numbers, send, resume, optout and replies)").arg(quoted(name)));
    const bool send = name == kSend;
    const bool resume = name == kResume;
    const bool optOut = name == kOptOut;
    const bool replies = name == kReplies;
    command.kind = send      ? CliCommand::Kind::Send
                   : resume  ? CliCommand::Kind::Resume
                   : optOut  ? CliCommand::Kind::OptOut
                   : replies ? CliCommand::Kind::Replies
                             : CliCommand::Kind::Numbers;
    const int thisCommand = send      ? kForSend
                            : resume  ? kForResume
                            : optOut  ? kForOptOut
                            : replies ? kForReplies
                                      : kForNumbers;

    QStringList given; // the options, by name
    QStringList positional;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &word = arguments[i];
        if (word == QLatin1String("--help") || word == QLatin1String("-h"))
            return {{CliCommand::Kind::Help, name, {}, {}}, {}};
        if (!word.startsWith(QLatin1Char('-')) || word == QLatin1String("-")) {
            positional << word;
            continue;
        }
        const auto option = std::find_if(options().begin(), options().end(),
                                         [&](const Option &o) { return word == QLatin1String(o.name); });
        if (option == options().end() || !(option->commands & thisCommand))
            return failed(QStringLiteral("%1: unknown option %2").arg(name, quoted(word)));
        if (i + option->values > arguments.size() - 1)
            return failed(option->values == 3 ? QStringLiteral("%1 needs COLUMN OP VALUE").arg(word)
                                              : QStringLiteral("%1 needs a value").arg(word));
        const QStringList values = arguments.mid(i + 1, option->values);
        i += option->values;
        given << word;
        if (const QString refusal = option->take(command, values); !refusal.isEmpty())
            return failed(refusal);
    }
    const bool gatewayOption = std::any_of(given.begin(), given.end(), [](const QString &option) {
        return option == QLatin1String("--user") || option == QLatin1String("--password")
            || option == QLatin1String("--smsc") || option == QLatin1String("--sender");
    });
    if (gatewayOption && !command.send.gateway)
        return failed(QStringLiteral("%1: --user, --password, --smsc and --sender go with --gateway").arg(name));
    if (command.send.gateway && *command.send.gateway != QLatin1String("stored") && !command.send.gatewayUser)
        return failed(QStringLiteral("%1: --gateway URL needs --user (and --password)").arg(name));
    if (optOut)
        return parseOptOut(command, positional);
    if (replies) {
        if (!positional.isEmpty())
            return failed(QStringLiteral("replies: unexpected argument %1").arg(quoted(positional[0])));
        if (command.send.port && command.listenSeconds == 0)
            return failed(QStringLiteral("replies: --port goes with --listen"));
        if (!command.send.morePorts.isEmpty())
            return failed(QStringLiteral("replies: --listen hears one modem; --port given twice"));
        return {command, {}};
    }
    if (resume) {
        if (positional.size() > 1)
            return failed(QStringLiteral("resume: unexpected argument %1").arg(quoted(positional[1])));
        command.journal = positional.value(0);
        return {command, {}};
    }
    if (given.contains(QStringLiteral("--sheet")) && given.contains(QStringLiteral("--table")))
        return failed(QStringLiteral("--sheet and --table cannot both be given"));
    if (positional.isEmpty())
        return failed(QStringLiteral("%1: SOURCE missing (a text file, a workbook or a database)").arg(name));
    if (positional.size() > 1)
        return failed(QStringLiteral("%1: unexpected argument %2").arg(name, quoted(positional[1])));
    command.source.path = positional[0];
    const bool text = given.contains(QStringLiteral("--message"));
    if (send && text == given.contains(QStringLiteral("--message-file")))
        return failed(!text
                          ? QStringLiteral("send: give the message with --message TEXT or --message-file FILE")
                          : QStringLiteral("send: --message and --message-file cannot both be given"));
    return {command, {}};
}

QString cliUsage(const QString &topic)
{
    static const QString kSource = QStringLiteral(
        "SOURCE is a text file (one number per line), a workbook (.xls, .xlsx, .xlsm, .ods, or .csv\n"
        "with the column names in its first line) or an Access database (.mdb, .accdb), told apart\n"
        "by the extension.\n"
        "  --sheet NAME, --table NAME   the worksheet or table (default: the first)\n"
        "  --column NAME                the column of the numbers (default: the first)\n"
        "  --where COLUMN OP VALUE      only rows where COLUMN OP VALUE; OP is =, <>, <, >, <=, >=\n"
        "                               or a condition of the import dialog: equals, does not equal,\n"
        "                               is greater than, ..., begins with, ends with, ... (quoted)\n");
    static const QString kCountry = QStringLiteral(
        "  --country CC                 the country for local numbers, a two-letter code (IN, GB, US):\n"
        "                               numbers become international (+919812345678), one number in\n"
        "                               two spellings is one number, and entries that cannot be\n"
        "                               numbers there are refused and named; none turns it off.\n"
        "                               Default: the setting \"Country for local numbers\"\n");
    if (topic == kNumbers)
        return QStringLiteral("Usage: quillo-cli numbers SOURCE [--sheet NAME | --table NAME] [--column NAME]\n"
                              "                          [--where COLUMN OP VALUE] [--country CC]\n"
                              "Prints, one per line, the numbers that importing SOURCE into an empty list would\n"
                              "add: invalid entries skipped, duplicates dropped. The import's messages go to\n"
                              "standard error.\n\n")
            + kSource + kCountry;
    if (topic == kSend)
        return QStringLiteral(
                   "Usage: quillo-cli send SOURCE [source options] (--message TEXT | --message-file FILE)\n"
                   "                       [--port P] [--baud N] [--pin PIN] [--unicode] [--alert]\n"
                   "                       [--long MODE] [--validity V] [--delay S] [--retry N]\n"
                   "                       [--pause MIN[-MAX]] [--parts-per-hour N] [--parts-per-day N]\n"
                   "                       [--recipients-per-day N]\n"
                   "                       [--report FILE.csv] [--country CC] [--dry-run]\n"
                   "                       [--delivery-reports [--wait DURATION]]\n"
                   "                       [--gateway URL --user U --password P [--smsc ID] [--sender ID]]\n"
                   "Sends the message to every number SOURCE gives, through the modem and with the\n"
                   "settings of config.ini in Quillo's data folder; the options override them for this run.\n"
                   "Numbers on the opt-out list (quillo-cli optout) are skipped: never sent, reported as\n"
                   "skipped. A message with {Column} placeholders brings the other columns of a workbook,\n"
                   ".csv or database along, and each number gets the text with its own values ({{ and }}\n"
                   "are literal braces).\n\n")
            + kSource + kCountry
            + QStringLiteral(
                "  --message TEXT               the message; its line ends are sent as CR LF\n"
                "  --message-file FILE          the message from a message file (ANSI, or Unicode with\n"
                "                               its byte order mark); line ends at its end are dropped\n"
                "  --port P                     the serial device (/dev/ttyUSB0) or SIMULATOR; given again,\n"
                "                               one more modem for the run (with the same port settings),\n"
                "                               instead of the modems of the settings\n"
                "  --baud N                     the port's speed\n"
                "  --pin PIN                    the SIM's PIN\n"
                "  --unicode                    send in Unicode (UCS2) instead of the GSM alphabet\n"
                "  --alert                      an alert (flash) message\n"
                "  --long MODE                  truncate, split, formatted or concatenate\n"
                "  --validity V                 1 Hour, 6 Hour, 12 Hour, 1 Day ... 6 Day, 1 Week ... 3 Week,\n"
                "                               1 Month\n"
                "  --delay S                    seconds between messages, 0.1 to 30\n"
                "  --retry N                    further tries of a failed message, 0 to 3\n"
                "  --pause MIN[-MAX]            pacing: a random pause of MIN to MAX seconds between\n"
                "                               messages (instead of --delay), for every modem of the run\n"
                "  --parts-per-hour N           pacing: at most N SMS parts per SIM in any 60 minutes\n"
                "  --parts-per-day N            pacing: at most N SMS parts per SIM in any 24 hours\n"
                "  --recipients-per-day N       pacing: at most N different numbers per SIM in any 24 hours\n"
                "                               The pacing options apply to every modem of the run, over\n"
                "                               the pacing stored for it (Settings, More Modems). A SIM's\n"
                "                               counts, by its IMSI, are kept in pacing/ in the data folder\n"
                "                               across runs. When every modem is at a cap, the run pauses\n"
                "                               until the first may send again, and says until when.\n"
                "  --report FILE.csv            one line per number: number, outcome, references,\n"
                "                               error number, error text, time (and the text, when\n"
                "                               each number gets its own)\n"
                "  --delivery-reports           ask for a delivery report of each message (as the setting\n"
                "                               Ask for delivery reports); each is recorded in the run's\n"
                "                               journal and the report's last column as it comes\n"
                "  --wait DURATION              after the run, keep the modems (or Kannel's reports) for up\n"
                "                               to that long (90, 90s, 5m, 2h), until every report is in\n"
                "  --dry-run                    print the recipients, SMS parts and estimated duration,\n"
                "                               and each number's text; the modem is not used\n"
                "  --gateway URL                send through a Kannel smsbox instead of the modem: its\n"
                "                               sendsms address (http://host:13013/cgi-bin/sendsms), or\n"
                "                               'stored' for the gateway of config.ini\n"
                "  --user U, --password P       the sendsms-user of Kannel's configuration\n"
                "  --smsc ID                    the SMSC group Kannel is to send through\n"
                "  --sender ID                  the sender Kannel puts on the messages\n\n"
                "Progress goes to standard output, the run's messages to standard error. SIGINT or\n"
                "SIGTERM stops the run after the number in flight; a second one ends it at once.\n"
                "Exit status: 0 all sent, 1 some not sent (failed, or the modem failed), 2 bad input\n"
                "(nothing sent), 3 interrupted.\n");
    if (topic == kResume)
        return QStringLiteral(
            "Usage: quillo-cli resume [JOURNAL] [--include-uncertain] [--port P] [--baud N] [--pin PIN]\n"
            "                         [--long MODE] [--validity V] [--delay S] [--retry N] [--report FILE.csv]\n"
            "                         [--country CC] [--pause MIN[-MAX]] [--parts-per-hour N]\n"
            "                         [--parts-per-day N] [--recipients-per-day N]\n"
            "Continues a run that was interrupted (the program killed, the power cut) from its journal in\n"
            "the logs folder: the newest unfinished one unless JOURNAL names another. Its message goes to\n"
            "the numbers it did not send: those that failed and those not tried. The one number that was\n"
            "at the modem when the run stopped may already have the message; it is sent again only with\n"
            "--include-uncertain. The settings options work as for send.\n"
            "Exit status as for send.\n");
    if (topic == kOptOut)
        return QStringLiteral(
                   "Usage: quillo-cli optout add NUMBER... [--country CC]\n"
                   "       quillo-cli optout remove NUMBER... [--country CC]\n"
                   "       quillo-cli optout list\n"
                   "The opt-out list holds the numbers that never get a message: a run skips them. It is\n"
                   "optout.txt in Quillo's data folder, one number per line, \"#\" starting a comment.\n"
                   "add puts each number on the list (in international form when a country is set),\n"
                   "remove takes every spelling of each number off it, list prints its numbers.\n"
                   "Numbers compare in international form when a country is set, by their digits\n"
                   "otherwise.\n\n")
            + kCountry
            + QStringLiteral("\nExit status: 0 done, 1 a number to remove was not on the list, 2 bad input\n"
                             "(nothing changed).\n");
    if (topic == kReplies)
        return QStringLiteral(
                   "Usage: quillo-cli replies [--listen DURATION [--port P]] [--country CC]\n"
                   "Prints the replies log (logs/replies.log in Quillo's data folder), newest first: the\n"
                   "time, the modem, the sender, STOP for a stop request, the text, and the run the\n"
                   "number last got a message from. A reply that is only a stop word (STOP, UNSUBSCRIBE,\n"
                   "CANCEL, END, QUIT, STOPALL, in any case, with punctuation around it; more words in\n"
                   "config.ini as [REPLIES] StopWords=ARRET,ALTO) puts its sender on the opt-out list.\n\n"
                   "  --listen DURATION            first hear the modem for that long (90, 90s, 5m, 2h):\n"
                   "                               the messages in its memory and those that come, each\n"
                   "                               read, logged and deleted from the modem; a first stop\n"
                   "                               request of a number is answered with [REPLIES]\n"
                   "                               StopConfirmation when it is set\n"
                   "  --port P                     the modem to hear (default: the stored port)\n")
            + kCountry + QStringLiteral("\nExit status: 0 done, 1 the modem or a file failed, 2 bad input.\n");
    return QStringLiteral("Usage: quillo-cli numbers SOURCE [options]   list the numbers of a source\n"
                          "       quillo-cli send SOURCE --message TEXT [options]   send a message to them\n"
                          "       quillo-cli resume [JOURNAL]           continue an interrupted run\n"
                          "       quillo-cli optout add|remove|list [NUMBER...]   the opt-out list\n"
                          "       quillo-cli replies [--listen DURATION]   the replies the modems heard\n"
                          "       quillo-cli COMMAND --help             the options of a command\n");
}
