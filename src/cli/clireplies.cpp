#include "clireplies.h"

#include "clicommands.h"

#include "common/datafolder.h"
#include "common/error.h"
#include "common/text.h"
#include "replies/replieslog.h"
#include "sending/modemsteps.h"
#include "replies/replyhandler.h"
#include "sending/runjournalformat.h"
#include "sending/sendingrunvalues.h"
#include "settings/settingsstore.h"

#include <QDir>
#include <QEventLoop>
#include <QTimer>

namespace {

void complain(const QString &text)
{
    std::fprintf(stderr, "quillo-cli: %s\n", text.toUtf8().constData());
}

// Hears the modem for seconds; false when it could not be connected or a reply could not
// be kept (the error is then on standard error).
bool listen(SmsComponent &modem, const ComDetails &details, const QString &logs, ReplyHandler &handler, int seconds)
{
    modem.setInitFlag(false);
    modem.setLogPath(logs);
    modem.setModemLogType(runvalues::toInt16(details.SysLog));
    runvalues::writePortSettings(modem, details);
    modem.setNoPin(trimSpaces(details.PIN).isEmpty());
    modem.setIncomingMessages(true);

    QEventLoop loop;
    bool failed = false;
    QStringList confirmTo;
    QString confirmation;
    modem.setModemEvents({{}, [&](const IncomingMessage &message) {
        try {
            const ReplyHandler::Handled handled = handler.handle(message, details.Port);
            if (!handled.confirmation.isEmpty()) {
                confirmTo += handled.reply.sender;
                confirmation = handled.confirmation;
                // Sent from the event loop, never from inside the modem's own callback,
                // which runs while the listener is between two AT commands.
                QTimer::singleShot(0, &loop, [&] {
                    while (!confirmTo.isEmpty()) {
                        const QString to = confirmTo.takeFirst();
                        if (const QString error = modemsteps::sendReply(modem, to, confirmation); !error.isEmpty())
                            complain(QStringLiteral("the confirmation to %1 was not sent: %2").arg(to, error));
                    }
                });
            }
        } catch (const QuilloError &error) {
            complain(error.description());
            failed = true;
            loop.quit();
        }
    }});
    modem.Connect();
    if (modem.IsError(false, {})) {
        complain(QStringLiteral("%1: %2").arg(details.Port, modem.ErrorDescription()));
        return false;
    }
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    modem.setModemEvents({});
    return !failed;
}

QString lineOf(const Reply &reply, const QString &lastRun)
{
    return QStringList{reply.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), reply.modem, reply.sender,
                       reply.stop ? QStringLiteral("STOP") : QString(), journalformat::escapeField(reply.text),
                       lastRun}
        .join(u'\t');
}

} // namespace

int runReplies(const CliCommand &command, const QString &dataFolder, const SmsComponentFactory &factory,
               std::FILE *out)
{
    const SettingsStore store(dataFolder);
    const ComDetails details = runSettings(store.load(), command.send);
    const NumberNormaliser normaliser(details.Country);
    const QString logs = logsFolder(dataFolder);
    const RepliesLog log(RepliesLog::pathIn(logs));
    bool heard = true;
    if (command.listenSeconds > 0) {
        QDir().mkpath(logs);
        ReplyHandler handler(log, OptOutList::pathIn(dataFolder), normaliser, store.loadReplies());
        std::unique_ptr<SmsComponent> modem = factory();
        heard = listen(*modem, details, logs, handler, command.listenSeconds);
    }
    try {
        const LastRuns runs(logs, normaliser);
        for (const Reply &reply : log.readNewestFirst())
            std::fprintf(out, "%s\n", lineOf(reply, runs.of(reply.sender)).toUtf8().constData());
    } catch (const QuilloError &error) {
        complain(error.description());
        return kSomeNotSent;
    }
    return heard ? kAllSent : kSomeNotSent;
}
