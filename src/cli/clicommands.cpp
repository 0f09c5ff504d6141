#include "clicommands.h"

#include "clisource.h"
#include "stopsignal.h"
#include "terminaldialogs.h"
#include "terminalrunview.h"

#include "common/datafolder.h"
#include "common/error.h"
#include "common/errornumbers.h"
#include "recipients/importlist.h"
#include "recipients/recipientlist.h"
#include "common/text.h"
#include "sending/mergefields.h"
#include "sending/messagefile.h"
#include "sending/runspeed.h"
#include "sending/runsummary.h"
#include "sending/sendingrunvalues.h"
#include "sending/interruptedrun.h"
#include "sending/runengine.h"
#include "sending/runjournal.h"
#include "settings/settingsrules.h"
#include "settings/settingsstore.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <QScopeGuard>
#include <QSet>

namespace {

void complain(const QString &text)
{
    std::fprintf(stderr, "quillo-cli: %s\n", text.toUtf8().constData());
}

// The list filled from the source, or the refusal; an empty list is a refusal too.
QString loadList(const SourceOptions &source, const NumberNormaliser &normaliser, Dialogs &dialogs,
                 RecipientList &list)
{
    RecipientListImport import(list, normaliser);
    if (const QString refusal = importSource(source, dialogs, import); !refusal.isEmpty())
        return refusal;
    if (list.count() == 0)
        return QStringLiteral("%1: no numbers to take").arg(source.path);
    return {};
}

} // namespace

int runNumbers(const SourceOptions &source, const NumberNormaliser &normaliser, Dialogs &dialogs, std::FILE *out)
{
    RecipientList list;
    if (const QString refusal = loadList(source, normaliser, dialogs, list); !refusal.isEmpty()) {
        complain(refusal);
        return kBadInput;
    }
    for (const QString &number : list.entries())
        std::fprintf(out, "%s\n", number.toUtf8().constData());
    return kAllSent;
}

namespace {

void applyPacingOptions(ModemPacing &pacing, const SendOptions &options)
{
    const std::pair<const std::optional<QString> &, QString &> overrides[] = {
        {options.minPause, pacing.MinPause},
        {options.maxPause, pacing.MaxPause},
        {options.partsPerHour, pacing.PartsPerHour},
        {options.partsPerDay, pacing.PartsPerDay},
        {options.recipientsPerDay, pacing.RecipientsPerDay},
    };
    for (const auto &[option, setting] : overrides) {
        if (option)
            setting = *option;
    }
}

} // namespace

ComDetails runSettings(const ComDetails &stored, const SendOptions &options)
{
    ComDetails details = stored;
    SettingsRules::applyLoadDefaults(details);
    details.SysLog = SettingsRules::normalisedLogLevel(details.SysLog);
    details.MsgLog = SettingsRules::normalisedLogLevel(details.MsgLog);
    const std::pair<const std::optional<QString> &, QString &> overrides[] = {
        {options.port, details.Port},         {options.baud, details.BaudRate},
        {options.pin, details.PIN},           {options.longMessage, details.LongMsg},
        {options.validity, details.Validity}, {options.delay, details.SendDelay},
        {options.retry, details.SendRetry},   {options.country, details.Country},
    };
    for (const auto &[option, setting] : overrides) {
        if (option)
            setting = *option;
    }
    applyPacingOptions(details.Pacing, options);
    if (options.deliveryReports)
        details.DeliveryReports = QStringLiteral("1");
    return details;
}

QList<ModemPort> runMoreModems(const QList<ModemPort> &stored, const ComDetails &details, const SendOptions &options)
{
    QList<ModemPort> modems;
    if (!options.port) {
        modems = stored;
        for (ModemPort &modem : modems) {
            SettingsRules::applyLoadDefaults(modem);
            applyPacingOptions(modem.Pacing, options);
        }
        return modems;
    }
    for (const QString &port : options.morePorts) {
        ModemPort modem = modemPortOf(details);
        modem.Port = port;
        modems += modem;
    }
    return modems;
}

QString commandMessage(const SendOptions &options)
{
    QString text = options.message;
    if (!options.messageFile.isEmpty()) {
        if (!QFileInfo::exists(options.messageFile))
            throw QuilloError(ErrorNumber::kPathNotFound, QStringLiteral("%1: no such file").arg(options.messageFile));
        try {
            text = readMessageFile(options.messageFile);
        } catch (const QuilloError &error) {
            throw QuilloError(error.number(), QStringLiteral("%1: %2").arg(options.messageFile, error.description()));
        }
        // An editor ends the file's last line; that end is not part of the message.
        while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
            text.chop(1);
    }
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

namespace {

// The gateway --gateway names: the stored one with the options' keys over it, or the one the
// options give.
GatewaySettings gatewayFor(const SendOptions &options, const QString &dataFolder)
{
    GatewaySettings gateway;
    if (*options.gateway == QLatin1String("stored"))
        gateway = loadGatewaySettings(dataFolder);
    else
        gateway.route.sendsmsUrl = QUrl(*options.gateway);
    gateway.route.user = options.gatewayUser.value_or(gateway.route.user);
    gateway.route.password = options.gatewayPassword.value_or(gateway.route.password);
    gateway.route.smscId = options.gatewaySmsc.value_or(gateway.route.smscId);
    gateway.route.sender = options.gatewaySender.value_or(gateway.route.sender);
    return gateway;
}

// Lets the reports come in until each message has its final status, the time is up or a
// signal stops it.
void waitForReports(RunEngine &engine, TerminalRunView &view, int seconds, StopSignal &stop)
{
    view.note(QStringLiteral("quillo-cli: waiting up to %1 s for %2 delivery reports")
                  .arg(seconds).arg(engine.pendingDeliveries()));
    QEventLoop loop;
    QTimer check;
    QElapsedTimer waited;
    waited.start();
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (engine.pendingDeliveries() == 0 || waited.elapsed() >= qint64(seconds) * 1000 || stop.received())
            loop.quit();
    });
    check.start(100);
    loop.exec();
    engine.closeSessions();
}

// The delivery status of each number a run sent, as its journal holds them now.
QHash<QString, QString> deliveryOf(const QString &journal)
{
    QHash<QString, QString> statuses;
    try {
        const RunJournalState run = readRunJournal(journal);
        for (int pos = 0; pos < run.positions.size(); ++pos)
            if (const auto &delivery = run.positions.at(pos).delivery)
                statuses.insert(run.start.numbers.at(pos), gsm::statusName(*delivery));
    } catch (const QuilloError &error) {
        complain(error.description());
    }
    return statuses;
}

// The run of message to list with the stored settings and the options', continuing the
// journal resumes when it is given.
int sendList(RecipientList &list, const ComposedMessage &message, const SendOptions &options, AppContext &context,
             TerminalDialogs &dialogs, std::FILE *out, bool terminal, const QString &resumes = {})
{
    const SettingsStore store(context.dataFolder);
    context.state.Details = runSettings(store.load(), options);
    context.state.MoreModems = runMoreModems(store.loadMoreModems(), context.state.Details, options);
    context.state.MessageEncoding = message.encoding;
    const ComDetails &details = context.state.Details;
    const MessageOptions messageOptions{details.LongMsg, details.SMSC.trimmed().isEmpty()};

    TerminalRunView view(out, terminal);
    dialogs.setWriter([&view](const QString &line) { view.note(line); });
    const auto writerBack = qScopeGuard([&dialogs] { dialogs.setWriter(TerminalDialogs::writeToStderr); });
    RunEngine engine(context, list, view);
    RunReport report;
    if (!options.reportPath.isEmpty()) {
        if (!report.open(options.reportPath, list.hasFields() && !message.wapPush, asksDeliveryReports(details))) {
            complain(QStringLiteral("%1: cannot be written: %2").arg(options.reportPath, report.error()));
            return kBadInput;
        }
        // Several modems finish out of the plan's order: a number's text is that of the first
        // position of the number not yet reported.
        view.addListener([&report, &engine, reported = QSet<int>()](const NumberOutcome &outcome) mutable {
            NumberOutcome withText = outcome;
            const QList<PersonalMessage> &messages = engine.plan().messages;
            for (int pos = 0; pos < messages.size(); ++pos) {
                if (messages.at(pos).number == outcome.number && !reported.contains(pos)) {
                    reported.insert(pos);
                    withText.text = messages.at(pos).text;
                    break;
                }
            }
            report.add(withText);
        });
    }

    if (!resumes.isEmpty())
        engine.setResumes(resumes);
    if (options.gateway)
        engine.setGateway(gatewayFor(options, context.dataFolder));
    StopSignal stop([&] {
        view.note(QStringLiteral("quillo-cli: stopping after the number in flight"));
        engine.requestStop(true);
    });
    const RunResult result = engine.start(message, messageOptions);
    if (options.waitSeconds > 0 && engine.pendingDeliveries() > 0 && result.end == RunResult::End::Completed)
        waitForReports(engine, view, options.waitSeconds, stop);
    if (report.withDelivery() && !result.journal.isEmpty() && !report.addDelivery(deliveryOf(result.journal)))
        complain(QStringLiteral("%1: the delivery statuses cannot be written: %2").arg(options.reportPath, report.error()));
    switch (result.end) {
    case RunResult::End::Completed:
        return result.failed == 0 ? kAllSent : kSomeNotSent;
    case RunResult::End::UserAbort:
        return kInterrupted;
    case RunResult::End::NotStarted:
    case RunResult::End::ContentTooLong:
        return kBadInput;
    case RunResult::End::ConnectionFailure:
    case RunResult::End::LowSignal:
    case RunResult::End::Error:
        break;
    }
    return kSomeNotSent;
}

// What send would do, without opening the port: the summary the start question shows,
// the placeholders left empty, and each number's text.
int printDryRun(const RecipientList &list, ComposedMessage message, const SendOptions &options, AppContext &context,
                std::FILE *out)
{
    const ComDetails details = runSettings(SettingsStore(context.dataFolder).load(), options);
    message.text = trimSpaces(message.text);
    if (message.text.isEmpty()) {
        complain(QStringLiteral("the message is empty"));
        return kBadInput;
    }
    const RunPlan plan = planRun(message, list.entries(), list.allFields(), details.LongMsg);
    int delayMs = 0;
    try {
        delayMs = runvalues::sendDelayMs(details.SendDelay);
    } catch (const QuilloError &) {
        // A Send Delay the run would refuse adds nothing to the estimate.
    }
    const auto print = [out](QString text) {
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        std::fprintf(out, "%s\n", text.toUtf8().constData());
    };
    if (options.gateway)
        print(gatewayRunSummaryText(plan, gatewayFor(options, context.dataFolder).route.inFlight));
    else
        print(runSummaryText(plan, runspeed::readMeasuredSpeeds(logsFolder(context.dataFolder)), delayMs,
                             pacingOfModems(details, runMoreModems(SettingsStore(context.dataFolder).loadMoreModems(),
                                                                   details, options))));
    if (const QString missing = missingValuesText(plan); !missing.isEmpty())
        print(missing.section(QStringLiteral("\r\n\r\n"), 0, 0));
    for (const PersonalMessage &m : plan.messages) {
        QString text = m.text;
        text.replace(QLatin1String("\r\n"), QLatin1String("\n  "));
        print(QStringLiteral("\nTo %1 (%2):\n  %3").arg(m.number, sendingDescription(m), text));
    }
    return kAllSent;
}

} // namespace

int runSend(const CliCommand &command, AppContext &context, TerminalDialogs &dialogs, std::FILE *out, bool terminal)
{
    const SendOptions &options = command.send;
    ComposedMessage message;
    try {
        message.text = commandMessage(options);
    } catch (const QuilloError &error) {
        complain(error.description());
        return kBadInput;
    }
    message.alert = options.alert;
    message.encoding = options.unicode ? 2 : 0;

    SourceOptions source = command.source;
    source.withFields = merge::hasPlaceholders(message.text);
    RecipientList list;
    const NumberNormaliser normaliser(
        options.country.value_or(SettingsStore(context.dataFolder).load().Country));
    if (const QString refusal = loadList(source, normaliser, context.dialogs, list); !refusal.isEmpty()) {
        complain(refusal);
        return kBadInput;
    }
    if (options.dryRun)
        return printDryRun(list, message, options, context, out);
    return sendList(list, message, options, context, dialogs, out, terminal);
}

int runResume(const CliCommand &command, AppContext &context, TerminalDialogs &dialogs, std::FILE *out,
              bool terminal)
{
    RunJournalState run;
    try {
        QString path = command.journal;
        if (path.isEmpty()) {
            const QString logs = logsFolder(context.dataFolder);
            path = unfinishedRunJournals(logs, true).value(0);
            if (path.isEmpty()) {
                complain(QStringLiteral("no interrupted run in %1").arg(logs));
                return kBadInput;
            }
        }
        run = readRunJournal(path);
    } catch (const QuilloError &error) {
        complain(error.description());
        return kBadInput;
    }
    if (run.ended && run.endKind != RunEnd::Interrupted) {
        complain(QStringLiteral("%1: the run has ended (%2); nothing to resume").arg(run.path, runEndWord(run.endKind)));
        return kBadInput;
    }
    // A run stopped by a signal keeps its end; the journal that continued it is the mark.
    if (const QString next = runJournalResumedBy(run.path); !next.isEmpty()) {
        complain(QStringLiteral("%1: already resumed by %2; resume that one").arg(run.path, next));
        return kBadInput;
    }
    dialogs.information(interruptedRunSummary(run));
    RecipientList list;
    for (const int pos : run.notSentPositions(command.includeUncertain))
        list.append(run.start.numbers.at(pos), run.start.fields.value(pos));
    if (list.count() == 0) {
        if (!run.ended)
            closeRunJournal(run.path, RunEnd::Dismissed, QStringLiteral("nothing left to send"));
        dialogs.information(QStringLiteral("Nothing left to send."));
        return run.uncertainPosition >= 0 || run.failed > 0 ? kSomeNotSent : kAllSent;
    }
    const ComposedMessage message{run.start.text, run.start.url, run.start.wapPush, run.start.alert,
                                  run.start.encoding};
    return sendList(list, message, command.send, context, dialogs, out, terminal, run.path);
}
