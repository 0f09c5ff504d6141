// bench_run [numbers]: one sending run through the main window against modemsim on a
// pseudo-terminal (no reply delay, SendDelay 0 in config.ini, message log at level 2).
// Prints the program's own time per number (the run's time minus the time inside the
// component's sends) and the resident memory along the run.
#include "app/mainwindow.h"
#include "sending/messagecomposer.h"
#include "probecomponent.h"
#include "recipients/recipientlist.h"

#include "common/clock.h"
#include "common/dialogs.h"
#include "common/shell.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <unistd.h>

namespace {

// Answers every question Yes and every box OK, remembering the last text.
class AutoDialogs : public Dialogs
{
public:
    Answer message(const QString &text, Icon, Buttons buttons, const QString &) override
    {
        last = text;
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    QString openFile(const FileRequest &) override { return {}; }
    QString saveFile(const FileRequest &) override { return {}; }
    bool chooseFont(FontChoice &) override { return false; }
    QString last;
};

class NoShell : public Shell
{
public:
    bool open(const QString &) override { return false; }
    bool openHelp(const QString &, const QString &) override { return false; }
};

long residentKb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 2000;

    QTemporaryDir folder;
    QDir(folder.path()).mkdir(QStringLiteral("logs"));
    const QString appFolder = folder.path() + QLatin1Char('/');

    QProcess modemsim;
    modemsim.start(QStringLiteral(QUILLO_BIN_DIR "/modemsim"), {});
    if (!modemsim.waitForStarted(5000) || !modemsim.waitForReadyRead(5000)) {
        fprintf(stderr, "bench_run: modemsim did not start\n");
        return 1;
    }
    const QByteArray portLine = modemsim.readLine().trimmed();
    if (!portLine.startsWith("PORT ")) {
        fprintf(stderr, "bench_run: modemsim said %s\n", portLine.constData());
        return 1;
    }
    const QString port = QString::fromLocal8Bit(portLine.mid(5));

    QFile config(appFolder + QStringLiteral("config.ini"));
    if (!config.open(QIODevice::WriteOnly))
        return 1;
    config.write(QStringLiteral("[COMM]\r\nPort=%1\r\nBaudRate=115200\r\nDataBits=8\r\nStopBits=1\r\nParity=None\r\n"
                                "[SMS]\r\nPIN=\r\nValidity=1 Day\r\nSMSC=\r\nSendDelay=0\r\nSendRetry=0\r\n"
                                "LongMsg=Concatenate\r\n[LOG]\r\nSysLog=0\r\nMsgLog=2\r\n")
                     .arg(port)
                     .toUtf8());
    config.close();

    AppState state;
    AutoDialogs dialogs;
    NoShell shell;
    SystemClock clock;
    auto probe = std::make_shared<ProbeComponent::Probe>();
    probe->timeoutMs = 30000;
    QList<std::pair<int, long>> memory;
    probe->beforeSend = [&](const QString &) {
        const int done = probe->sends - 1;
        if (done % (count / 4 > 0 ? count / 4 : 1) == 0)
            memory << std::pair{done, residentKb()};
    };
    AppContext context{state, dialogs, shell, clock, ProbeComponent::factory(probe), appFolder, appFolder};
    MainWindow window(context, [] {});
    window.Form_Load();

    auto *list = window.findChild<RecipientList *>(QStringLiteral("RecipientList"));
    QStringList numbers;
    for (int i = 0; i < count; ++i)
        numbers << QStringLiteral("98%1").arg(10000000 + i);
    list->appendMany(numbers);
    window.findChild<MessageComposer *>(QStringLiteral("fraMessage"))
        ->setMessageText(QStringLiteral("Benchmark message from Quillo"));

    QElapsedTimer total;
    total.start();
    window.findChild<QAbstractButton *>(QStringLiteral("cmdStartSending"))->click();
    const qint64 runNs = probe->clock.isValid() ? probe->clock.nsecsElapsed() : 0;
    memory << std::pair{probe->sends, residentKb()};

    const qint64 loopNs = runNs - std::max<qint64>(0, probe->firstSendStartNs);
    const double ownMsPerNumber = double(loopNs - probe->sendNs) / 1e6 / std::max(1, probe->sends);
    printf("numbers: %d, sent: %d, left in list: %d\n", count, probe->sends, list->count());
    printf("result box: %s\n", qPrintable(QString(dialogs.last).replace(QStringLiteral("\r\n"), QStringLiteral(" "))));
    printf("whole click: %.2f s; sending loop: %.2f s; inside the component's sends: %.2f s\n",
           total.nsecsElapsed() / 1e9, loopNs / 1e9, probe->sendNs / 1e9);
    printf("program's own time per number: %.2f ms (target under 10 ms, 5 ms progress step included)\n",
           ownMsPerNumber);
    printf("message.log lines: %lld\n",
           [&] {
               QFile log(appFolder + QStringLiteral("logs/message.log"));
               return log.open(QIODevice::ReadOnly) ? log.readAll().count('\n') : -1LL;
           }());
    printf("resident memory (KB) at numbers sent:");
    for (const auto &[done, kb] : memory)
        printf(" %d:%ld", done, kb);
    printf("\n");

    modemsim.terminate();
    modemsim.waitForFinished(3000);
    return list->count() == 0 ? 0 : 2;
}
