#include "cli/measure_options.h"

#include <algorithm>
#include <string_view>

#include "cli/cli_command.h"
#include "common/trimmed.h"
#include "tdcr/tdcr_control_word.h"
#include "tdcr/tdcr_settings.h"

namespace korva {

namespace {

// The form stores seconds as whole milliseconds in 32 bits; a run shorter
// than one millisecond would be no run at all.
const OptionRange kRunTimeRange{0.001, kMaxPresetSeconds, false, "s"};
const OptionRange kGapTimeRange{0.0, kMaxPresetSeconds, false, "s"};
// The extension's spin range, 8 ns a step.
const OptionRange kExtensionRange{kMinExtensionPosition * 0.008, kMaxExtensionPosition * 0.008, false, "us"};
const OptionRange kRunsRange{1, 64, true, ""};
// Thresholds are finite here; their range depends on the instrument's
// threshold calibration and is checked once that is read.
const OptionRange kAnyThreshold{-1e6, 1e6, false, "mV"};

// Each reader sets `error` and returns false on a value it cannot take.
class OptionReader {
 public:
  OptionReader(const CommandLine& line, std::string& error) : line_(line), error_(error) {}

  // A number within `range`, kept as typed for the form.
  bool Number(const char* name, const OptionRange& range, std::optional<std::string>& out) {
    const auto text = line_.Value(name);
    if (!text) return true;
    error_ = OptionRangeError(name, *text, range);
    if (!error_.empty()) return false;
    out = *text;
    return true;
  }

  bool Choice(const char* name, std::initializer_list<std::string_view> choices, std::optional<int>& out) {
    const auto text = line_.Value(name);
    if (!text) return true;
    const auto found = std::find(choices.begin(), choices.end(), *text);
    if (found == choices.end()) return Fail(name, *text);
    out = static_cast<int>(found - choices.begin());
    return true;
  }

  bool Flag(const char* name, std::initializer_list<std::string_view> offOn, std::optional<bool>& out) {
    std::optional<int> index;
    if (!Choice(name, offOn, index)) return false;
    if (index) out = *index == 1;
    return true;
  }

  bool Window(const char* name, std::optional<int>& out) {
    const auto text = line_.Value(name);
    if (!text) return true;
    const auto ns = ParseUnsigned(*text);
    const auto found = std::find(kCoincidenceWindowsNs.begin(), kCoincidenceWindowsNs.end(),
                                 ns ? static_cast<int>(*ns) : -1);
    if (found == kCoincidenceWindowsNs.end()) return Fail(name, *text);
    out = static_cast<int>(found - kCoincidenceWindowsNs.begin());
    return true;
  }

  bool Runs(std::optional<int>& out) {
    std::optional<double> runs;
    if (!ReadRangedOption(line_, "runs", kRunsRange, runs, error_)) return false;
    if (runs) out = static_cast<int>(*runs);
    return true;
  }

  bool StopTimer(std::optional<int>& out) {
    const auto text = line_.Value("stop-timer");
    if (!text) return true;
    for (std::size_t i = 0; i < kStopTimerTexts.size(); ++i) {
      if (!Trimmed(*text).empty() && Trimmed(kStopTimerTexts[i]) == Trimmed(*text)) {
        out = static_cast<int>(i);
        return true;
      }
    }
    return Fail("stop-timer", *text);
  }

  std::string Text(const char* name, const std::string& fallback) {
    return line_.Value(name).value_or(fallback);
  }

 private:
  bool Fail(const char* name, const std::string& value) {
    error_ = "invalid value for --" + std::string(name) + ": " + value;
    return false;
  }

  const CommandLine& line_;
  std::string& error_;
};

}  // namespace

std::optional<MeasureOptions> ReadMeasureOptions(const CommandLine& line, std::string& error) {
  MeasureOptions options;
  const auto port = line.Value("port");
  const auto out = line.Value("out");
  if (!port || !out) {
    error = "--port DEVICE and --out BASE are needed";
    return std::nullopt;
  }
  options.port = *port;
  options.outBase = *out;
  std::optional<double> baud;
  if (!ReadRangedOption(line, "baud", kBaudRange, baud, error)) return std::nullopt;
  if (baud) options.baud = static_cast<std::uint32_t>(*baud);
  OptionReader read(line, error);
  std::optional<int> reference;
  const bool ok =
      read.Runs(options.runs) && read.Number("time", kRunTimeRange, options.timePerRun) &&
      read.Number("gap", kGapTimeRange, options.gapTime) && read.Window("window-n", options.windowIndex[0]) &&
      read.Window("window-m", options.windowIndex[1]) &&
      read.Number("ext1", kExtensionRange, options.extensions[0]) &&
      read.Number("ext2", kExtensionRange, options.extensions[1]) &&
      read.Flag("mode1", {"IDT", "CDT"}, options.cdt[0]) &&
      read.Flag("mode2", {"IDT", "CDT"}, options.cdt[1]) &&
      read.Number("threshold-a", kAnyThreshold, options.thresholds[0]) &&
      read.Number("threshold-b", kAnyThreshold, options.thresholds[1]) &&
      read.Number("threshold-c", kAnyThreshold, options.thresholds[2]) &&
      read.Flag("polarity-a", {"neg", "pos"}, options.positive[0]) &&
      read.Flag("polarity-b", {"neg", "pos"}, options.positive[1]) &&
      read.Flag("polarity-c", {"neg", "pos"}, options.positive[2]) && read.StopTimer(options.stopTimer) &&
      read.Choice("ref-clock", {"none", "int", "ext"}, options.referenceSource) &&
      read.Choice("reference", {"utc", "system", "local"}, reference);
  if (!ok) return std::nullopt;
  if (reference) options.reference = static_cast<TimeReferenceKind>(*reference);
  options.ntpServer = read.Text("ntp-server", options.ntpServer);
  options.tag = read.Text("tag", options.tag);
  options.record.operatorName = read.Text("operator", "");
  options.record.nuclides = read.Text("nuclides", "");
  options.record.cocktail = read.Text("cocktail", "");
  options.record.highVoltage = read.Text("hv", "");
  options.overwrite = line.Has("overwrite");
  options.discardUnsaved = line.Has("discard-unsaved");
  return options;
}

}  // namespace korva
