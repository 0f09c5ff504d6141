#include "timeleft.h"

#include "common/numeric.h"

namespace {

// What one number is reckoned to take before the first one has been measured.
constexpr qint64 kSecondsPerNumberGuess = 8;

} // namespace

qint64 estimateSecondsLeft(qint64 startMs, qint16 done, qint16 total, qint64 nowMs)
{
    if (done == 0)
        return qint64(total) * kSecondsPerNumberGuess;
    // A clock set back during the run gives no negative estimate.
    const qint64 elapsed = std::max<qint64>(0, (nowMs - startMs) / 1000);
    const double seconds = double(elapsed) / double(done) * double(qint32(total) - qint32(done));
    return qint64(roundHalfEven(seconds));
}

QString formatDuration(qint64 seconds)
{
    if (seconds < 60)
        return QStringLiteral("%1s").arg(seconds);
    if (seconds < 3600)
        return QStringLiteral("%1m %2s").arg(seconds / 60).arg(seconds % 60);
    const qint64 minutes = seconds / 60;
    return QStringLiteral("%1h %2m").arg(minutes / 60).arg(minutes % 60);
}

QString FormatTimeLeft(qint64 startMs, qint16 done, qint16 total, qint64 nowMs)
{
    return formatDuration(estimateSecondsLeft(startMs, done, total, nowMs));
}
