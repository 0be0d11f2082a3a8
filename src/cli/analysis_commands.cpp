#include <iostream>

#include "analysis/analysis_json.h"
#include "analysis/analysis_report.h"
#include "analysis/birks_quenching.h"
#include "analysis/efficiency_curve.h"
#include "analysis/measurement_analysis.h"
#include "analysis/nuclide.h"
#include "analysis/provenance_json.h"
#include "cli/cli_archive.h"
#include "cli/cli_command.h"

namespace korva {

namespace {

const char* const kAnalyzeUsage =
    "analyze FILE.tdc --nuclide NAME [--kb K] [--model symmetric|asymmetric] [--window N|M|wider]\n"
    "              [--extension 1|2] [--background BG.tdc] [--reference-time YYYY-MM-DDThh:mm:ss] [--json]";
const char* const kEfficiencyUsage =
    "efficiency --nuclide NAME --kb K (--tdcr R | --lambda L) [--model symmetric]";

// The options every analysis shares; false after a usage error was reported.
bool ReadNuclideAndKb(const CommandLine& line, AnalysisSettings& settings) {
  const std::optional<std::string> nuclide = line.Value("nuclide");
  if (!nuclide) return ReportUsageError("--nuclide is required"), false;
  if (const Nuclide* known = FindNuclide(*nuclide)) {
    settings.nuclide = known->name;
  } else {
    return ReportUsageError("unknown nuclide: " + *nuclide + "; known are " +
                            std::string(KnownNuclideNames())),
           false;
  }
  if (const std::optional<std::string> text = line.Value("kb")) {
    const std::optional<double> kb = ParseNumber(*text);
    if (!kb) return ReportUsageError("not a kB: " + *text), false;
    if (const auto error = KbRangeError(*kb)) return ReportUsageError(*error), false;
    settings.kb = *kb;
  }
  return true;
}

// One of the listed words, as an index; reports a usage error otherwise.
std::optional<std::size_t> Choice(const CommandLine& line, const std::string& option,
                                  const std::vector<std::string>& words, std::size_t otherwise = 0) {
  const std::optional<std::string> text = line.Value(option);
  if (!text) return otherwise;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (*text == words[i]) return i;
  }
  std::string listed;
  for (const std::string& word : words) listed += (listed.empty() ? "" : "|") + word;
  ReportUsageError("--" + option + " is one of " + listed + ", not " + *text);
  return std::nullopt;
}

bool ReadAnalyzeSettings(const CommandLine& line, AnalysisSettings& settings) {
  if (line.Positionals().empty()) return ReportUsageError("no .tdc file given"), false;
  if (!ReadNuclideAndKb(line, settings)) return false;
  const auto model = Choice(line, "model", {"symmetric", "asymmetric"});
  const auto window = Choice(line, "window", {"N", "M", "wider"}, kWiderWindow);
  const auto extension = Choice(line, "extension", {"1", "2"});
  if (!model || !window || !extension) return false;
  settings.model = *model == 0 ? DetectionModel::kSymmetric : DetectionModel::kAsymmetric;
  settings.window = *window;
  settings.extension = *extension;
  if (const std::optional<std::string> text = line.Value("reference-time")) {
    settings.referenceTime = ParseReferenceTime(*text);
    if (!settings.referenceTime) return ReportUsageError("not a time YYYY-MM-DDThh:mm:ss: " + *text), false;
  }
  return true;
}

std::optional<TdcMeasurement> ReadMeasurement(const std::string& path) {
  TdcReadResult read = ReadTdcFile(path);
  if (!read.measurement) std::cerr << "korva-tdcr-cli: " << read.error << '\n';
  return std::move(read.measurement);
}

// The per-run table and the result with its budget, or the JSON of the
// program's export.
int Analyze(const CommandLine& line) {
  AnalysisInputs inputs;
  if (!ReadAnalyzeSettings(line, inputs.settings)) return kExitUsage;
  inputs.sample = line.Positionals().front();
  inputs.background = line.Value("background").value_or("");
  const std::optional<TdcMeasurement> sample = ReadMeasurement(inputs.sample);
  if (!sample) return kExitFailure;
  std::optional<TdcMeasurement> background;
  if (!inputs.background.empty() && !(background = ReadMeasurement(inputs.background))) return kExitFailure;
  const Checked<MeasurementAnalysis> analysis =
      AnalyzeMeasurement(*sample, background ? &*background : nullptr, inputs.settings);
  if (!analysis) {
    std::cerr << "korva-tdcr-cli: " << analysis.error << '\n';
    return kExitFailure;
  }
  Provenance provenance = AnalysisProvenance(*sample, inputs);
  AddArchivedProvenance(provenance);
  if (line.Has("json")) {
    QJsonObject json = AnalysisJson(inputs, sample->header, *analysis);
    json["provenance"] = ProvenanceJson(provenance);
    std::cout << JsonText(json);
  } else {
    std::cout << AnalysisReportText(inputs, sample->header, *analysis, provenance);
  }
  return kExitOk;
}

// lambda, the efficiencies and T/D of one point of the curve.
int Efficiency(const CommandLine& line) {
  AnalysisSettings settings;
  if (!line.Has("kb")) return ReportUsageError("--kb is required");
  if (!ReadNuclideAndKb(line, settings)) return kExitUsage;
  if (line.Has("tdcr") == line.Has("lambda")) return ReportUsageError("give one of --tdcr and --lambda");
  if (line.Value("model").value_or("symmetric") != "symmetric") {
    return ReportUsageError("the efficiency curve is computed under the symmetric model");
  }
  const bool byRatio = line.Has("tdcr");
  const std::string text = *line.Value(byRatio ? "tdcr" : "lambda");
  const std::optional<double> value = ParseNumber(text);
  if (!value) return ReportUsageError(std::string(byRatio ? "not a T/D: " : "not a lambda: ") + text);
  const Checked<EfficiencyPoint> point = EfficiencyCurvePoint(
      settings.nuclide, settings.kb, byRatio ? CurveInput::kTdRatio : CurveInput::kLambda, *value);
  if (!point) {
    std::cerr << "korva-tdcr-cli: " << point.error << '\n';
    return kExitFailure;
  }
  std::cout << JsonText(EfficiencyJson(settings.nuclide, settings.kb, *point));
  return kExitOk;
}

}  // namespace

std::vector<CliCommand> AnalysisCommands() {
  return {
      {"analyze",
       kAnalyzeUsage,
       {{"nuclide", "kb", "model", "window", "extension", "background", "reference-time"}, {"json"}, 1},
       Analyze},
      {"efficiency", kEfficiencyUsage, {{"nuclide", "kb", "model", "tdcr", "lambda"}, {}}, Efficiency},
  };
}

}  // namespace korva
