#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

// The modem's measured speed, for the estimate before a run: speed.txt in the logs folder,
// one line per measured run, the newest last, at most kKeptRuns lines:
//   <time, ISO 8601 with offset> TAB <seconds per SMS part, "." decimal> TAB <parts measured>
//   2026-01-05T10:04:31+05:30	2.850	12
// The time per part is what the modem and network take, without the Send Delay (the
// estimate adds the delay as the settings stand). A line that does not read so is ignored.
namespace runspeed {

constexpr int kKeptRuns = 10;
// What a part is reckoned at before any run was measured: a submit through a GSM modem
// takes 2 to 4 seconds.
constexpr double kDefaultSecondsPerPart = 3.0;

QString speedFile(const QString &logsFolder);

// The seconds per part of the runs kept, oldest first; none when the file is missing.
QList<double> readMeasuredSpeeds(const QString &logsFolder);

// Appends one run (keeping the newest kKeptRuns lines). A run that measured nothing (no
// part, no time) is not recorded. Failures to write are the caller's to ignore: the record
// only improves an estimate.
void recordRunSpeed(const QString &logsFolder, qint64 elapsedMs, int parts, int sendDelayMs, const QDateTime &when);

// The median of the measured speeds, or kDefaultSecondsPerPart when there are none.
double secondsPerPart(const QList<double> &measured);

// Seconds for parts: each part at perPart, and the Send Delay between two parts.
qint64 estimatedSeconds(int parts, double perPart, int sendDelayMs);

} // namespace runspeed
