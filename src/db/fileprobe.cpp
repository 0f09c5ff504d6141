#include "fileprobe.h"

#include "common/error.h"
#include "dberrors.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QProcess>
#include <chrono>
#include <map>
#include <tuple>

namespace {

// A workbook of 65,535 rows reads in well under a second; a reader that loops is cut off.
constexpr std::chrono::seconds kProbeTimeLimit{20};

// reader, path, size, modification time (ms): one file refused by one reader may still
// open with the other.
using Key = std::tuple<int, QString, qint64, qint64>;

struct Verdict
{
    bool safe = true;
    bool refused = false; // read cleanly to an error, below
    qint32 number = 0;
    QString source;
    QString description;
};

QMutex g_mutex;
std::map<Key, Verdict> g_verdicts;

QString probeProgram()
{
    // Beside the running program, in the build as after installing; the tests and
    // benchmarks run from other folders of the build.
    const QString beside = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath() + QStringLiteral("/quillo-probe");
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QStringLiteral(QUILLO_PROBE_BUILD_DIR "/quillo-probe");
}

// Unsafe only when the probe started and did not end with exit code 0 or a refusal.
Verdict probe(FileProbe::Reader reader, const QString &path)
{
    constexpr int kRefused = 4;
    QProcess probe;
    probe.setStandardErrorFile(QProcess::nullDevice());
    probe.start(probeProgram(),
                {reader == FileProbe::Reader::Access ? QStringLiteral("access") : QStringLiteral("excel"), path});
    // Without the probe (a broken install) the file is opened as it always was.
    if (!probe.waitForStarted())
        return {};
    Verdict unsafe;
    unsafe.safe = false;
    if (!probe.waitForFinished(int(std::chrono::milliseconds(kProbeTimeLimit).count()))) {
        probe.kill();
        probe.waitForFinished();
        return unsafe;
    }
    if (probe.exitStatus() != QProcess::NormalExit)
        return unsafe;
    if (probe.exitCode() == 0)
        return {};
    if (probe.exitCode() != kRefused)
        return unsafe;
    // After the mark: number, source, description (the rest, which may hold line breaks).
    const QByteArray mark = "\nquillo-probe refused\n";
    const QByteArray all = probe.readAllStandardOutput();
    const qsizetype at = all.lastIndexOf(mark);
    if (at < 0)
        return unsafe;
    const QString out = QString::fromUtf8(all.mid(at + mark.size()));
    const qsizetype first = out.indexOf(u'\n');
    const qsizetype second = first < 0 ? -1 : out.indexOf(u'\n', first + 1);
    bool ok = false;
    Verdict refused;
    refused.number = out.left(first).toInt(&ok);
    if (second < 0 || !ok || refused.number == 0)
        return unsafe;
    refused.refused = true;
    refused.source = out.mid(first + 1, second - first - 1);
    refused.description = out.mid(second + 1);
    return refused;
}

} // namespace

void FileProbe::requireSafe(Reader reader, const QString &path, const QString &sourceName)
{
    const QFileInfo info(path);
    const Key key{int(reader), info.absoluteFilePath(), info.size(), info.lastModified().toMSecsSinceEpoch()};
    Verdict verdict;
    {
        QMutexLocker lock(&g_mutex);
        auto found = g_verdicts.find(key);
        if (found == g_verdicts.end())
            found = g_verdicts.emplace(key, probe(reader, path)).first;
        verdict = found->second;
    }
    if (!verdict.safe)
        throw QuilloError(DbErrors::kOpenFailed,
                          QStringLiteral("The file '%1' is damaged and could not be read safely.").arg(path),
                          sourceName);
    if (verdict.refused)
        throw QuilloError(verdict.number, verdict.description,
                          verdict.source.isEmpty() ? sourceName : verdict.source);
}
