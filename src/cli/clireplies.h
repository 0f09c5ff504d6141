#pragma once

#include "cliarguments.h"

#include "kestrel/smscomponent.h"

#include <cstdio>

// `replies [--listen DURATION --port P]`: with --listen, first hears the modem (the stored
// settings with --port) for that long, each reply handled as replyhandler.h says; then the
// replies log to out, newest first, one reply a line, fields separated by TAB: time, modem,
// sender, STOP or nothing, the text (escaped as the log escapes it, so a line is a reply),
// and the file name of the number's last run. Failures go to standard error. Returns the
// exit status (clicommands.h).
int runReplies(const CliCommand &command, const QString &dataFolder, const SmsComponentFactory &factory,
               std::FILE *out);
