#include "pacing.h"

#include "common/numeric.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <cmath>

namespace {

constexpr qint64 kHourMs = 3600 * 1000;

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

// The records of the window that ends now, as the index of the first one inside it.
qsizetype firstInWindow(const QList<SentRecord> &records, qint64 nowMs, qint64 windowMs)
{
    qsizetype first = 0;
    while (first < records.size() && records[first].atMs <= nowMs - windowMs)
        ++first;
    return first;
}

// A cap on the parts of a window: when the message fits, or the time the oldest records have
// left the window so that it does.
CapCheck partsCap(const QList<SentRecord> &records, qint64 nowMs, qint64 windowMs, int cap, int parts,
                  const QString &name)
{
    if (cap <= 0)
        return {};
    qsizetype first = firstInWindow(records, nowMs, windowMs);
    int used = 0;
    for (qsizetype i = first; i < records.size(); ++i)
        used += records[i].parts;
    if (used == 0 || used + parts <= cap)
        return {};
    qint64 resume = nowMs;
    while (first < records.size() && used > 0 && used + parts > cap) {
        used -= records[first].parts;
        resume = records[first].atMs + windowMs;
        ++first;
    }
    return {false, QStringLiteral("%1 %2").arg(cap).arg(name), resume};
}

CapCheck recipientsCap(const QList<SentRecord> &records, qint64 nowMs, int cap, const QString &number)
{
    if (cap <= 0)
        return {};
    qsizetype first = firstInWindow(records, nowMs, SimCounts::kDayMs);
    QHash<QString, int> messages; // per recipient, in the window
    for (qsizetype i = first; i < records.size(); ++i)
        ++messages[records[i].number];
    if (messages.contains(number) || messages.size() < cap)
        return {};
    qint64 resume = nowMs;
    while (messages.size() >= cap) {
        const SentRecord &oldest = records[first++];
        if (--messages[oldest.number] == 0)
            messages.remove(oldest.number);
        resume = oldest.atMs + SimCounts::kDayMs;
    }
    return {false, QStringLiteral("%1 recipients per day").arg(cap), resume};
}

} // namespace

QString pauseRefusal(const QString &field, const QString &seconds)
{
    if (seconds.trimmed().isEmpty())
        return {};
    const std::optional<double> value = parseNumericText(seconds, QLocale::c());
    if (!value || *value < 0 || *value > kMaxPauseSeconds)
        return QStringLiteral("%1: %2 is not a number of seconds from 0 to %3")
            .arg(field, quoted(seconds)).arg(kMaxPauseSeconds);
    return {};
}

QString capRefusal(const QString &field, const QString &count)
{
    if (count.trimmed().isEmpty())
        return {};
    bool ok = false;
    const qint64 value = count.trimmed().toLongLong(&ok);
    if (!ok || value < 1 || value > kMaxCap)
        return QStringLiteral("%1: %2 is not a whole number from 1 to %3 (leave it empty for no cap)")
            .arg(field, quoted(count)).arg(kMaxCap);
    return {};
}

QString readPacing(const ModemPacing &texts, PacingLimits &limits)
{
    using namespace pacingfield;
    limits = {};
    for (const QString &refusal :
         {pauseRefusal(kMinPause, texts.MinPause), pauseRefusal(kMaxPause, texts.MaxPause),
          capRefusal(kPartsPerHour, texts.PartsPerHour), capRefusal(kPartsPerDay, texts.PartsPerDay),
          capRefusal(kRecipientsPerDay, texts.RecipientsPerDay)}) {
        if (!refusal.isEmpty())
            return refusal;
    }
    const auto ms = [](const QString &seconds) {
        return seconds.trimmed().isEmpty() ? -1 : int(std::lround(*parseNumericText(seconds, QLocale::c()) * 1000));
    };
    limits.minPauseMs = ms(texts.MinPause);
    limits.maxPauseMs = ms(texts.MaxPause);
    if (limits.minPauseMs < 0)
        limits.minPauseMs = std::max(0, limits.maxPauseMs);
    if (limits.maxPauseMs < 0)
        limits.maxPauseMs = limits.minPauseMs;
    if (limits.minPauseMs > limits.maxPauseMs) {
        const QString refusal = QStringLiteral("%1 %2 is more than %3 %4").arg(kMinPause, texts.MinPause, kMaxPause,
                                                                                texts.MaxPause);
        limits = {};
        return refusal;
    }
    limits.partsPerHour = texts.PartsPerHour.trimmed().toInt();
    limits.partsPerDay = texts.PartsPerDay.trimmed().toInt();
    limits.recipientsPerDay = texts.RecipientsPerDay.trimmed().toInt();
    return {};
}

QString pacingProblem(const ComDetails &first, const QList<ModemPort> &more)
{
    PacingLimits limits;
    if (const QString refusal = readPacing(first.Pacing, limits); !refusal.isEmpty())
        return QStringLiteral("The pacing of the modem on %1: %2.").arg(first.Port, refusal);
    for (const ModemPort &modem : more) {
        if (const QString refusal = readPacing(modem.Pacing, limits); !refusal.isEmpty())
            return QStringLiteral("The pacing of the modem on %1: %2.").arg(modem.Port, refusal);
    }
    return {};
}

QList<PacingLimits> pacingOfModems(const ComDetails &first, const QList<ModemPort> &more)
{
    QList<PacingLimits> all(more.size() + 1);
    readPacing(first.Pacing, all[0]);
    for (qsizetype i = 0; i < more.size(); ++i)
        readPacing(more[i].Pacing, all[i + 1]);
    return all;
}

CapCheck checkCaps(const PacingLimits &limits, const QList<SentRecord> &records, qint64 nowMs, int parts,
                   const QString &number)
{
    // Every cap must let the message through; it waits for the one that frees last.
    CapCheck held;
    for (const CapCheck &check :
         {partsCap(records, nowMs, kHourMs, limits.partsPerHour, parts, QStringLiteral("SMS parts per hour")),
          partsCap(records, nowMs, SimCounts::kDayMs, limits.partsPerDay, parts, QStringLiteral("SMS parts per day")),
          recipientsCap(records, nowMs, limits.recipientsPerDay, number)}) {
        if (!check.fits && (held.fits || check.resumeMs > held.resumeMs))
            held = check;
    }
    return held;
}

CapCheck ModemPacer::check(qint64 nowMs, int parts, const QString &number) const
{
    if (!m_counts || !m_limits.hasCaps())
        return {};
    return checkCaps(m_limits, m_counts->records(), nowMs, parts, number);
}

int ModemPacer::nextPauseMs()
{
    if (!m_limits.hasPause())
        return 0;
    return std::uniform_int_distribution<int>(m_limits.minPauseMs, m_limits.maxPauseMs)(m_random);
}

void ModemPacer::sent(qint64 nowMs, int parts, const QString &number)
{
    if (m_counts)
        m_counts->add(nowMs, parts, number);
}

QString pausedStatus(const QList<CapCheck> &held, qint64 resumeMs, qint64 nowMs)
{
    QStringList caps;
    for (const CapCheck &check : held) {
        if (!caps.contains(check.cap))
            caps << check.cap;
    }
    const QString who = held.size() == 1 ? QStringLiteral("the modem has") : QStringLiteral("every modem has");
    const QString what = caps.size() == 1 ? QStringLiteral("its cap of %1").arg(caps.front())
                                          : QStringLiteral("a cap (%1)").arg(caps.join(QStringLiteral("; ")));
    // Shown to the minute, rounded up: the run does not go on before the time it shows.
    const QDateTime resume = QDateTime::fromMSecsSinceEpoch((resumeMs + 59999) / 60000 * 60000);
    const bool today = resume.date() == QDateTime::fromMSecsSinceEpoch(nowMs).date();
    const QString at = resume.toString(today ? QStringLiteral("HH:mm") : QStringLiteral("yyyy-MM-dd HH:mm"));
    return QStringLiteral("Paused: %1 reached %2; resuming at %3").arg(who, what, at);
}
