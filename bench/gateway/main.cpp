// bench_gateway [numbers]: a sending run (journal and message log included) through Kannel's
// bearerbox and smsbox to fakesmsc, all on this machine. Prints the messages per second from
// the start of the run until fakesmsc has the last one, and the program's own CPU time per
// message. Kannel's own time is not counted in the latter: it runs in its processes.
#include "fakes.h"
#include "kannelprocesses.h"
#include "silentrunview.h"

#include "recipients/recipientlist.h"
#include "sending/runengine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <ctime>

namespace {

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Answers Yes to every question.
class YesDialogs : public ScriptedDialogs
{
public:
    Answer message(const QString &text, Icon, Buttons buttons, const QString &) override
    {
        last = text;
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    QString last;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    if (!KannelProcesses::installed()) {
        std::fprintf(stderr, "kannel and kannel-extras are not installed\n");
        return 1;
    }
    KannelProcesses kannel;
    if (const QString why = kannel.start(); !why.isEmpty()) {
        std::fprintf(stderr, "Kannel did not start: %s\n", qPrintable(why));
        return 1;
    }
    TestContext t;
    YesDialogs dialogs;
    AppContext context{t.state, dialogs, t.shell, t.clock, {}, t.context.appFolder, t.context.dataFolder};
    t.makeFolder(QStringLiteral("logs"));
    t.state.Details.MsgLog = QStringLiteral("2");
    RecipientList list;
    QStringList numbers;
    for (int i = 0; i < count; ++i)
        numbers << QString::number(447700000000LL + i);
    list.appendMany(numbers);
    GatewaySettings gateway;
    gateway.use = true;
    gateway.route.sendsmsUrl = kannel.sendsmsUrl();
    gateway.route.user = kannel.user();
    gateway.route.password = kannel.password();

    SilentRunView view;
    RunEngine engine(context, list, view);
    engine.setGateway(gateway);
    QElapsedTimer wall;
    wall.start();
    const double cpuStart = cpuSeconds();
    const RunResult result = engine.start({QStringLiteral("Hello from the benchmark"), {}, false, false, 0},
                                          {QStringLiteral("Split"), true});
    const double cpu = cpuSeconds() - cpuStart;
    const double runSeconds = wall.nsecsElapsed() / 1e9;
    const bool arrived = kannel.waitForReceived(count, 120000);
    const double endToEnd = wall.nsecsElapsed() / 1e9;
    std::printf("%d numbers, %d sent, %d failed through Kannel (8 requests at once)\n", count, result.sent,
                result.failed);
    std::printf("run: %.2f s; all at fakesmsc after %.2f s%s\n", runSeconds, endToEnd,
                arrived ? "" : " (NOT ALL ARRIVED)");
    std::printf("end to end: %.0f messages per second (target: at least 200)\n", count / endToEnd);
    std::printf("program's own CPU time: %.3f ms per message (target: under 1 ms)\n", cpu * 1000.0 / count);
    std::printf("last box: %s\n", qPrintable(dialogs.last.section(QLatin1Char('\r'), 0, 0)));
    return arrived && result.sent == count ? 0 : 1;
}
