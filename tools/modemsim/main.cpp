// modemsim: a simulated GSM modem on a pseudo-terminal.
//   modemsim [--config FILE] [--link PATH] [--record FILE] [--verbose]
// Prints "PORT <device path>" as its first line, then serves until stopped (SIGINT, SIGTERM)
// or until it hangs up as its configuration asks. SIGUSR1 delivers the messages listed in
// the configuration's [incoming] File.

#include "modemsim/messagerecorder.h"
#include "modemsim/modemconfig.h"
#include "modemsim/modemresponder.h"
#include "ptyserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalFd[2] = {-1, -1};

// A signal handler may only write to a descriptor: the event loop reads which signal came.
void onSignal(int signal)
{
    const char c = char(signal);
    [[maybe_unused]] const ssize_t n = ::write(g_signalFd[1], &c, 1);
}

// Reads the on-demand messages and empties the file, so the next signal delivers only what
// was written after this one. False with an error naming the file and line.
bool takeIncoming(const QString &path, QList<IncomingSpec> *messages, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Text)) {
        *error = QStringLiteral("cannot open %1").arg(path);
        return false;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    file.resize(0);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        IncomingSpec spec;
        QString why;
        if (!IncomingSpec::parse(line, &spec, &why)) {
            *error = QStringLiteral("%1 line %2: %3").arg(path).arg(i + 1).arg(why);
            return false;
        }
        messages->append(spec);
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("modemsim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated GSM modem on a pseudo-terminal.\n\n"
        "Keys of the --config file (all optional):\n"
        "  [modem]   Manufacturer, Model, Revision, IMEI, IMSI\n"
        "  [network] Name, Code, RSSI, Registered, Denied, LteOnly,\n"
        "            SubmitDelay: milliseconds from a message's PDU to its +CMGS answer\n"
        "            (default 0; a real network takes 2000-3000)\n"
        "  [sim]     PIN\n"
        "  [faults]  CmsErrorNumbers, NoReferenceNumbers, CmsErrorCode, CmsErrorTimes, ReplyDelay,\n"
        "            SilentAfterCommands, HangUpAfterMessages, RefuseCmms\n"
        "  [reports] Delay, FailedShare, ExpiredShare, LostShare, FailedStatus, Seed: status reports\n"
        "            for messages that ask for one, routed as AT+CNMI says (+CDS or +CDSI)\n"
        "  [incoming] Message1=<delay ms> <sender> <text> ...: delivered after the first command;\n"
        "            File: on SIGUSR1 its lines (same form) are delivered and the file emptied"));
    parser.addHelpOption();
    const QCommandLineOption configOption(QStringLiteral("config"), QStringLiteral("INI file with identity, network, SIM and faults."), QStringLiteral("FILE"));
    const QCommandLineOption linkOption(QStringLiteral("link"), QStringLiteral("Symbolic link to create to the device."), QStringLiteral("PATH"));
    const QCommandLineOption recordOption(QStringLiteral("record"), QStringLiteral("Append one JSON line per accepted message."), QStringLiteral("FILE"));
    const QCommandLineOption verboseOption(QStringLiteral("verbose"), QStringLiteral("Print each accepted message."));
    parser.addOptions({configOption, linkOption, recordOption, verboseOption});
    parser.process(app);

    ModemConfig config;
    if (parser.isSet(configOption)) {
        QString error;
        if (!ModemConfig::load(parser.value(configOption), &config, &error)) {
            fprintf(stderr, "modemsim: %s\n", qPrintable(error));
            return 2;
        }
    }

    ModemResponder modem(config);
    PtyServer server(&modem);
    QString error;
    if (!server.open(&error)) {
        fprintf(stderr, "modemsim: %s\n", qPrintable(error));
        return 1;
    }

    const QString link = parser.value(linkOption);
    if (!link.isEmpty()) {
        QFile::remove(link);
        if (!QFile::link(server.devicePath(), link)) {
            fprintf(stderr, "modemsim: cannot create link %s\n", qPrintable(link));
            return 1;
        }
    }

    const MessageRecorder recorder(parser.value(recordOption));
    const bool recording = parser.isSet(recordOption);
    const bool verbose = parser.isSet(verboseOption);
    const auto recorded = [&](bool written) {
        if (recording && !written)
            fprintf(stderr, "modemsim: cannot write %s\n", qPrintable(parser.value(recordOption)));
    };
    QObject::connect(&modem, &ModemResponder::messageReceived, [&](const ReceivedMessage &m) {
        recorded(!recording || recorder.record(m));
        if (verbose) {
            printf("MESSAGE %s %s\n", qPrintable(m.number), qPrintable(m.text));
            fflush(stdout);
        }
    });
    QObject::connect(&modem, &ModemResponder::reportSent, [&](const SentReport &r) {
        recorded(!recording || recorder.record(r));
        if (verbose) {
            printf("REPORT %d %s %s\n", r.reference, qPrintable(r.number), qPrintable(r.status));
            fflush(stdout);
        }
    });
    QObject::connect(&modem, &ModemResponder::messageDelivered, [&](const DeliveredMessage &m) {
        recorded(!recording || recorder.record(m));
        if (verbose) {
            printf("INCOMING %s %s\n", qPrintable(m.sender), qPrintable(m.text));
            fflush(stdout);
        }
    });
    // The line drops a moment after the last answer, so the host reads that answer first.
    QObject::connect(&modem, &ModemResponder::hungUp, &server, [&server] {
        QTimer::singleShot(100, &server, &PtyServer::hangUp);
    });
    QObject::connect(&server, &PtyServer::closed, &app, [] {
        fprintf(stderr, "modemsim: line closed\n");
        QCoreApplication::quit();
    });

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalFd) == 0) {
        auto *notifier = new QSocketNotifier(g_signalFd[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [&] {
            char signal = 0;
            if (::read(g_signalFd[0], &signal, 1) != 1 || signal != SIGUSR1) {
                QCoreApplication::quit();
                return;
            }
            QList<IncomingSpec> messages;
            QString error;
            if (config.incomingFile.isEmpty())
                fprintf(stderr, "modemsim: SIGUSR1 but no [incoming] File in the configuration\n");
            else if (!takeIncoming(config.incomingFile, &messages, &error))
                fprintf(stderr, "modemsim: %s\n", qPrintable(error));
            modem.scheduleIncoming(messages);
        });
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
        std::signal(SIGHUP, onSignal);
        std::signal(SIGUSR1, onSignal);
    }

    printf("PORT %s\n", qPrintable(server.devicePath()));
    fflush(stdout);

    const int rc = app.exec();
    server.hangUp();
    if (!link.isEmpty())
        QFile::remove(link);
    return rc;
}
