#pragma once

#include "cli/command_line.h"

namespace korva {

// The option names `korva-tdcr-cli measure` accepts.
CommandLine::Grammar MeasureGrammar();

// Runs one whole TDCR measurement on the instrument at --port and saves its
// three files at --out: connect, return the instrument to idle, write the
// settings, start with the chosen time reference, follow the runs, save.
// Returns the tool's exit code: 0 saved, 1 instrument, link or file
// failure, 2 usage error, 130 stopped by Ctrl-C (what was measured is saved).
int RunMeasure(const CommandLine& line);

}  // namespace korva
