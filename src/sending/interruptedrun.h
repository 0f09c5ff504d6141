#pragma once

#include "sending/runjournal.h"

#include <QString>

// What the program says about a run a crash interrupted: when it started, how many numbers
// were sent, failed and not tried, and the one number that may or may not have gone.
// Lines end with CR LF, as in the window's message boxes.
QString interruptedRunSummary(const RunJournalState &run);
// The numbers that may or may not have gone (one per modem that was sending), joined by ", ".
QString uncertainNumbers(const RunJournalState &run);
