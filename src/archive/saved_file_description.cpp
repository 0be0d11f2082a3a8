#include "archive/saved_file_description.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>

#include "analysis/provenance.h"
#include "common/format_text.h"
#include "common/trimmed.h"
#include "formats/kts_tag.h"
#include "tdcr/measurement_tdc_reader.h"

namespace korva {

namespace {

// Calls `visit` with each line of `text`, line ends taken off.
template <typename Visit>
void ForEachLine(std::string_view text, Visit visit) {
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!visit(line)) return;
    text.remove_prefix(std::min(end + 1, text.size()));
  }
}

std::optional<double> NumberIn(std::string_view text) {
  text = Trimmed(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string StampText(const StampTime& t) {
  if (!IsStampedStart(t)) return kNoStartText;
  return FormatText("%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour, t.minute, t.second,
                    t.millisecond);
}

std::string SpectrumResult(double totalCounts, double liveTime, double realTime) {
  return FormatText("%.0f counts, live %.4f s, real %.4f s", totalCounts, liveTime, realTime);
}

// T/D of N1 as the TDCR view computes it: each coincidence rate is its
// counts over its own live time (extension 1), and D = AB + BC + AC - 2 T.
// None when a live time or D is not positive.
std::optional<double> TOverDN1(const TdcRun& run) {
  const auto& counts = run.coincidences[TdcrRates::kN1];
  const auto& live = run.coincidenceLiveTimes[ExtensionOf(TdcrRates::kN1)];
  std::array<double, TdcrRates::kLiveTimeKinds> rate{};
  for (std::size_t kind = 0; kind < rate.size(); ++kind) {
    if (!(live[kind] > 0)) return std::nullopt;
    rate[kind] = static_cast<double>(counts[kind].counts) / live[kind];
  }
  const double d =
      rate[TdcrRates::kAB] + rate[TdcrRates::kBC] + rate[TdcrRates::kAC] - 2 * rate[TdcrRates::kT];
  if (!(d > 0)) return std::nullopt;
  return rate[TdcrRates::kT] / d;
}

double MeanTOverD(const std::vector<TdcRun>& runs) {
  double sum = 0;
  int ratios = 0;
  for (const TdcRun& run : runs) {
    const std::optional<double> ratio = TOverDN1(run);
    if (!ratio) continue;
    sum += *ratio;
    ++ratios;
  }
  return ratios == 0 ? 0.0 : sum / ratios;
}

EntryDescription DescribeTdc(std::string_view text) {
  EntryDescription d;
  const TdcReadResult read = ReadTdcText(text);
  if (!read.measurement) return d;
  const TdcHeader& h = read.measurement->header;
  d.instrument = ProvenanceOf(*read.measurement).instrument;
  d.record = {h.tag, h.operatorName, h.nuclides, h.cocktail, h.highVoltage};
  const auto three = [](const auto& values, const char* format) {
    std::string joined;
    for (const double value : values) joined += (joined.empty() ? "" : " ") + FormatText(format, value);
    return joined;
  };
  d.settings = {
      {"thresholdsMv", three(h.thresholdsMv, "%g")},   {"extensionsUs", three(h.extensionsUs, "%g")},
      {"windowsNs", three(h.windowsNs, "%g")},         {"presetRuns", std::to_string(h.presetRuns)},
      {"timePerRun", FormatText("%g", h.timePerRun)},  {"gapTime", FormatText("%g", h.gapTime)},
      {"stopTimer", std::string(Trimmed(h.stopTimer))}};
  const std::vector<TdcRun>& runs = read.measurement->runs;
  const std::size_t completed = std::min(runs.size(), static_cast<std::size_t>(std::max(h.runsCompleted, 0)));
  const std::vector<TdcRun> done(runs.begin(), runs.begin() + static_cast<std::ptrdiff_t>(completed));
  if (!runs.empty()) d.startStamp = StampText(runs.front().start);
  d.result = FormatText("%zu runs, mean T/D %.4f", completed, MeanTOverD(done));
  return d;
}

// The text between "<name>" and "</name>" on one line of a .kts file.
std::optional<std::string_view> ElementOn(std::string_view line, std::string_view name) {
  line = Trimmed(line);
  // "<name>" and "</name>", matched in place: this runs for nearly every
  // line of a file, and a file may have tens of thousands.
  const std::size_t openSize = name.size() + 2;
  const std::size_t closeSize = name.size() + 3;
  if (line.size() < openSize + closeSize) return std::nullopt;
  const std::string_view open = line.substr(0, openSize);
  const std::string_view close = line.substr(line.size() - closeSize);
  if (open.front() != '<' || open.substr(1, name.size()) != name || open.back() != '>') return std::nullopt;
  if (!close.starts_with("</") || close.substr(2, name.size()) != name || close.back() != '>')
    return std::nullopt;
  return line.substr(openSize, line.size() - openSize - closeSize);
}

EntryDescription DescribeKts(std::string_view text) {
  EntryDescription d;
  double real = 0, live = 0, total = 0;
  bool inSpectrum = false, inCounts = false, first = true;
  ForEachLine(text, [&](std::string_view line) {
    const std::string_view trimmed = Trimmed(line);
    if (first && trimmed.starts_with("<?xml")) return true;
    if (first && trimmed.size() > 2 && trimmed.front() == '<')
      d.instrument.model = trimmed.substr(1, trimmed.size() - 2);
    first = false;
    if (trimmed == "<spectrum>") inSpectrum = true;
    if (trimmed == "</spectrum>") inSpectrum = false;
    if (inSpectrum && trimmed == "<data>") inCounts = true;
    if (trimmed == "</data>") inCounts = false;
    if (inCounts) {
      total += std::max(NumberIn(trimmed).value_or(0.0), 0.0);
    } else if (const auto tag = ElementOn(line, "tag"); tag && inSpectrum) {
      d.record.tag = TagFromKtsText(*tag);
    } else if (const auto value = ElementOn(line, "real")) {
      real = NumberIn(*value).value_or(0.0);
    } else if (const auto liveText = ElementOn(line, "live")) {
      live = NumberIn(*liveText).value_or(0.0);
    } else if (const auto date = ElementOn(line, "date")) {
      d.startStamp = TagFromKtsText(*date);
    } else if (const auto serial = ElementOn(line, "serialnumber")) {
      d.instrument.serialNumber = std::string(Trimmed(*serial));
    } else if (const auto firmware = ElementOn(line, "firmware")) {
      d.instrument.firmwareVersion = std::string(Trimmed(*firmware));
    }
    return true;
  });
  d.settings = {{"realTime", FormatText("%.4f", real)}, {"liveTime", FormatText("%.4f", live)}};
  d.result = SpectrumResult(total, live, real);
  return d;
}

// "Name,value" or "Name, value": the value when the line starts with `name`.
std::optional<std::string_view> CsvValue(std::string_view line, std::string_view name) {
  if (!line.starts_with(name) || line.size() <= name.size() || line[name.size()] != ',') return std::nullopt;
  return Trimmed(line.substr(name.size() + 1));
}

EntryDescription DescribeSpectrumCsv(std::string_view text) {
  EntryDescription d;
  double real = 0, live = 0, total = 0;
  std::string date, time;
  bool inCounts = false;
  ForEachLine(text, [&](std::string_view line) {
    if (inCounts) {
      const std::size_t comma = line.find(',');
      if (comma != std::string_view::npos)
        total += std::max(NumberIn(line.substr(comma + 1)).value_or(0.0), 0.0);
    } else if (line == "Channel, Counts") {
      inCounts = true;
    } else if (const auto tag = CsvValue(line, "TAG")) {
      d.record.tag = std::string(*tag);
    } else if (const auto realText = CsvValue(line, "Real Time[s]")) {
      real = NumberIn(*realText).value_or(0.0);
    } else if (const auto liveText = CsvValue(line, "Live Time[s]")) {
      live = NumberIn(*liveText).value_or(0.0);
    } else if (const auto dateField = CsvValue(line, "Date [dd/mm/yyyy]")) {
      const std::size_t comma = dateField->find(',');
      d.instrument.timeReference = std::string(Trimmed(dateField->substr(0, comma)));
      if (comma != std::string_view::npos) date = std::string(Trimmed(dateField->substr(comma + 1)));
    } else if (const auto timeField = CsvValue(line, "Time [hh:mm:ss]")) {
      const std::size_t comma = timeField->find(',');
      if (comma != std::string_view::npos) time = std::string(Trimmed(timeField->substr(comma + 1)));
    } else if (const auto input = CsvValue(line, "Spectrum from Input")) {
      d.settings.emplace_back("input", std::string(*input));
    }
    return true;
  });
  d.startStamp = Trimmed(date + " " + time);
  d.result = SpectrumResult(total, live, real);
  return d;
}

EntryDescription DescribeTraceCsv(std::string_view text) {
  EntryDescription d;
  bool first = true;
  ForEachLine(text, [&](std::string_view line) {
    if (first) {
      first = false;
      return true;
    }
    const std::size_t colon = line.find(": ");
    if (line.empty() || colon == std::string_view::npos) return false;
    d.settings.emplace_back(std::string(line.substr(0, colon)), std::string(Trimmed(line.substr(colon + 2))));
    return true;
  });
  return d;
}

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  std::ranges::transform(lowered, lowered.begin(),
                         [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lowered;
}

}  // namespace

EntryDescription DescribeSavedText(SavedKind kind, std::string_view text) {
  switch (kind) {
    case SavedKind::kTdcrMeasurement:
      return DescribeTdc(text);
    case SavedKind::kSpectrum:
      return DescribeKts(text);
    case SavedKind::kSpectrumExport:
      return DescribeSpectrumCsv(text);
    case SavedKind::kTraceExport:
      return DescribeTraceCsv(text);
    case SavedKind::kRegisterFile:
    case SavedKind::kAnalysisExport:
    case SavedKind::kMeasurementReport:
      break;
  }
  return {};
}

std::optional<SavedKind> KindOfSavedFile(std::string_view fileName, std::string_view head) {
  const std::string name = Lowered(fileName);
  if (name.ends_with(".tdc")) return SavedKind::kTdcrMeasurement;
  if (name.ends_with(".kts")) return SavedKind::kSpectrum;
  if (name.ends_with(".rgv")) return SavedKind::kRegisterFile;
  if (name.ends_with(".json")) return SavedKind::kAnalysisExport;
  if (name.ends_with(".pdf")) return SavedKind::kMeasurementReport;
  if (name.ends_with(".n42") || name.ends_with(".spe")) return SavedKind::kSpectrumExport;
  if (!name.ends_with(".csv")) return std::nullopt;
  if (head.starts_with("Spectrum from Input,")) return SavedKind::kSpectrumExport;
  if (head.starts_with("korva-TDCR Trace Viewer")) return SavedKind::kTraceExport;
  return std::nullopt;
}

}  // namespace korva
