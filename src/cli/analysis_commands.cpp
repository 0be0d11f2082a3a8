#include <iostream>

#include "analysis/analysis_json.h"
#include "analysis/analysis_report.h"
#include "analysis/birks_quenching.h"
#include "analysis/efficiency_curve.h"
#include "analysis/efficiency_variation.h"
#include "analysis/measurement_analysis.h"
#include "analysis/nuclide_file.h"
#include "analysis/nuclide_json.h"
#include "analysis/nuclide_library.h"
#include "analysis/nuclide_listing.h"
#include "analysis/provenance_json.h"
#include "analysis/spectrum_file.h"
#include "analysis/variation_report.h"
#include "cli/cli_archive.h"
#include "cli/cli_command.h"
#include "cli/report_option.h"

namespace korva {

namespace {

const char* const kAnalyzeUsage =
    "analyze FILE.tdc (--nuclide NAME | --spectrum FILE [--nuclide NAME | --half-life \"T [U] UNIT\"])\n"
    "              [--cocktail NAME] [--kb K] [--model symmetric|asymmetric] [--window N|M|wider]\n"
    "              [--extension 1|2] [--mode1 IDT|CDT] [--mode2 IDT|CDT] [--background BG.tdc]\n"
    "              [--reference-time YYYY-MM-DDThh:mm:ss] [--json]\n"
    "              [--k-alpha K] [--k-beta K] [--gamma G] [--efficiency EPS_D [--efficiency-u U]]\n"
    "              [--report OUT.pdf [--lab NAME] [--operator NAME]]";
const char* const kVariationUsage =
    "variation A.tdc B.tdc C.tdc ... --nuclide NAME [--cocktail NAME] [--kb K] [--model "
    "symmetric|asymmetric]\n"
    "              [--window N|M|wider] [--extension 1|2] [--mode1 IDT|CDT] [--mode2 IDT|CDT]\n"
    "              [--reference-time YYYY-MM-DDThh:mm:ss] [--json] [--report OUT.pdf [--lab NAME] "
    "[--operator NAME]]";
// The most measurements one study takes.
constexpr std::size_t kMostVariationFiles = 64;
const char* const kEfficiencyUsage =
    "efficiency (--nuclide NAME | --spectrum FILE [--nuclide NAME | --half-life \"T [U] UNIT\"])\n"
    "              [--cocktail NAME] --kb K (--tdcr R | --lambda L) [--model symmetric]";
const char* const kNuclidesUsage = "nuclides [--json]";

// --spectrum FILE takes one of --nuclide (a known nuclide's half-life and
// name) and --half-life; false after a usage error was reported.
bool CheckSpectrumOptions(const CommandLine& line) {
  const std::optional<std::string> nuclide = line.Value("nuclide");
  const std::optional<std::string> halfLife = line.Value("half-life");
  if (nuclide.has_value() == halfLife.has_value()) {
    return ReportUsageError(
               "--spectrum needs one of --nuclide (a known nuclide's half-life) and --half-life"),
           false;
  }
  if (nuclide && FindNuclide(*nuclide) == nullptr) {
    return ReportUsageError("unknown nuclide: " + *nuclide + "; known are " + KnownNuclideNames()), false;
  }
  if (const auto parsed = halfLife ? ParseHalfLife(*halfLife) : Success(std::pair{1.0, 0.0}); !parsed) {
    return ReportUsageError("--half-life: " + parsed.error), false;
  }
  return true;
}

// The user's spectrum of --spectrum, when given, as the nuclide analysed;
// false after the file's fault was reported.
bool LoadSpectrumOption(const CommandLine& line, AnalysisSettings& settings) {
  const std::optional<std::string> path = line.Value("spectrum");
  if (!path) return true;
  const std::optional<std::string> nuclide = line.Value("nuclide");
  Checked<Nuclide> own = LoadOwnSpectrum(*path, nuclide ? *nuclide : *line.Value("half-life"));
  if (!own) return std::cerr << "korva-tdcr-cli: " << own.error << '\n', false;
  settings.nuclide = own->name;
  settings.ownNuclide = std::move(*own.value);
  return true;
}

// The options every analysis shares; false after an error was reported.
bool ReadNuclideAndKb(const CommandLine& line, AnalysisSettings& settings) {
  const std::optional<std::string> nuclide = line.Value("nuclide");
  if (line.Has("spectrum")) {
    if (!CheckSpectrumOptions(line)) return false;
  } else if (!nuclide) {
    return ReportUsageError("--nuclide is required"), false;
  } else if (const Nuclide* known = FindNuclide(*nuclide)) {
    settings.nuclide = known->name;
  } else {
    return ReportUsageError("unknown nuclide: " + *nuclide + "; known are " + KnownNuclideNames()), false;
  }
  if (const std::optional<std::string> cocktail = line.Value("cocktail")) {
    const Scintillator* known = FindCocktail(*cocktail);
    if (known == nullptr) {
      return ReportUsageError("unknown cocktail: " + *cocktail + "; known are " + KnownCocktailNames()),
             false;
    }
    settings.cocktail = known->name;
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

// A number option into `target` when given; false after a usage error.
bool ReadNumber(const CommandLine& line, const std::string& option, double& target) {
  const std::optional<std::string> text = line.Value(option);
  if (!text) return true;
  const std::optional<double> value = ParseNumber(*text);
  if (!value) return ReportUsageError("--" + option + " is a number, not " + *text), false;
  target = *value;
  return true;
}

// The characteristic limits' quantiles and probability, and the efficiency
// a blank's result takes.
bool ReadLimitOptions(const CommandLine& line, AnalysisSettings& settings) {
  if (!ReadNumber(line, "k-alpha", settings.limits.kAlpha) ||
      !ReadNumber(line, "k-beta", settings.limits.kBeta) ||
      !ReadNumber(line, "gamma", settings.limits.gamma)) {
    return false;
  }
  if (const auto error = LimitSettingsError(settings.limits)) return ReportUsageError(*error), false;
  if (line.Has("efficiency-u") && !line.Has("efficiency")) {
    return ReportUsageError("--efficiency-u goes with --efficiency"), false;
  }
  if (!line.Has("efficiency")) return true;
  if (!line.Has("background")) return ReportUsageError("--efficiency goes with --background"), false;
  double efficiency = 0.0;
  if (!ReadNumber(line, "efficiency", efficiency) ||
      !ReadNumber(line, "efficiency-u", settings.givenEfficiencyUncertainty)) {
    return false;
  }
  if (!(efficiency > 0.0 && efficiency <= 1.0) || settings.givenEfficiencyUncertainty < 0.0) {
    return ReportUsageError("--efficiency lies above 0 and at most 1, --efficiency-u at 0 or above"), false;
  }
  settings.givenEfficiency = efficiency;
  return true;
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
  for (std::size_t e = 0; e < 2; ++e) {
    const std::string option = "mode" + std::to_string(e + 1);
    if (!line.Has(option)) continue;
    const auto mode = Choice(line, option, {"IDT", "CDT"});
    if (!mode) return false;
    settings.deadTimeModes[e] = *mode == 0 ? DeadTimeMode::kIndividual : DeadTimeMode::kCommon;
  }
  if (const std::optional<std::string> text = line.Value("reference-time")) {
    settings.referenceTime = ParseReferenceTime(*text);
    if (!settings.referenceTime) return ReportUsageError("not a time YYYY-MM-DDThh:mm:ss: " + *text), false;
  }
  return ReadLimitOptions(line, settings);
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
  if (!LoadSpectrumOption(line, inputs.settings)) return kExitFailure;
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
  if (line.Has("report")) {
    const ReportDocument report =
        AnalysisReportDocument(ReportSignatoryOf(line), inputs, sample->header, *analysis, provenance);
    if (const int code = WriteReportOption(line, report); code != kExitOk) return code;
  }
  if (line.Has("json")) {
    QJsonObject json = AnalysisJson(inputs, sample->header, *analysis);
    json["provenance"] = ProvenanceJson(provenance);
    std::cout << JsonText(json);
  } else {
    std::cout << AnalysisReportText(inputs, sample->header, *analysis, provenance);
  }
  return kExitOk;
}

// The study of several measurements of one vial at different efficiencies.
int Variation(const CommandLine& line) {
  AnalysisSettings settings;
  if (!ReadAnalyzeSettings(line, settings)) return kExitUsage;
  std::vector<VariationInput> inputs;
  for (const std::string& path : line.Positionals()) {
    std::optional<TdcMeasurement> m = ReadMeasurement(path);
    if (!m) return kExitFailure;
    inputs.push_back({path, std::move(*m)});
  }
  const Checked<VariationStudy> study = StudyVariation(inputs, settings);
  if (!study) {
    std::cerr << "korva-tdcr-cli: " << study.error << '\n';
    return kExitFailure;
  }
  if (line.Has("report")) {
    const ReportDocument report = VariationReportDocument(ReportSignatoryOf(line), *study, settings,
                                                          VariationProvenance(inputs, settings));
    if (const int code = WriteReportOption(line, report); code != kExitOk) return code;
  }
  std::cout << (line.Has("json") ? JsonText(VariationJson(*study, settings))
                                 : VariationText(*study, settings));
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
  if (!LoadSpectrumOption(line, settings)) return kExitFailure;
  const bool byRatio = line.Has("tdcr");
  const std::string text = *line.Value(byRatio ? "tdcr" : "lambda");
  const std::optional<double> value = ParseNumber(text);
  if (!value) return ReportUsageError(std::string(byRatio ? "not a T/D: " : "not a lambda: ") + text);
  const Nuclide& nuclide = settings.ownNuclide ? *settings.ownNuclide : *FindNuclide(settings.nuclide);
  const Scintillator& cocktail = settings.cocktail.empty() ? Toluene() : *FindCocktail(settings.cocktail);
  const Checked<EfficiencyPoint> point = EfficiencyCurvePoint(
      nuclide, settings.kb, cocktail, byRatio ? CurveInput::kTdRatio : CurveInput::kLambda, *value);
  if (!point) {
    std::cerr << "korva-tdcr-cli: " << point.error << '\n';
    return kExitFailure;
  }
  std::cout << JsonText(EfficiencyJson(nuclide, cocktail, settings.kb, *point));
  return kExitOk;
}

// What the program knows of each nuclide and where it came from; the
// files it could not read go to standard error as well.
int Nuclides(const CommandLine& line) {
  const NuclideLibrary& library = ProgramNuclides();
  for (const std::string& problem : library.problems) std::cerr << "korva-tdcr-cli: " << problem << '\n';
  if (line.Has("json")) {
    std::cout << JsonText(NuclideLibraryJson(library));
  } else {
    std::cout << NuclideListText(library);
  }
  return library.nuclides.empty() ? kExitFailure : kExitOk;
}

}  // namespace

std::vector<CliCommand> AnalysisCommands() {
  return {
      {"analyze",
       kAnalyzeUsage,
       {{"nuclide",    "spectrum",       "half-life", "cocktail", "kb",
         "model",      "window",         "extension", "mode1",    "mode2",
         "background", "reference-time", "k-alpha",   "k-beta",   "gamma",
         "efficiency", "efficiency-u",   "report",    "lab",      "operator"},
        {"json"},
        1},
       Analyze},
      {"efficiency",
       kEfficiencyUsage,
       {{"nuclide", "spectrum", "half-life", "cocktail", "kb", "model", "tdcr", "lambda"}, {}},
       Efficiency},
      {"nuclides", kNuclidesUsage, {{}, {"json"}}, Nuclides},
      {"variation",
       kVariationUsage,
       {{"nuclide", "cocktail", "kb", "model", "window", "extension", "mode1", "mode2", "reference-time",
         "report", "lab", "operator"},
        {"json"},
        kMostVariationFiles},
       Variation},
  };
}

}  // namespace korva
