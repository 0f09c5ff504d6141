#pragma once

#include <QString>
#include <QtGlobal>

// The estimate of the time a run still needs, for status bar panel 4. Before anything has
// been measured (done 0) each number is reckoned at 8 seconds; afterwards the elapsed time
// per handled number times the numbers left, rounded half to even. Times are in
// milliseconds of the same clock (Clock::nowMs).
QString FormatTimeLeft(qint64 startMs, qint16 done, qint16 total, qint64 nowMs);

// The estimate in whole seconds, as FormatTimeLeft computes it.
qint64 estimateSecondsLeft(qint64 startMs, qint16 done, qint16 total, qint64 nowMs);

// "40s", "1m 20s", "1h 0m": below an hour minutes and seconds, from an hour on hours and
// minutes; minutes are whole minutes, never rounded up.
QString formatDuration(qint64 seconds);
