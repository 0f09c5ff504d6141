#pragma once

#include "cliarguments.h"

#include "common/appcontext.h"

#include <cstdio>

// The exit statuses of quillo-cli.
enum CliStatus : int { kAllSent = 0, kSomeNotSent = 1, kBadInput = 2, kInterrupted = 3 };

class NumberNormaliser;
// `numbers`: the numbers of the source to out, one per line.
int runNumbers(const SourceOptions &source, const NumberNormaliser &normaliser, Dialogs &dialogs, std::FILE *out);

class TerminalDialogs;
// `send`: a sending run of the source's numbers with the stored settings and the options'
// overrides, progress to out (a bar when terminal is true), the run's messages to dialogs,
// which is context.dialogs.
int runSend(const CliCommand &command, AppContext &context, TerminalDialogs &dialogs, std::FILE *out,
            bool terminal);

// `resume`: continues an interrupted run from its journal (command.journal, or the newest
// unfinished one of the data folder's logs) with the numbers it did not send.
int runResume(const CliCommand &command, AppContext &context, TerminalDialogs &dialogs, std::FILE *out,
              bool terminal);

// The stored settings with the Settings tab's load defaults, then the options given (the
// pacing options over the first modem's pacing).
ComDetails runSettings(const ComDetails &stored, const SendOptions &options);
// The run's modems after the first: with --port, those of the further --port options, each
// with the run's port settings and pacing (details, from runSettings); without, the stored
// ones, with the pacing options over each one's pacing.
QList<ModemPort> runMoreModems(const QList<ModemPort> &stored, const ComDetails &details, const SendOptions &options);

// The message of the options: --message as typed or the message file, its line ends at the
// end dropped, every line end made CR LF as the composer's box holds them. Throws QuilloError
// with the file named when the file cannot be read.
QString commandMessage(const SendOptions &options);
