// modemsim: a simulated GSM modem on a pseudo-terminal.
//   modemsim [--config FILE] [--link PATH] [--record FILE] [--verbose]
// Prints "PORT <device path>" as its first line, then serves until stopped (SIGINT, SIGTERM)
// or until it hangs up as its configuration asks.

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

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalFd[1], &c, 1);
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
        "            SilentAfterCommands, HangUpAfterMessages"));
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
    QObject::connect(&modem, &ModemResponder::messageReceived, [&](const ReceivedMessage &m) {
        if (recording && !recorder.record(m))
            fprintf(stderr, "modemsim: cannot write %s\n", qPrintable(parser.value(recordOption)));
        if (verbose) {
            printf("MESSAGE %s %s\n", qPrintable(m.number), qPrintable(m.text));
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
        QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
        std::signal(SIGHUP, onSignal);
    }

    printf("PORT %s\n", qPrintable(server.devicePath()));
    fflush(stdout);

    const int rc = app.exec();
    server.hangUp();
    if (!link.isEmpty())
        QFile::remove(link);
    return rc;
}
