#include <algorithm>
#include <csignal>

#include "cli/cli_command.h"
#include "cli/output_files.h"
#include "cli/spectrum_script.h"
#include "spectrum/acquisition_times.h"
#include "spectrum/amplifier_gain.h"
#include "spectrum/spectrum_record.h"

namespace korva {

namespace {

extern "C" void OnSpectrumInterrupt(int) { SpectrumScript::Interrupt(); }

const char* const kSpectrumUsage =
    "spectrum --port DEVICE [--baud N] --out FILE.kts [--csv FILE.csv] [--soft-size "
    "4096|2048|1365|1024|682|512]\n"
    "              [--time S] [--live] [--input N] [--coarse N] [--fine F] [--tag T]\n"
    "              [--reference system|local|utc] [--ntp-server HOST[:PORT]] [--overwrite]";

CommandLine::Grammar SpectrumGrammar() {
  return {{"port", "baud", "out", "csv", "soft-size", "time", "input", "coarse", "fine", "tag", "reference",
           "ntp-server"},
          {"live", "overwrite"}};
}

// A whole number within `low`..`high`, or a usage error naming the option.
bool ReadIndex(const CommandLine& line, const std::string& name, long low, long high, std::optional<int>& out,
               std::string& error) {
  std::optional<double> value;
  const OptionRange range{static_cast<double>(low), static_cast<double>(high), true, ""};
  if (!ReadRangedOption(line, name, range, value, error)) return false;
  if (value) out = static_cast<int>(*value);
  return true;
}

std::optional<SpectrumOptions> ReadSpectrumOptions(const CommandLine& line, std::string& error) {
  SpectrumOptions options;
  if (!line.Value("port") || !line.Value("out")) {
    error = "spectrum needs --port and --out";
    return std::nullopt;
  }
  options.port = *line.Value("port");
  options.out = *line.Value("out");
  options.csv = line.Value("csv");
  if (options.csv && SameFile(options.out, *options.csv)) {
    error = "--out and --csv name the same file: " + *options.csv;
    return std::nullopt;
  }
  if (!ReadIndex(line, "time", 1, kMaxAcquisitionPresetSeconds, options.presetSeconds, error) ||
      !ReadIndex(line, "input", 0, 8, options.input, error) ||
      !ReadIndex(line, "coarse", 0, kCoarseGainSteps - 1, options.coarse, error) ||
      !ReadIndex(line, "soft-size", CSpectrum::kMinSize, CSpectrum::kMaxSize, options.softSize, error)) {
    return std::nullopt;
  }
  if (options.softSize &&
      std::ranges::find(CSpectrum::kSoftSizes, *options.softSize) == CSpectrum::kSoftSizes.end()) {
    error = "--soft-size must be one of 4096, 2048, 1365, 1024, 682, 512";
    return std::nullopt;
  }
  if (options.softSize && !options.csv) {
    error = "--soft-size applies to the --csv export";
    return std::nullopt;
  }
  options.fine = line.Value("fine");
  if (options.fine && !FineOfTypedFactor(*options.fine)) {
    error = "--fine must be a gain factor from 1.0 to 1.2";
    return std::nullopt;
  }
  options.liveTimer = line.Has("live");
  if (options.liveTimer && !options.presetSeconds) {
    error = "--live needs --time";
    return std::nullopt;
  }
  options.tag = line.Value("tag");
  if (const auto reference = line.Value("reference")) {
    if (*reference == "system") {
      options.reference = TimeReferenceKind::kSystem;
    } else if (*reference == "local") {
      options.reference = TimeReferenceKind::kLocal;
    } else if (*reference == "utc") {
      options.reference = TimeReferenceKind::kUtc;
    } else {
      error = "--reference must be system, local or utc";
      return std::nullopt;
    }
  }
  if (const auto server = line.Value("ntp-server")) options.ntpServer = *server;
  options.overwrite = line.Has("overwrite");
  return options;
}

// Erase, settings, a timed (or Ctrl-C ended) run, then the files. Nothing
// reaches the instrument before the files are known to be creatable.
int Spectrum(const CommandLine& line) {
  std::string error;
  std::optional<SpectrumOptions> options = ReadSpectrumOptions(line, error);
  if (!options) return ReportUsageError(error);
  if (!ReadBaudOption(line, options->baud)) return kExitUsage;
  std::signal(SIGINT, OnSpectrumInterrupt);
  SpectrumScript script(*options);
  const bool done = script.CheckOutputFiles() && script.ConnectAndRead() && script.ChooseReference() &&
                    script.EraseAndWriteSettings() && script.Start() && script.FollowRun() && script.Save();
  script.Disconnect();
  if (!done) return kExitFailure;
  return SpectrumScript::Interrupted() ? kExitInterrupted : kExitOk;
}

}  // namespace

std::vector<CliCommand> SpectrumCommands() {
  return {{"spectrum", kSpectrumUsage, SpectrumGrammar(), Spectrum}};
}

}  // namespace korva
