// kestrel_throughput: sends N single-part messages through a pseudo-terminal to modemsim
// with no send delay and prints messages per second, milliseconds per message, and the
// component's own overhead: the processor time this process spent per message (modemsim
// runs in its own process, so its work and the waiting on the line are not counted).
//   kestrel_throughput [N] [--log LEVEL] [--modemsim PATH]

#include "kestrel/kestrel.h"
#include "kestrel/messagesplitter.h"
#include "kestrel/submitpdu.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

namespace {

double cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int count = 500;
    int logLevel = 0;
    QString modemsim = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("modemsim"));
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--log") && i + 1 < args.size())
            logLevel = args[++i].toInt();
        else if (args[i] == QLatin1String("--modemsim") && i + 1 < args.size())
            modemsim = args[++i];
        else if (args[i].toInt() > 0)
            count = args[i].toInt();
    }

    QProcess sim;
    sim.start(modemsim, {});
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) {
        fprintf(stderr, "cannot start %s\n", qPrintable(modemsim));
        return 1;
    }
    const QByteArray first = sim.readLine().trimmed();
    if (!first.startsWith("PORT ")) {
        fprintf(stderr, "modemsim said: %s\n", first.constData());
        return 1;
    }
    const QString port = QString::fromLocal8Bit(first.mid(5));

    QTemporaryDir logs;
    std::unique_ptr<SmsComponent> modem = createKestrel();
    modem->setModemLogType(logLevel);
    modem->setLogPath(logs.path());
    modem->setPort(port);
    modem->setBaudRate(115200);
    modem->setCommTimeout(5000);
    modem->setConnectTimeout(5000);
    modem->setNoPin(true);
    modem->Connect();
    if (modem->IsError(false, QString())) {
        fprintf(stderr, "connect failed: %d %s\n", modem->ErrorNumber(), qPrintable(modem->ErrorDescription()));
        return 1;
    }
    modem->setSendDelay(0);

    const QString text = QStringLiteral("Benchmark message: the quick brown fox jumps over the lazy dog 0123456789 [€]");
    const double cpuBefore = cpuMs();
    QElapsedTimer wall;
    wall.start();
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        modem->SendSMS(QStringLiteral("+4477009%1").arg(i % 100000, 5, 10, QLatin1Char('0')), text, false);
        if (modem->IsError(false, QString()))
            ++failed;
    }
    const double wallMs = double(wall.nsecsElapsed()) / 1e6;
    const double cpuUsed = cpuMs() - cpuBefore;

    // The pure encoding part alone (split + PDU), for comparison.
    QElapsedTimer encode;
    encode.start();
    const int encodeRounds = 20000;
    for (int i = 0; i < encodeRounds; ++i) {
        const auto parts = gsm::splitMessage(text, gsm::Coding::Gsm7, gsm::LongMode::Truncate, i);
        gsm::SubmitMessage m;
        m.destination = QStringLiteral("+447700900123");
        m.userData = parts.first().userData;
        gsm::SubmitPdu pdu;
        gsm::buildSubmit(m, &pdu, nullptr);
    }
    const double encodeMs = double(encode.nsecsElapsed()) / 1e6 / encodeRounds;

    printf("messages:              %d (%d failed), log level %d\n", count, failed, logLevel);
    printf("messages per second:   %.1f\n", count * 1000.0 / wallMs);
    printf("ms per message:        %.3f (wall clock, pty round trips and modemsim included)\n", wallMs / count);
    printf("component overhead:    %.3f ms per message (processor time of the component's process)\n", cpuUsed / count);
    printf("encoding alone:        %.4f ms per message (split + SMS-SUBMIT PDU)\n", encodeMs);
    printf("target overhead < 2 ms per message: %s\n", cpuUsed / count < 2.0 ? "met" : "NOT MET");

    modem.reset();
    sim.terminate();
    sim.waitForFinished(3000);
    return failed == 0 ? 0 : 1;
}
