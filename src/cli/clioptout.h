#pragma once

#include "cliarguments.h"

#include <cstdio>

class NumberNormaliser;

// `optout add|remove|list`: the opt-out list of the data folder (optoutlist.h). What changed
// goes to out, notes and refusals to standard error; the file is written once, after every
// number was checked, or not at all. Returns the exit status (clicommands.h).
int runOptOut(const CliCommand &command, const QString &dataFolder, const NumberNormaliser &normaliser,
              std::FILE *out);
