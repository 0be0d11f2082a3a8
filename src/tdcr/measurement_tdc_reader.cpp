#include "tdcr/measurement_tdc_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <sstream>

#include "common/unreadable_file.h"

namespace korva {

namespace {

constexpr int kMaxRuns = 64;
constexpr std::size_t kShownChars = 48;
constexpr std::array<const char*, 3> kPmts = {"A", "B", "C"};
constexpr std::array<const char*, 3> kSingleKinds = {"Raw", "Ext1", "Ext2"};
constexpr std::array<const char*, TdcrRates::kCombinations> kCombinations = {"N1", "M1", "N2", "M2"};
constexpr std::array<const char*, TdcrRates::kLiveTimeKinds> kLiveTimeKinds = {"AB", "BC", "AC", "T"};
// The order in which a combination's coincidences are written, as TdcrRates kinds.
constexpr std::array<TdcrRates::Kind, TdcrRates::kKinds> kWrittenKinds = {
    TdcrRates::kAB, TdcrRates::kBC, TdcrRates::kAC, TdcrRates::kD, TdcrRates::kT};
constexpr std::array<const char*, TdcrRates::kKinds> kKindNames = {"AB", "BC", "AC", "T", "D"};

// What is wrong, and on which line; thrown inside the reader only.
struct TdcFault {
  std::string message;
};

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// A message from its pieces. (Appending, rather than chains of operator+
// that start with a literal, also keeps GCC 12's -Wrestrict quiet at -O3.)
std::string Join(std::initializer_list<std::string_view> pieces) {
  std::string text;
  for (const std::string_view piece : pieces) text.append(piece);
  return text;
}

// A piece of the file for a message: cut short, with control and non-ASCII
// bytes shown as '?'.
std::string Shown(std::string_view text) {
  std::string shown;
  for (const char c : text.substr(0, kShownChars)) {
    const auto byte = static_cast<unsigned char>(c);
    shown += byte < 0x20 || byte >= 0x7F ? '?' : c;
  }
  if (text.size() > kShownChars) shown += "...";
  return shown;
}

// Walks the text line by line; a line is its text without CR LF or LF.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}

  bool AtEnd() const { return pos_ >= text_.size(); }
  int LineNumber() const { return line_; }

  std::string_view Line() const {
    std::string_view rest = text_.substr(pos_);
    std::string_view line = rest.substr(0, rest.find('\n'));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
  }

  void NextLine() {
    const std::size_t end = text_.find('\n', pos_);
    pos_ = end == std::string_view::npos ? text_.size() : end + 1;
    ++line_;
  }

  void SkipBlankLines() {
    while (!AtEnd() && Trim(Line()).empty()) NextLine();
  }

  // The text from the current position on, for a quoted field that may
  // run over line ends; Consume moves past `count` characters of it.
  std::string_view Rest() const { return text_.substr(pos_); }
  void Consume(std::size_t count) {
    const std::string_view taken = text_.substr(pos_, count);
    line_ += static_cast<int>(std::count(taken.begin(), taken.end(), '\n'));
    pos_ += count;
  }

  [[noreturn]] void Fail(const std::string& why) const {
    throw TdcFault{"line " + std::to_string(line_) + ": " + why};
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

[[noreturn]] void FailAt(int line, const std::string& why) {
  throw TdcFault{"line " + std::to_string(line) + ": " + why};
}

// The value after a key, and the line it stands on.
struct Field {
  std::string_view value;
  int line = 0;
};

// The next keyed line, which must start with `key`.
Field KeyedField(Cursor& in, std::string_view key) {
  in.SkipBlankLines();
  if (in.AtEnd()) in.Fail(Join({"the file ends where \"", key, "\" should come"}));
  const std::string_view line = in.Line();
  if (!line.starts_with(key)) {
    in.Fail(Join({"expected \"", key, "\" but found \"", Shown(line), "\""}));
  }
  const Field field{line.substr(key.size()), in.LineNumber()};
  in.NextLine();
  return field;
}

std::string_view KeyedValue(Cursor& in, std::string_view key) { return KeyedField(in, key).value; }

void ExactLine(Cursor& in, std::string_view expected) {
  in.SkipBlankLines();
  if (in.AtEnd() || Trim(in.Line()) != expected) {
    in.Fail(Join({"expected \"", expected, "\" but found \"", Shown(in.AtEnd() ? "" : in.Line()), "\""}));
  }
  in.NextLine();
}

// A free text after `key`: as written, or, when it starts with a double
// quote, the quoted text with its doubled quotes undone, line ends included.
std::string FreeText(Cursor& in, std::string_view key) {
  in.SkipBlankLines();
  if (in.AtEnd() || !in.Line().starts_with(key)) {
    KeyedValue(in, key);  // reports the mismatch
  }
  const std::string_view rest = in.Rest().substr(key.size());
  if (!rest.starts_with('"')) return std::string(KeyedValue(in, key));
  std::string text;
  std::size_t i = 1;
  for (;;) {
    const std::size_t quote = rest.find('"', i);
    if (quote == std::string_view::npos) in.Fail(Join({"the quoted text of \"", key, "\" never ends"}));
    text.append(rest.substr(i, quote - i));
    if (quote + 1 < rest.size() && rest[quote + 1] == '"') {
      text += '"';
      i = quote + 2;
      continue;
    }
    in.Consume(key.size() + quote + 1);
    break;
  }
  if (!Trim(in.Line()).empty()) {
    in.Fail(Join({"unexpected \"", Shown(in.Line()), "\" after the quoted text of \"", key, "\""}));
  }
  in.NextLine();
  return text;
}

template <typename T>
bool ParseWhole(std::string_view text, T& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && error == std::errc{} && end == text.data() + text.size();
}

std::uint64_t CountOf(const Field& field, std::string_view key) {
  const std::string_view text = Trim(field.value);
  std::uint64_t value = 0;
  if (!ParseWhole(text, value)) {
    FailAt(field.line, Join({"\"", Shown(text), "\" after \"", key, "\" is not a count"}));
  }
  return value;
}

double RealOf(const Field& field, std::string_view key) {
  const std::string_view text = Trim(field.value);
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value)) {
    FailAt(field.line, Join({"\"", Shown(text), "\" after \"", key, "\" is not a number"}));
  }
  return value;
}

int WholeOf(const Field& field, std::string_view key, int low, int high) {
  const std::string_view text = Trim(field.value);
  int value = 0;
  if (!ParseWhole(text, value) || value < low || value > high) {
    FailAt(field.line, Join({"\"", Shown(text), "\" after \"", key, "\" is not a whole number from ",
                             std::to_string(low), " to ", std::to_string(high)}));
  }
  return value;
}

std::uint64_t Count(Cursor& in, std::string_view key) { return CountOf(KeyedField(in, key), key); }
double Real(Cursor& in, std::string_view key) { return RealOf(KeyedField(in, key), key); }

// "%02d/%02d/%04d  %02d:%02d:%02d.%03d": day, month, year, then the time;
// kNoStartText for a measurement saved before any start was stamped.
std::optional<StampTime> ParseStart(std::string_view text) {
  if (Trim(text) == kNoStartText) return StampTime{};
  int fields[7] = {};
  constexpr std::array<char, 6> kSeparators = {'/', '/', ' ', ':', ':', '.'};
  constexpr std::array<int, 7> kLow = {1, 1, 1601, 0, 0, 0, 0};
  constexpr std::array<int, 7> kHigh = {31, 12, 30827, 23, 59, 59, 999};
  for (std::size_t f = 0; f < 7; ++f) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), fields[f]);
    if (error != std::errc{} || end == text.data() || fields[f] < kLow[f] || fields[f] > kHigh[f]) {
      return std::nullopt;
    }
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    if (f == 6) break;
    if (text.empty() || text.front() != kSeparators[f]) return std::nullopt;
    text.remove_prefix(1);
    if (kSeparators[f] == ' ') text = Trim(text);
  }
  if (!Trim(text).empty()) return std::nullopt;
  return StampTime{fields[2], fields[1], fields[0], fields[3], fields[4], fields[5], fields[6]};
}

void ReadHeader(Cursor& in, TdcHeader& h) {
  h.hardware = std::string(Trim(KeyedValue(in, "Hardware,")));
  h.serialNumber = std::string(Trim(KeyedValue(in, "Serial Number,")));
  h.firmware = std::string(Trim(KeyedValue(in, "Firmware Version,")));
  h.fpga = std::string(Trim(KeyedValue(in, "FPGA Version,")));
  ExactLine(in, "Measurement, Settings");
  h.tag = FreeText(in, "Measurement Tag,");
  h.operatorName = FreeText(in, "Operator,");
  h.nuclides = FreeText(in, "Nuclides,");
  h.cocktail = FreeText(in, "LS Coctail,");
  h.highVoltage = FreeText(in, "High Voltage,");
  for (std::size_t c = 0; c < 3; ++c) {
    h.thresholdsMv[c] = Real(in, std::string("Threshold ") + kPmts[c] + " [mV],");
  }
  h.extensionsUs[0] = Real(in, "Dead Time Extension 1 [us],");
  h.extensionsUs[1] = Real(in, "Dead Time Extension 2 [us],");
  for (std::size_t w = 0; w < 2; ++w) {
    const std::string key = std::string("Coincidence Window ") + (w == 0 ? "N" : "M") + " [ns],";
    const Field field = KeyedField(in, key);
    h.windowTexts[w] = std::string(Trim(field.value));
    h.windowsNs[w] = RealOf(field, key);
  }
  h.presetRuns = WholeOf(KeyedField(in, "Preset Sequential Runs,"), "Preset Sequential Runs,", 1, kMaxRuns);
  h.timePerRun = Real(in, "Preset Time per Run [s],");
  h.gapTime = Real(in, "Time Gap between Runs [s],");
  h.stopTimer = std::string(KeyedValue(in, "Stop Timer,"));
  ExactLine(in, "Measurement, Data");
  h.runsCompleted = WholeOf(KeyedField(in, "Runs Completed,"), "Runs Completed,", 0, h.presetRuns);
}

void ReadStart(Cursor& in, const std::string& prefix, TdcRun& run) {
  const Field field = KeyedField(in, prefix + "START TIME:");
  const std::size_t comma = field.value.find(',');
  if (comma == std::string_view::npos) {
    FailAt(field.line, Join({"the start time of run ", std::to_string(run.number), " is missing"}));
  }
  run.startLabel = "START TIME:" + std::string(field.value.substr(0, comma));
  const std::optional<StampTime> start = ParseStart(field.value.substr(comma + 1));
  if (!start) {
    FailAt(field.line, Join({"\"", Shown(field.value.substr(comma + 1)),
                             "\" is not a start date and time DD/MM/YYYY  HH:MM:SS.mmm"}));
  }
  run.start = *start;
}

void ReadCoincidences(Cursor& in, const std::string& prefix, TdcRun& run, std::size_t combination) {
  for (const TdcrRates::Kind kind : kWrittenKinds) {
    const std::string name =
        prefix + "Coincidence " + kKindNames[kind] + "_" + kCombinations[combination] + " [";
    TdcCount& count = run.coincidences[combination][kind];
    count.counts = Count(in, name + "counts],");
    count.cps = Real(in, name + "cps],");
  }
}

void ReadCoincidenceLiveTimes(Cursor& in, const std::string& prefix, TdcRun& run, std::size_t extension) {
  for (std::size_t k = 0; k < kLiveTimeKinds.size(); ++k) {
    run.coincidenceLiveTimes[extension][k] = Real(
        in, prefix + "Live Time " + kLiveTimeKinds[k] + " Ext" + std::to_string(extension + 1) + " [s],");
  }
}

TdcRun ReadRun(Cursor& in, int number) {
  TdcRun run;
  run.number = number;
  const std::string prefix = "Run" + std::to_string(number) + ": ";
  ReadStart(in, prefix, run);
  run.realTime = Real(in, prefix + "Real Time [s],");
  for (std::size_t c = 0; c < 3; ++c) {
    for (std::size_t e = 0; e < 2; ++e) {
      run.singleLiveTimes[c][e] =
          Real(in, prefix + "Live Time PMT " + kPmts[c] + " E" + std::to_string(e + 1) + " [s],");
    }
  }
  for (std::size_t kind = 0; kind < 3; ++kind) {
    for (std::size_t c = 0; c < 3; ++c) {
      const std::string name = prefix + "PMT " + kPmts[c] + " " + kSingleKinds[kind] + " [";
      run.singles[kind][c].counts = Count(in, name + "counts],");
      run.singles[kind][c].cps = Real(in, name + "cps],");
    }
  }
  ReadCoincidenceLiveTimes(in, prefix, run, 0);
  ReadCoincidences(in, prefix, run, TdcrRates::kN1);
  ReadCoincidences(in, prefix, run, TdcrRates::kM1);
  ReadCoincidenceLiveTimes(in, prefix, run, 1);
  ReadCoincidences(in, prefix, run, TdcrRates::kN2);
  ReadCoincidences(in, prefix, run, TdcrRates::kM2);
  return run;
}

TdcMeasurement Read(Cursor& in) {
  TdcMeasurement measurement;
  ReadHeader(in, measurement.header);
  for (in.SkipBlankLines(); !in.AtEnd(); in.SkipBlankLines()) {
    if (static_cast<int>(measurement.runs.size()) == measurement.header.presetRuns) {
      in.Fail(Join({"\"", Shown(in.Line()), "\" follows the last of the ",
                    std::to_string(measurement.header.presetRuns), " preset runs"}));
    }
    measurement.runs.push_back(ReadRun(in, static_cast<int>(measurement.runs.size()) + 1));
  }
  if (static_cast<int>(measurement.runs.size()) != measurement.header.presetRuns) {
    in.Fail(Join({"the file ends after ", std::to_string(measurement.runs.size()), " of ",
                  std::to_string(measurement.header.presetRuns), " preset runs"}));
  }
  return measurement;
}

}  // namespace

TdcReadResult ReadTdcText(std::string_view text) {
  Cursor in(text);
  try {
    return {Read(in), {}};
  } catch (const TdcFault& fault) {
    return {std::nullopt, fault.message};
  }
}

TdcReadResult ReadTdcFile(const std::filesystem::path& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return {std::nullopt, path.string() + ": is a folder"};
  std::ifstream file(path, std::ios::binary);
  if (!file) return {std::nullopt, "cannot open " + UnreadableFile(path)};
  // Reads one byte past the limit, so that a longer file (or a device
  // without an end) is told apart from one of exactly the limit.
  std::string text(kMaxTdcFileBytes + 1, '\0');
  file.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (file.bad()) return {std::nullopt, "cannot read " + path.string()};
  text.resize(static_cast<std::size_t>(file.gcount()));
  if (text.size() > kMaxTdcFileBytes) {
    return {std::nullopt, path.string() + ": larger than any measurement file (over " +
                              std::to_string(kMaxTdcFileBytes >> 20) + " MiB)"};
  }
  TdcReadResult result = ReadTdcText(text);
  if (!result.measurement) result.error = path.string() + ": " + result.error;
  return result;
}

}  // namespace korva
