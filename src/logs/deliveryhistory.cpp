#include "deliveryhistory.h"

#include "common/csvline.h"
#include "common/error.h"
#include "sending/deliverytracker.h"
#include "sending/runjournal.h"
#include "sending/runjournalformat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>
#include <vector>

namespace {

enum class Asked { Yes, No, Unknown };

struct JournalHead
{
    QDateTime started;
    Asked asked = Asked::Unknown;
};

// The start of a journal: its first record's time, and whether its options ask for reports.
// The options come before the first number, so a few kilobytes tell; a start that cannot be
// read through leaves the question to the whole journal.
JournalHead readHead(const QString &path)
{
    constexpr qint64 kWindow = 64 * 1024;
    JournalHead head;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return head;
    const QList<QByteArray> lines = journalformat::completeLines(file.read(kWindow));
    if (lines.isEmpty())
        return head;
    const QByteArray &first = lines.first();
    head.started = QDateTime::fromString(QString::fromUtf8(first.left(first.indexOf('\t'))), Qt::ISODateWithMs);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString word = journalformat::wordOf(lines.at(i));
        if (word == u"number" || word == u"begin") {
            head.asked = Asked::No;
            break;
        }
        if (word != u"option")
            continue;
        const auto option = journalformat::parseLine(QString::fromUtf8(lines.at(i)));
        if (option && option->fields == QStringList{kDeliveryReportsOption, QStringLiteral("1")}) {
            head.asked = Asked::Yes;
            break;
        }
    }
    return head;
}

std::optional<DeliveryRun> readRun(const QString &path)
{
    const JournalHead head = readHead(path);
    if (head.asked == Asked::No)
        return std::nullopt;
    DeliveryRun run;
    run.fileName = QFileInfo(path).fileName();
    run.started = head.started.isValid() ? head.started : parseRunJournalName(run.fileName).second;
    RunJournalState state;
    try {
        state = readRunJournal(path);
    } catch (const QuilloError &error) {
        run.error = error.description();
        return run;
    }
    if (!state.deliveryReports)
        return std::nullopt;
    // A run with one modem names it once, in its options.
    const QString runModem = state.start.option(QStringLiteral("gateway")).isEmpty() ? state.start.option(QStringLiteral("port"))
                                                                                   : DeliveryTracker::kGateway;
    for (qsizetype pos = 0; pos < state.positions.size(); ++pos) {
        const RunPosition &p = state.positions.at(pos);
        if (!p.delivery)
            continue;
        run.rows.append(DeliveryRow{state.start.numbers.at(pos), p.modem.isEmpty() ? runModem : p.modem,
                                    *p.delivery, p.deliveryReason, p.deliveryTime});
        run.counts.add(*p.delivery);
    }
    return run;
}

// Reading a journal is mostly parsing its lines, and the first load of a busy folder reads
// hundreds of them: each processor takes its share of the journals.
std::vector<std::optional<DeliveryRun>> readRuns(const QStringList &paths)
{
    std::vector<std::optional<DeliveryRun>> runs(size_t(paths.size()));
    std::atomic<qsizetype> next{0};
    std::exception_ptr failure;
    std::atomic_flag failed = ATOMIC_FLAG_INIT;
    const auto work = [&] {
        try {
            for (qsizetype i; (i = next++) < paths.size();)
                runs[size_t(i)] = readRun(paths.at(i));
        } catch (...) {
            if (!failed.test_and_set())
                failure = std::current_exception();
            next = paths.size();
        }
    };
    const qsizetype helpers = std::min<qsizetype>(paths.size(), std::thread::hardware_concurrency()) - 1;
    std::vector<std::thread> threads;
    for (qsizetype i = 0; i < helpers; ++i)
        threads.emplace_back(work);
    work();
    for (std::thread &thread : threads)
        thread.join();
    if (failure)
        std::rethrow_exception(failure); // out of memory, say: not a journal's fault
    return runs;
}

QString csvTime(const QDateTime &when)
{
    // Qt leaves the offset out of a local time unless it is fixed first.
    return when.isValid() ? when.toOffsetFromUtc(when.offsetFromUtc()).toString(Qt::ISODate) : QString();
}

} // namespace

DeliveryCounts &DeliveryCounts::operator+=(const DeliveryCounts &other)
{
    for (size_t i = 0; i < byStatus.size(); ++i)
        byStatus[i] += other.byStatus[i];
    return *this;
}

int DeliveryCounts::total() const
{
    int sum = 0;
    for (const int count : byStatus)
        sum += count;
    return sum;
}

bool DeliveryHistory::load(const QString &logsFolder)
{
    if (logsFolder != m_folder) {
        m_known.clear();
        m_folder = logsFolder;
    }
    const QFileInfoList files = QDir(logsFolder).entryInfoList({QStringLiteral("run-*.journal")}, QDir::Files);
    QHash<QString, Known> now;
    QList<QFileInfo> changedFiles;
    for (const QFileInfo &file : files) {
        const auto known = m_known.constFind(file.fileName());
        if (known != m_known.cend() && known->size == file.size() && known->modified == file.lastModified())
            now.insert(file.fileName(), *known);
        else
            changedFiles += file;
    }
    QStringList paths;
    for (const QFileInfo &file : std::as_const(changedFiles))
        paths += file.filePath();
    std::vector<std::optional<DeliveryRun>> read = readRuns(paths);
    for (qsizetype i = 0; i < changedFiles.size(); ++i) {
        const QFileInfo &file = changedFiles.at(i);
        now.insert(file.fileName(), {file.size(), file.lastModified(), std::move(read[size_t(i)])});
    }
    const bool changed = !changedFiles.isEmpty() || now.size() != m_known.size(); // or a journal was deleted
    m_known = std::move(now);
    if (!changed)
        return false;

    m_runs.clear();
    for (const Known &known : std::as_const(m_known))
        if (known.run)
            m_runs += *known.run;
    std::sort(m_runs.begin(), m_runs.end(), [](const DeliveryRun &a, const DeliveryRun &b) {
        return a.started != b.started ? a.started > b.started : parseRunJournalName(a.fileName).sameSecond > parseRunJournalName(b.fileName).sameSecond;
    });
    return true;
}

DeliveryCounts DeliveryHistory::totals() const
{
    DeliveryCounts sum;
    for (const DeliveryRun &run : m_runs)
        sum += run.counts;
    return sum;
}

QStringList DeliveryHistory::pendingJournals() const
{
    QStringList paths;
    for (const DeliveryRun &run : m_runs)
        if (run.counts[gsm::DeliveryStatus::Pending] > 0)
            paths += QDir(m_folder).filePath(run.fileName);
    return paths;
}

QByteArray deliveryCsv(const QList<DeliveryRun> &runs)
{
    QByteArray out = csvLine({QStringLiteral("run start"), QStringLiteral("journal"), QStringLiteral("number"),
                              QStringLiteral("modem"), QStringLiteral("status"), QStringLiteral("reason"),
                              QStringLiteral("report time")});
    for (const DeliveryRun &run : runs) {
        const QString started = csvTime(run.started);
        if (!run.error.isEmpty())
            out += csvLine({started, run.fileName, {}, {}, QStringLiteral("unreadable"), run.error, {}});
        for (const DeliveryRow &row : run.rows)
            out += csvLine({started, run.fileName, row.number, row.modem, gsm::statusName(row.status), row.reason,
                            csvTime(row.reported)});
    }
    return out;
}
