#include <csignal>
#include <iostream>

#include "cli/cli_command.h"
#include "cli/measure_options.h"
#include "cli/tdcr_script.h"

namespace korva {

namespace {

extern "C" void OnInterrupt(int signal) { TdcrScript::Interrupt(signal); }

const char* const kMeasureUsage =
    "measure --port DEVICE [--baud N] --out BASE [--runs N] [--time S] [--gap S]\n"
    "              [--window-n NS] [--window-m NS] [--ext1 US] [--ext2 US] [--mode1 IDT|CDT] [--mode2 "
    "IDT|CDT]\n"
    "              [--threshold-a MV] [--threshold-b MV] [--threshold-c MV]\n"
    "              [--polarity-a neg|pos] [--polarity-b neg|pos] [--polarity-c neg|pos] [--stop-timer NAME]\n"
    "              [--ref-clock none|int|ext] [--reference system|local|utc] [--ntp-server HOST[:PORT]]\n"
    "              [--tag T] [--operator T] [--nuclides T] [--cocktail T] [--hv T] [--overwrite] "
    "[--discard-unsaved]";

CommandLine::Grammar MeasureGrammar() {
  return {
      {"port",        "baud",       "out",        "runs",       "time",       "gap",         "window-n",
       "window-m",    "ext1",       "ext2",       "mode1",      "mode2",      "threshold-a", "threshold-b",
       "threshold-c", "polarity-a", "polarity-b", "polarity-c", "stop-timer", "ref-clock",   "reference",
       "ntp-server",  "tag",        "operator",   "nuclides",   "cocktail",   "hv"},
      {"overwrite", "discard-unsaved"}};
}

std::optional<MeasureOptions> ReadOptions(const CommandLine& line) {
  std::string error;
  std::optional<MeasureOptions> options = ReadMeasureOptions(line, error);
  if (!options) ReportUsageError(error);
  return options;
}

// Settings, a run sequence to its end, then the files. Nothing reaches the
// instrument before the files are known to be creatable.
int Measure(const CommandLine& line) {
  const std::optional<MeasureOptions> options = ReadOptions(line);
  if (!options) return kExitUsage;
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
  TdcrScript script(*options);
  bool started = false;
  const bool done = script.CheckOutputFiles() && script.ConnectAndRead() && script.CheckThresholds() &&
                    script.ReturnToIdle() && (script.WriteSettings(), script.Settle()) &&
                    script.ChooseReference() && (started = true, script.Start(), script.FollowRuns()) &&
                    script.Save();
  if (!done && started && script.LinkLost()) script.SaveAfterLinkLoss();
  script.Disconnect();
  if (!done) return script.UsageRefused() ? kExitUsage : kExitFailure;
  if (!TdcrScript::Interrupted()) return kExitOk;
  return TdcrScript::InterruptingSignal() == SIGTERM ? kExitTerminated : kExitInterrupted;
}

// Stops a measurement the instrument runs (one a measure left running)
// and, given --out, saves it as the save command does.
int Stop(const CommandLine& line) {
  const std::optional<std::string> port = line.Value("port");
  if (!port) return ReportUsageError("stop needs --port DEVICE");
  MeasureOptions options;
  options.port = *port;
  if (!ReadBaudOption(line, options.baud)) return kExitUsage;
  options.outBase = line.Value("out").value_or("");
  options.tag = line.Value("tag").value_or(options.tag);
  options.overwrite = line.Has("overwrite");
  if (options.outBase.empty() && (line.Has("tag") || options.overwrite))
    return ReportUsageError("--tag and --overwrite need --out");
  TdcrScript script(options);
  const bool saving = !options.outBase.empty();
  const bool done = (!saving || script.CheckOutputFiles()) && script.ConnectAndRead() &&
                    script.StopRunning() && (!saving || (script.ReadWholeMemory() && script.Save()));
  script.Disconnect();
  return done ? kExitOk : kExitFailure;
}

// Saves the measurement the instrument holds, completed or stopped, saved
// or not; a save that fails leaves it unsaved on the instrument.
int Save(const CommandLine& line) {
  const std::optional<MeasureOptions> options = ReadOptions(line);
  if (!options) return kExitUsage;
  TdcrScript script(*options);
  const bool done =
      script.CheckOutputFiles() && script.ConnectAndRead() && script.ReadWholeMemory() && script.Save();
  script.Disconnect();
  return done ? kExitOk : kExitFailure;
}

}  // namespace

std::vector<CliCommand> TdcrCommands() {
  return {
      {"measure", kMeasureUsage, MeasureGrammar(), Measure},
      {"save",
       "save --port DEVICE [--baud N] --out BASE [--tag T] [--overwrite]",
       {{"port", "baud", "out", "tag"}, {"overwrite"}},
       Save},
      {"stop",
       "stop --port DEVICE [--baud N] [--out BASE [--tag T] [--overwrite]]",
       {{"port", "baud", "out", "tag"}, {"overwrite"}},
       Stop},
  };
}

}  // namespace korva
