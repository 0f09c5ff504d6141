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

using Key = std::tuple<QString, qint64, qint64>; // path, size, modification time (ms)

QMutex g_mutex;
std::map<Key, bool> g_verdicts;

QString probeProgram()
{
    // Beside the running program, in the build as after installing; the tests and
    // benchmarks run from other folders of the build.
    const QString beside = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath() + QStringLiteral("/quillo-probe");
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QStringLiteral(QUILLO_PROBE_BUILD_DIR "/quillo-probe");
}

// False only when the probe started and did not end with exit code 0.
bool probeSaysSafe(FileProbe::Reader reader, const QString &path)
{
    QProcess probe;
    probe.setStandardOutputFile(QProcess::nullDevice());
    probe.setStandardErrorFile(QProcess::nullDevice());
    probe.start(probeProgram(),
                {reader == FileProbe::Reader::Access ? QStringLiteral("access") : QStringLiteral("excel"), path});
    // Without the probe (a broken install) the file is opened as it always was.
    if (!probe.waitForStarted())
        return true;
    if (!probe.waitForFinished(int(std::chrono::milliseconds(kProbeTimeLimit).count()))) {
        probe.kill();
        probe.waitForFinished();
        return false;
    }
    return probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
}

} // namespace

void FileProbe::requireSafe(Reader reader, const QString &path, const QString &sourceName)
{
    const QFileInfo info(path);
    const Key key{info.absoluteFilePath(), info.size(), info.lastModified().toMSecsSinceEpoch()};
    bool safe;
    {
        QMutexLocker lock(&g_mutex);
        auto found = g_verdicts.find(key);
        if (found == g_verdicts.end())
            found = g_verdicts.emplace(key, probeSaysSafe(reader, path)).first;
        safe = found->second;
    }
    if (!safe)
        throw QuilloError(DbErrors::kOpenFailed,
                          QStringLiteral("The file '%1' is damaged and could not be read safely.").arg(path),
                          sourceName);
}
