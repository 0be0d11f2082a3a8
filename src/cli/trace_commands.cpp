#include <algorithm>
#include <array>

#include "cli/cli_command.h"
#include "cli/trace_script.h"

namespace korva {

namespace {

const char* const kTraceUsage =
    "trace --port DEVICE [--baud N] --out FILE.csv [--normalized] [--input slow|fast|adc|aux]\n"
    "              [--trigger 0-7] [--invert] [--mode RND|NRM|SGL|Av2|Av4|Av8|Av16] [--timebase 0-17]\n"
    "              [--position 0-255] [--count N] [--overwrite]";

constexpr int kMaxCount = 10000;

CommandLine::Grammar TraceGrammar() {
  return {{"port", "baud", "out", "input", "trigger", "mode", "timebase", "position", "count"},
          {"normalized", "invert", "overwrite"}};
}

bool ReadNumber(const CommandLine& line, const std::string& name, int low, int high, int& out,
                std::string& error) {
  std::optional<double> value;
  if (!ReadRangedOption(line, name, {static_cast<double>(low), static_cast<double>(high), true, ""}, value,
                        error))
    return false;
  if (value) out = static_cast<int>(*value);
  return true;
}

bool ReadInput(const CommandLine& line, int& input, std::string& error) {
  const std::optional<std::string> text = line.Value("input");
  if (!text) return true;
  constexpr std::array<const char*, 4> kNames = {"slow", "fast", "adc", "aux"};
  const auto found = std::ranges::find(kNames, *text);
  if (found == kNames.end()) {
    error = "--input must be slow, fast, adc or aux";
    return false;
  }
  input = static_cast<int>(found - kNames.begin());
  return true;
}

bool ReadMode(const CommandLine& line, TraceMode& mode, std::string& error) {
  const std::optional<std::string> text = line.Value("mode");
  if (!text) return true;
  TraceMode candidate = TraceMode::kRnd;
  for (int i = 0; i < 7; ++i, candidate = NextTraceMode(candidate)) {
    if (TraceModeName(candidate) == *text) {
      mode = candidate;
      return true;
    }
  }
  error = "--mode must be RND, NRM, SGL, Av2, Av4, Av8 or Av16";
  return false;
}

std::optional<TraceOptions> ReadTraceOptions(const CommandLine& line, std::string& error) {
  TraceOptions options;
  if (!line.Value("port") || !line.Value("out")) {
    error = "trace needs --port and --out";
    return std::nullopt;
  }
  options.port = *line.Value("port");
  options.out = *line.Value("out");
  options.normalized = line.Has("normalized");
  options.invert = line.Has("invert");
  options.overwrite = line.Has("overwrite");
  int count = 0;
  if (!ReadInput(line, options.input, error) || !ReadMode(line, options.mode, error) ||
      !ReadNumber(line, "trigger", 0, kTraceLines - 1, options.trigger, error) ||
      !ReadNumber(line, "timebase", 0, kTimeBaseLastIndex, options.timeBase, error) ||
      !ReadNumber(line, "position", 0, 255, options.position, error) ||
      !ReadNumber(line, "count", 1, kMaxCount, count, error)) {
    return std::nullopt;
  }
  if (line.Value("count")) options.count = count;
  return options;
}

// Nothing reaches the instrument before the file is known to be creatable.
int CaptureTraces(const CommandLine& line) {
  std::string error;
  std::optional<TraceOptions> options = ReadTraceOptions(line, error);
  if (!options) return ReportUsageError(error);
  if (!ReadBaudOption(line, options->baud)) return kExitUsage;
  TraceScript script(*options);
  const bool done =
      script.CheckOutputFile() && script.ConnectAndWriteSettings() && script.Capture() && script.Save();
  script.Disconnect();
  return done ? kExitOk : kExitFailure;
}

}  // namespace

std::vector<CliCommand> TraceCommands() { return {{"trace", kTraceUsage, TraceGrammar(), CaptureTraces}}; }

}  // namespace korva
