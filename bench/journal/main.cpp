// bench_journal [folder] [records]: the cost of the run journal on the disk holding folder
// (default: a temporary folder in the current one, so the build's disk rather than a tmpfs).
// Each record is one write and one fsync, the price of knowing after a crash who got the
// message; this prints what that price is per record, and the one-off costs of the start of a
// 30,000-number run and of reading its journal back.
#include "sending/runjournal.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTemporaryDir temporary(QDir::current().filePath(QStringLiteral("bench_journal-XXXXXX")));
    const QString folder = args.size() > 1 ? args.at(1) : temporary.path();
    const int records = std::max(1, args.size() > 2 ? args.at(2).toInt() : 1000);

    RunJournalStart start;
    start.text = QStringLiteral("Your order 4711 is ready for collection at the north gate.");
    for (int i = 0; i < 30000; ++i)
        start.numbers += QStringLiteral("+9198%1").arg(i, 8, 10, QLatin1Char('0'));
    QElapsedTimer clock;
    clock.start();
    RunJournalWriter writer = RunJournalWriter::create(folder, start);
    const double createMs = clock.nsecsElapsed() / 1e6;

    std::vector<double> perRecordMs;
    for (int i = 0; i < records; ++i) {
        clock.restart();
        if (i % 2 == 0)
            writer.handed(i / 2);
        else
            writer.sent(i / 2, QString::number(i / 2 % 256));
        perRecordMs.push_back(clock.nsecsElapsed() / 1e6);
    }
    clock.restart();
    const RunJournalState state = readRunJournal(writer.path());
    const double readMs = clock.nsecsElapsed() / 1e6;
    writer.end(RunEnd::Completed);

    std::vector<double> sorted = perRecordMs;
    std::sort(sorted.begin(), sorted.end());
    double total = 0;
    for (double ms : sorted)
        total += ms;
    std::printf("journal in %s\n", qPrintable(QDir::toNativeSeparators(folder)));
    std::printf("start of a 30,000-number run (one write + fsync): %.2f ms\n", createMs);
    std::printf("%d records, write + fsync each: mean %.3f ms, median %.3f ms, 99th percentile %.3f ms, max %.3f ms\n",
                records, total / records, sorted[sorted.size() / 2], sorted[sorted.size() * 99 / 100], sorted.back());
    std::printf("reading it back after a crash (%d numbers, %d sent): %.2f ms\n", int(state.start.numbers.size()),
                state.sent, readMs);
    std::printf("two records per number: %.1f ms of journal per number sent\n", 2 * total / records);
    return 0;
}
