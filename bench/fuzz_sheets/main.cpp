// A mutation fuzzer for the spreadsheet readers behind the Excel connection (liborcus for
// .xlsx and .ods, our own for .csv). Seed files are written with the test writers, stored
// and deflated; each round changes a few bytes, runs, cuts or copies of one, and reads the
// result through SpreadsheetFile as the probe does, in a forked child under the probe's
// memory limit and a time limit. A child that dies by a signal or runs out of time is a
// finding: its input is kept in the output folder. A clean refusal is the expected
// outcome for most inputs and counts as such.
//
//   fuzz_sheets [--seconds N] [--seed S] [--out DIR]    mutate for N seconds (default 60)
//   fuzz_sheets --replay FILE...                        read the given files once each
// Exit 0 when nothing crashed or hung, 1 otherwise.

#include "common/error.h"
#include "sheetwriter.h"
#include "db/spreadsheetfile.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr rlim_t kMemoryLimit = rlim_t(1) << 30; // the probe's limit
constexpr unsigned kSecondsPerInput = 10;

enum class Outcome { Read, Refused, OutOfMemory, Crashed, Hung };

// Reads everything in a child; the parent learns how it ended (signal: the one that
// ended a crashed child).
Outcome readInChild(const QString &path, int *signal = nullptr)
{
    std::fflush(stdout); // or the child would inherit, and may write, what is buffered
    const pid_t pid = fork();
    if (pid == 0) {
        const rlimit memory{kMemoryLimit, kMemoryLimit};
        setrlimit(RLIMIT_AS, &memory);
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        alarm(kSecondsPerInput);
        int code = 0;
        try {
            auto source = SpreadsheetFile::open(path).source;
            for (int t = 0; t < source->tableCount(); ++t) {
                const std::size_t columns = source->columns(t).size();
                auto cursor = source->openCursor(t, ~std::uint64_t(0));
                while (cursor->next())
                    for (std::size_t c = 0; c < columns; ++c)
                        cursor->cell(int(c));
            }
        } catch (const QuilloError &) {
            code = 1;
        } catch (const DbSourceError &) {
            code = 1;
        } catch (const std::bad_alloc &) {
            code = 3;
        }
        _exit(code);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return Outcome::Crashed;
    if (WIFSIGNALED(status)) {
        if (signal)
            *signal = WTERMSIG(status);
        return WTERMSIG(status) == SIGALRM ? Outcome::Hung : Outcome::Crashed;
    }
    switch (WEXITSTATUS(status)) {
    case 0: return Outcome::Read;
    case 1: return Outcome::Refused;
    case 3: return Outcome::OutOfMemory;
    default: return Outcome::Crashed;
    }
}

QByteArray mutate(QByteArray data, QRandomGenerator &rng)
{
    static const char kInteresting[] = {0, 1, 0x7F, char(0x80), char(0xFF), '<', '>', '"', '&', ':', 'A', '9'};
    const int rounds = 1 + rng.bounded(6);
    for (int i = 0; i < rounds && !data.isEmpty(); ++i) {
        const qsizetype at = rng.bounded(int(data.size()));
        const qsizetype span = 1 + rng.bounded(qMin<int>(64, int(data.size() - at)));
        switch (rng.bounded(7)) {
        case 0: data[at] = char(data[at] ^ (1 << rng.bounded(8))); break;
        case 1: data[at] = char(rng.bounded(256)); break;
        case 2: data[at] = kInteresting[rng.bounded(int(sizeof kInteresting))]; break;
        case 3: data.remove(at, span); break;
        case 4: data.insert(at, data.mid(rng.bounded(int(data.size())), span)); break;
        case 5: data.truncate(at); break;
        default:
            // A little-endian field (a zip size or offset) set to an edge value.
            for (qsizetype k = at; k < at + 4 && k < data.size(); ++k)
                data[k] = char(rng.bounded(2) ? 0xFF : 0x00);
            break;
        }
    }
    return data;
}

struct Seed
{
    QString suffix;
    QByteArray bytes;
};

QList<Seed> seeds()
{
    const QVariantMap formula{{QStringLiteral("formula"), QStringLiteral("1+1")}, {QStringLiteral("value"), 2.0}};
    const QList<XlsWriter::Sheet> sheets = {
        {QStringLiteral("Contacts"),
         {{"Name", "Mobile", "City", "Joined", "Total"},
          {"Asha Rao", 9812345678.0, "Pune", QDate(1994, 8, 4), formula},
          {"अनिता", "09812345681", "Zürich", QDateTime(QDate(2020, 1, 2), QTime(13, 45)), 2.5},
          {"n/a", QVariant(), "Delhi", QVariant(), true}}},
        {QStringLiteral("Sheet2"), {{"Phone"}, {9812345690.0}}},
    };
    QList<Seed> list;
    for (const auto format : {SheetWriter::Format::Xlsx, SheetWriter::Format::Ods})
        for (const auto zip : {SheetWriter::Zip::Stored, SheetWriter::Zip::Deflated})
            list.append({SheetWriter::suffix(format), SheetWriter::write(format, sheets, zip)});
    list.append({QStringLiteral(".csv"), SheetWriter::write(SheetWriter::Format::Csv, sheets)});
    list.append({QStringLiteral(".csv"), QByteArray("Name;City\n\"a\"\"b\";Z\xFCrich\r\n;\n\"open")});
    return list;
}

const char *nameOf(Outcome o)
{
    switch (o) {
    case Outcome::Read: return "read";
    case Outcome::Refused: return "refused";
    case Outcome::OutOfMemory: return "out of memory";
    case Outcome::Crashed: return "CRASHED";
    case Outcome::Hung: return "HUNG";
    }
    return "?";
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.value(0) == QLatin1String("--replay")) {
        int bad = 0;
        for (const QString &file : args.mid(1)) {
            const Outcome o = readInChild(file);
            std::printf("%-60s %s\n", qPrintable(file), nameOf(o));
            bad += o == Outcome::Crashed || o == Outcome::Hung;
        }
        return bad ? 1 : 0;
    }
    double seconds = 60;
    quint32 seed = quint32(QDateTime::currentMSecsSinceEpoch());
    QString outDir = QStringLiteral("fuzz-findings");
    for (int i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--seconds"))
            seconds = args[i + 1].toDouble();
        else if (args[i] == QLatin1String("--seed"))
            seed = args[i + 1].toUInt();
        else if (args[i] == QLatin1String("--out"))
            outDir = args[i + 1];
    }
    QTemporaryDir tmp;
    QRandomGenerator rng(seed);
    const QList<Seed> inputs = seeds();
    std::map<Outcome, long> counts;
    long findings = 0;
    QElapsedTimer timer;
    timer.start();
    for (long round = 0; timer.elapsed() < seconds * 1000; ++round) {
        const Seed &base = inputs[rng.bounded(int(inputs.size()))];
        const QByteArray bytes = mutate(base.bytes, rng);
        const QString path = tmp.filePath(QStringLiteral("input") + base.suffix);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return 2;
        file.close();
        int signal = 0;
        const Outcome o = readInChild(path, &signal);
        ++counts[o];
        // A file that exhausts the memory limit is refused by the probe all the same, but
        // is kept too: a small file that needs a gigabyte is worth a look.
        if (o == Outcome::Crashed || o == Outcome::Hung || o == Outcome::OutOfMemory) {
            findings += o != Outcome::OutOfMemory;
            QDir().mkpath(outDir);
            const QString kind = o == Outcome::Crashed ? QStringLiteral("crash")
                : o == Outcome::Hung                   ? QStringLiteral("hang")
                                                       : QStringLiteral("memory");
            const QString kept = QDir(outDir).filePath(QStringLiteral("%1-seed%2-round%3%4")
                                                           .arg(kind)
                                                           .arg(seed)
                                                           .arg(round)
                                                           .arg(base.suffix));
            QFile::copy(path, kept);
            std::printf("%s: %s (signal %d)\n", nameOf(o), qPrintable(kept), signal);
        }
    }
    long total = 0;
    for (const auto &[o, n] : counts)
        total += n;
    std::printf("seed %u: %ld inputs in %.1f s:", seed, total, timer.elapsed() / 1000.0);
    for (const auto &[o, n] : counts)
        std::printf(" %ld %s,", n, nameOf(o));
    std::printf(" %ld crashed or hung\n", findings);
    return findings ? 1 : 0;
}
