#pragma once

#include "common/comdetails.h"
#include "sending/simcounts.h"

#include <QList>
#include <QString>
#include <memory>
#include <random>

// Pacing keeps a SIM card alive: operators block SIMs that send in bursts or too much. Each
// modem may have a random pause between messages and caps on what its SIM sends. The caps
// are rolling windows: SMS parts in the last 60 minutes and the last 24 hours, and distinct
// recipients in the last 24 hours, counted per SIM across runs (simcounts.h). A rolling
// window never lets a burst through at a boundary, as a calendar hour would at :59 and :00.

struct PacingLimits
{
    int minPauseMs = 0; // the pause between two messages, drawn from [min, max]
    int maxPauseMs = 0;
    int partsPerHour = 0; // 0: no cap
    int partsPerDay = 0;
    int recipientsPerDay = 0;

    bool hasPause() const { return maxPauseMs > 0; }
    bool hasCaps() const { return partsPerHour > 0 || partsPerDay > 0 || recipientsPerDay > 0; }
    bool isSet() const { return hasPause() || hasCaps(); }
};

// The field names an operator sees, in the dialog and in refusals.
namespace pacingfield {
inline const QString kMinPause = QStringLiteral("Min pause (s)");
inline const QString kMaxPause = QStringLiteral("Max pause (s)");
inline const QString kPartsPerHour = QStringLiteral("Parts per hour");
inline const QString kPartsPerDay = QStringLiteral("Parts per day");
inline const QString kRecipientsPerDay = QStringLiteral("Recipients per day");
} // namespace pacingfield

// The bounds of the values.
constexpr double kMaxPauseSeconds = 3600;
constexpr int kMaxCap = 1000000;

// One value's refusal ("Parts per hour: '-3' is not a whole number from 1 to 1000000"), or
// empty text when it is fine; an empty value is always fine.
QString pauseRefusal(const QString &field, const QString &seconds);
QString capRefusal(const QString &field, const QString &count);

// The stored texts read into limits; the refusal names the field (and the pauses when the
// minimum is above the maximum). A pause given alone is both bounds: a fixed pause.
QString readPacing(const ModemPacing &texts, PacingLimits &limits);

// The first bad pacing of the run's modems, naming the modem and the field; empty when all
// read. first: the stored settings (the first modem); more: the further modems.
QString pacingProblem(const ComDetails &first, const QList<ModemPort> &more);
// Each modem's limits, first then more; a modem whose texts do not read has none.
QList<PacingLimits> pacingOfModems(const ComDetails &first, const QList<ModemPort> &more);

// Whether one more message fits a modem's caps; when it does not, the cap that holds it back
// ("5 SMS parts per hour") and when the message will fit (ms since 1970, UTC).
struct CapCheck
{
    bool fits = true;
    QString cap;
    qint64 resumeMs = 0;
};

// records: the SIM's, oldest first. A message of more parts than a cap still goes once the
// window is empty, so a long text is never held back for ever.
CapCheck checkCaps(const PacingLimits &limits, const QList<SentRecord> &records, qint64 nowMs, int parts,
                   const QString &number);

// One modem's pacing in a run: its limits, its SIM's counts (shared by modems that show the
// same SIM) and its own random source, seeded so a test can repeat the pauses.
class ModemPacer
{
public:
    ModemPacer(PacingLimits limits, std::shared_ptr<SimCounts> counts, quint32 seed)
        : m_limits(limits), m_counts(std::move(counts)), m_random(seed)
    {
    }

    const PacingLimits &limits() const { return m_limits; }
    CapCheck check(qint64 nowMs, int parts, const QString &number) const;
    // The pause before the next message, in ms; 0 without a pause.
    int nextPauseMs();
    // A message was sent: the SIM's counts take it at once (throws as SimCounts::add).
    void sent(qint64 nowMs, int parts, const QString &number);

private:
    PacingLimits m_limits;
    std::shared_ptr<SimCounts> m_counts; // null without caps
    std::mt19937 m_random;
};

// The status line of a run paused because no modem may take the next number: the caps
// that hold the modems back (one check per modem of the run) and the time it resumes, as
// local time of day, with the date when it is not today.
QString pausedStatus(const QList<CapCheck> &held, qint64 resumeMs, qint64 nowMs);
