#include "runspeed.h"

#include "common/ansitext.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <optional>

namespace runspeed {

QString speedFile(const QString &logsFolder)
{
    return QDir(logsFolder).filePath(QStringLiteral("speed.txt"));
}

namespace {

QStringList readLines(const QString &logsFolder)
{
    QFile file(speedFile(logsFolder));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

std::optional<double> speedOf(const QString &line)
{
    const QStringList fields = line.trimmed().split(QLatin1Char('\t'));
    if (fields.size() != 3 || !QDateTime::fromString(fields.at(0), Qt::ISODate).isValid())
        return std::nullopt;
    bool ok = false, partsOk = false;
    const double seconds = fields.at(1).toDouble(&ok);
    const int parts = fields.at(2).toInt(&partsOk);
    if (!ok || !partsOk || !std::isfinite(seconds) || seconds < 0 || parts <= 0)
        return std::nullopt;
    return seconds;
}

} // namespace

QList<double> readMeasuredSpeeds(const QString &logsFolder)
{
    QList<double> speeds;
    for (const QString &line : readLines(logsFolder)) {
        if (const std::optional<double> seconds = speedOf(line))
            speeds << *seconds;
    }
    return speeds;
}

void recordRunSpeed(const QString &logsFolder, qint64 elapsedMs, int parts, int sendDelayMs, const QDateTime &when)
{
    if (parts <= 0 || elapsedMs <= 0)
        return;
    // The delay is kept between two parts, never before the first.
    const qint64 working = std::max<qint64>(0, elapsedMs - qint64(parts - 1) * std::max(0, sendDelayMs));
    const double perPart = double(working) / 1000.0 / parts;
    QStringList kept;
    for (const QString &line : readLines(logsFolder)) {
        if (speedOf(line))
            kept << line.trimmed();
    }
    kept << QStringLiteral("%1\t%2\t%3")
                .arg(when.toOffsetFromUtc(when.offsetFromUtc()).toString(Qt::ISODate))
                .arg(perPart, 0, 'f', 3)
                .arg(parts);
    kept = kept.mid(std::max<qsizetype>(0, kept.size() - kKeptRuns));
    writeFileBytes(speedFile(logsFolder), (kept.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
}

double secondsPerPart(const QList<double> &measured)
{
    if (measured.isEmpty())
        return kDefaultSecondsPerPart;
    QList<double> sorted = measured;
    std::sort(sorted.begin(), sorted.end());
    const qsizetype middle = sorted.size() / 2;
    return sorted.size() % 2 ? sorted.at(middle) : (sorted.at(middle - 1) + sorted.at(middle)) / 2;
}

qint64 estimatedSeconds(int parts, double perPart, int sendDelayMs)
{
    if (parts <= 0)
        return 0;
    const double ms = parts * perPart * 1000.0 + double(parts - 1) * std::max(0, sendDelayMs);
    return qint64(std::llround(ms / 1000.0));
}

} // namespace runspeed
