// bench_pool [--numbers N] [--modems 1,2,4] [--submit-delay MS]: one sending run of N numbers
// (400 by default) through the run engine, as quillo-cli runs it, over 1, 2 and 4 modemsim
// instances on pseudo-terminals, each taking SubmitDelay ms per message (2500 by default, a
// real network's pace) with Send Delay 0. Prints per pool size the wall time of the sending,
// the speed-up over the first size, and the program's own CPU time per number (all its
// threads, the modems' included).
//
// bench_pool --daily-cap N [--numbers N] [--submit-delay MS]: one run over 4 modems, each SIM
// capped at N SMS parts per day. A paused run's waiting is skipped (the clock jumps), so the
// bench prints at once how the numbers spread over the modems, when and why the run paused,
// and the program's own CPU time per number.
#include "modemsimprocess.h"

#include "common/appcontext.h"
#include "common/clock.h"
#include "common/dialogs.h"
#include "common/shell.h"
#include "kestrel/kestrel.h"
#include "recipients/recipientlist.h"
#include "sending/runengine.h"
#include "sending/timeleft.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include "silentrunview.h"

#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

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

// Notes when the sending starts (the first number goes out), so connecting is not timed, and
// each pause with the numbers done before it.
class TimingView : public SilentRunView
{
public:
    void status(int panel, const QString &text) override
    {
        if (panel == 1 && text.startsWith(QLatin1String("Sending (")) && !sending.isValid())
            sending.start();
        if (panel == 1 && text.startsWith(QLatin1String("Paused: ")))
            pauses << QStringLiteral("after %1 numbers: %2").arg(done).arg(text);
    }
    void progressStep() override { ++done; }
    QElapsedTimer sending;
    QStringList pauses;
    int done = 0;
};

// The time of day, but a pause passes at once: the run's waits for its caps are skipped, a
// minute at least at each step, so the waiting costs the figures next to nothing.
class SkippingClock : public Clock
{
public:
    void sleep(int ms) override { skippedMs += std::max(ms, 60000); }
    qint64 nowMs() override { return QDateTime::currentMSecsSinceEpoch() + skippedMs; }
    qint64 skippedMs = 0;
};

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

struct Figures
{
    double wallSeconds = 0;
    double cpuMsPerNumber = 0;
    int sent = 0;
    QString result;
};

// dailyCap > 0: each SIM (an IMSI of its own) capped at that many parts per day, the
// pauses skipped, and the spread and the pauses printed.
bool runPool(int modems, int count, int submitDelayMs, Figures &out, int dailyCap = 0)
{
    std::vector<std::unique_ptr<ModemSimProcess>> sims;
    for (int i = 0; i < modems; ++i) {
        const QString ini = QStringLiteral("[network]\nSubmitDelay=%1\n[modem]\nIMSI=2341509000000%2\n")
                                .arg(submitDelayMs)
                                .arg(i, 2, 10, QLatin1Char('0'));
        sims.push_back(std::make_unique<ModemSimProcess>());
        if (!sims.back()->start(ini)) {
            fprintf(stderr, "bench_pool: modemsim did not start\n");
            return false;
        }
    }
    QTemporaryDir folder;
    QDir(folder.path()).mkdir(QStringLiteral("logs"));
    const QString data = folder.path() + QLatin1Char('/');

    AppState state;
    ComDetails &d = state.Details;
    d.Port = sims.front()->port();
    d.BaudRate = QStringLiteral("115200");
    d.DataBits = QStringLiteral("8");
    d.StopBits = QStringLiteral("1");
    d.Parity = QStringLiteral("None");
    d.Validity = QStringLiteral("1 Day");
    d.SendDelay = d.SendRetry = d.SysLog = QStringLiteral("0");
    d.MsgLog = QStringLiteral("2");
    d.LongMsg = QStringLiteral("Concatenate");
    if (dailyCap > 0)
        d.Pacing.PartsPerDay = QString::number(dailyCap);
    for (int i = 1; i < modems; ++i) {
        ModemPort more = modemPortOf(d);
        more.Port = sims[size_t(i)]->port();
        state.MoreModems << more;
    }
    AutoDialogs dialogs;
    NoShell shell;
    SystemClock systemClock;
    SkippingClock skippingClock;
    Clock &clock = dailyCap > 0 ? static_cast<Clock &>(skippingClock) : systemClock;
    AppContext context{state, dialogs, shell, clock, [] { return createKestrel(); }, data, data};

    RecipientList list;
    QStringList numbers;
    for (int i = 0; i < count; ++i)
        numbers << QStringLiteral("98%1").arg(10000000 + i);
    list.appendMany(numbers);
    TimingView view;
    RunEngine engine(context, list, view);

    const double cpuStart = cpuSeconds();
    const RunResult result = engine.start({QStringLiteral("Benchmark message from Quillo")}, {d.LongMsg, true});
    out.wallSeconds = view.sending.isValid() ? view.sending.nsecsElapsed() / 1e9 : 0;
    out.cpuMsPerNumber = (cpuSeconds() - cpuStart) * 1000.0 / std::max(1, count);
    out.sent = result.sent;
    out.result = QString(dialogs.last).replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    if (dailyCap > 0) {
        printf("Spread over the modems (cap %d SMS parts per day each):\n", dailyCap);
        for (size_t i = 0; i < sims.size(); ++i)
            printf("  modem %zu: %lld numbers\n", i + 1, static_cast<long long>(sims[i]->recorded().size()));
        for (const QString &pause : view.pauses)
            printf("  %s\n", qPrintable(pause));
        printf("  waited (skipped): %s\n", qPrintable(formatDuration(skippingClock.skippedMs / 1000)));
    }
    return result.end == RunResult::End::Completed;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int count = 400;
    int submitDelay = 2500;
    QList<int> sizes{1, 2, 4};
    int dailyCap = 0;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i + 1 < args.size(); i += 2) {
        bool ok = false;
        if (args[i] == QLatin1String("--daily-cap"))
            ok = (dailyCap = args[i + 1].toInt(&ok)) > 0 && ok;
        else if (args[i] == QLatin1String("--numbers"))
            count = args[i + 1].toInt(&ok);
        else if (args[i] == QLatin1String("--submit-delay"))
            submitDelay = args[i + 1].toInt(&ok);
        else if (args[i] == QLatin1String("--modems")) {
            sizes.clear();
            ok = true;
            for (const QString &size : args[i + 1].split(QLatin1Char(',')))
                sizes << size.toInt(&ok);
        }
        if (!ok || count < 1 || submitDelay < 0 || sizes.contains(0)) {
            fprintf(stderr, "bench_pool: %s %s: not a usable value\n", qPrintable(args[i]), qPrintable(args[i + 1]));
            return 2;
        }
    }
    if (args.size() % 2 != 0) {
        fprintf(stderr, "usage: bench_pool [--numbers N] [--modems 1,2,4] [--submit-delay MS] [--daily-cap N]\n");
        return 2;
    }
    if (dailyCap > 0) {
        printf("%d numbers over 4 modems, each SIM capped at %d SMS parts per day, SubmitDelay %d ms\n", count,
               dailyCap, submitDelay);
        Figures f;
        if (!runPool(4, count, submitDelay, f, dailyCap)) {
            fprintf(stderr, "bench_pool: the capped run did not complete: %s\n", qPrintable(f.result));
            return 1;
        }
        printf("sent %d; own CPU per number %.2f ms (target < 10 ms)\n", f.sent, f.cpuMsPerNumber);
        return 0;
    }

    printf("%d numbers, SubmitDelay %d ms, Send Delay 0\n", count, submitDelay);
    printf("%-7s %10s %9s %10s %14s\n", "modems", "wall (s)", "speed-up", "sent", "own CPU/number");
    double firstWall = 0;
    for (int modems : sizes) {
        Figures f;
        if (!runPool(modems, count, submitDelay, f)) {
            fprintf(stderr, "bench_pool: the run over %d modems did not complete: %s\n", modems, qPrintable(f.result));
            return 1;
        }
        if (firstWall == 0)
            firstWall = f.wallSeconds;
        printf("%-7d %10.1f %8.2fx %10d %11.2f ms\n", modems, f.wallSeconds, firstWall / f.wallSeconds, f.sent,
               f.cpuMsPerNumber);
        fflush(stdout);
    }
    return 0;
}
