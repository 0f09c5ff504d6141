// bench_delivery [runs] [numbers]: the time the Delivery view takes to read a logs folder of
// runs (default 200) that asked for delivery reports, each of numbers (default 1,000) sent
// numbers with a report each, beside as many runs that did not ask; then to read it again
// unchanged, again after one more report, and to make the CSV of it all.
#include "logs/deliveryhistory.h"
#include "sending/runjournalformat.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {

// The bytes RunJournalWriter would leave, written at once: its fsync per record would make
// the folder take an hour to build.
QByteArray journal(const QDateTime &start, int numbers, bool asked)
{
    using journalformat::line;
    const QString time = journalformat::timeField(start);
    QByteArray out = line(time, QStringLiteral("journal"), {journalformat::kVersion});
    out += line(time, QStringLiteral("text"), {QStringLiteral("Your order is ready for collection at the north gate.")});
    out += line(time, QStringLiteral("url"), {QString()});
    out += line(time, QStringLiteral("wap-push"), {QStringLiteral("0")});
    out += line(time, QStringLiteral("alert"), {QStringLiteral("0")});
    out += line(time, QStringLiteral("encoding"), {QStringLiteral("0")});
    out += line(time, QStringLiteral("option"), {QStringLiteral("port"), QStringLiteral("/dev/ttyUSB0")});
    if (asked)
        out += line(time, QStringLiteral("option"), {kDeliveryReportsOption, QStringLiteral("1")});
    QStringList list;
    for (int i = 0; i < numbers; ++i) {
        list += QStringLiteral("+9198%1").arg(i, 8, 10, QLatin1Char('0'));
        out += line(time, QStringLiteral("number"), {QString::number(i), list.last()});
    }
    out += line(time, QStringLiteral("begin"), {QString::number(numbers)});
    for (int i = 0; i < numbers; ++i) {
        const QString at = journalformat::timeField(start.addMSecs(2500LL * i));
        const QString pos = QString::number(i);
        out += line(at, QStringLiteral("handed"), {pos, list.at(i)});
        out += line(at, QStringLiteral("sent"), {pos, list.at(i), QString::number(i % 256)});
    }
    out += line(journalformat::timeField(start.addMSecs(2500LL * numbers)), QStringLiteral("end"),
                {QStringLiteral("completed"), QString()});
    if (!asked)
        return out;
    for (int i = 0; i < numbers; ++i) {
        const bool failed = i % 10 == 0;
        out += line(journalformat::timeField(start.addSecs(3600 + i)), QStringLiteral("delivery"),
                    {QString::number(i), list.at(i), QString::number(i % 256),
                     failed ? QStringLiteral("failed") : QStringLiteral("delivered"),
                     failed ? QStringLiteral("Unknown subscriber") : QString()});
    }
    return out;
}

void write(const QString &path, const QByteArray &bytes, QIODevice::OpenMode mode = QIODevice::WriteOnly)
{
    QFile file(path);
    if (!file.open(mode) || file.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs = args.size() > 1 ? args.at(1).toInt() : 200;
    const int numbers = args.size() > 2 ? args.at(2).toInt() : 1000;
    QTemporaryDir folder(QDir::current().filePath(QStringLiteral("bench_delivery-XXXXXX")));
    const QDateTime first(QDate(2026, 1, 1), QTime(9, 0));
    QString newest;
    for (int r = 0; r < runs; ++r) {
        for (const bool asked : {true, false}) {
            const QDateTime start = first.addSecs(86400LL * r + (asked ? 0 : 43200));
            const QString name = QStringLiteral("run-%1.journal").arg(start.toString(QStringLiteral("yyyyMMdd-HHmmss")));
            write(QDir(folder.path()).filePath(name), journal(start, numbers, asked));
            if (asked)
                newest = QDir(folder.path()).filePath(name);
        }
    }

    QElapsedTimer clock;
    DeliveryHistory history;
    // The processor time too: on a busy machine the wall time tells more of the others' work.
    const std::clock_t cpuStart = std::clock();
    clock.start();
    history.load(folder.path());
    const double firstMs = clock.nsecsElapsed() / 1e6;
    const double firstCpuMs = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    clock.restart();
    const bool changedUnchanged = history.load(folder.path());
    const double againMs = clock.nsecsElapsed() / 1e6;
    // One more report for the newest run.
    write(newest,
          journalformat::line(journalformat::timeField(QDateTime::currentDateTime()), QStringLiteral("delivery"),
                              {QStringLiteral("1"), QStringLiteral("+919800000001"), QStringLiteral("1"),
                               QStringLiteral("expired"), QStringLiteral("SM validity period expired")}),
          QIODevice::Append);
    clock.restart();
    const bool changedAfterReport = history.load(folder.path());
    const double reportMs = clock.nsecsElapsed() / 1e6;
    clock.restart();
    const QByteArray csv = deliveryCsv(history.runs());
    const double csvMs = clock.nsecsElapsed() / 1e6;

    const DeliveryCounts all = history.totals();
    std::printf("%d runs that asked for reports and %d that did not, %d numbers each\n", runs, runs, numbers);
    std::printf("first load: %.1f ms, %.1f ms of processor time on all threads (%d runs listed, %d numbers: %d "
                "delivered, %d failed, %d expired)\n",
                firstMs, firstCpuMs, int(history.runs().size()), all.total(), all[gsm::DeliveryStatus::Delivered],
                all[gsm::DeliveryStatus::Failed], all[gsm::DeliveryStatus::Expired]);
    std::printf("load again, nothing changed: %.1f ms (changed: %s)\n", againMs, changedUnchanged ? "yes" : "no");
    std::printf("load again after one report: %.1f ms (changed: %s)\n", reportMs, changedAfterReport ? "yes" : "no");
    std::printf("CSV of all: %.1f ms, %.1f MB\n", csvMs, csv.size() / 1e6);
    return 0;
}
