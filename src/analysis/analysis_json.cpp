#include "analysis/analysis_json.h"

#include <QJsonArray>
#include <QJsonDocument>

#include "qtadapters/qt_text.h"

namespace korva {

namespace {

constexpr std::array<const char*, TdcrRates::kCombinations> kCombinationNames = {"N1", "M1", "N2", "M2"};

// The FPGA version is written right-aligned ("  2.5").
std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

template <std::size_t N>
QJsonArray Numbers(const std::array<double, N>& values) {
  QJsonArray array;
  for (const double value : values) array.append(value);
  return array;
}

QJsonValue ModeJson(const std::optional<DeadTimeMode>& mode) {
  return mode ? QJsonValue(QtText(DeadTimeModeName(mode))) : QJsonValue();
}

QJsonObject InstrumentJson(const TdcHeader& h) {
  return {{"hardware", QtText(h.hardware)},
          {"serialNumber", QtText(h.serialNumber)},
          {"firmwareVersion", QtText(h.firmware)},
          {"fpgaVersion", QtText(Trimmed(h.fpga))}};
}

QJsonObject InputsJson(const AnalysisInputs& inputs, const MeasurementAnalysis& a) {
  const AnalysisSettings& s = inputs.settings;
  return {{"sample", QtText(inputs.sample)},
          {"background", inputs.background.empty() ? QJsonValue() : QJsonValue(QtText(inputs.background))},
          {"nuclide", QtText(a.nuclide)},
          {"nuclideData", NuclideDataJson(a.nuclideFile, a.nuclideVersion)},
          {"cocktail", QtText(a.cocktail)},
          {"kb", a.kb},
          {"model", QtText(DetectionModelName(a.model))},
          {"window", a.main % 2 == 0 ? "N" : "M"},
          {"extension", static_cast<int>(s.extension) + 1},
          {"deadTimeModes", QJsonArray{ModeJson(s.deadTimeModes[0]), ModeJson(s.deadTimeModes[1])}},
          {"referenceTime", QtText(FormatReferenceTime(a.referenceTime))},
          {"referenceTimeIsRunStart", !s.referenceTime.has_value()}};
}

QJsonObject MeasurementJson(const TdcHeader& h) {
  return {{"tag", QtText(h.tag)},
          {"operator", QtText(h.operatorName)},
          {"nuclides", QtText(h.nuclides)},
          {"cocktail", QtText(h.cocktail)},
          {"highVoltage", QtText(h.highVoltage)},
          {"thresholdsMv", Numbers(h.thresholdsMv)},
          {"extensionsUs", Numbers(h.extensionsUs)},
          {"windowsNs", Numbers(h.windowsNs)},
          {"presetRuns", h.presetRuns},
          {"timePerRun", h.timePerRun},
          {"gapTime", h.gapTime},
          {"runsCompleted", h.runsCompleted}};
}

QJsonObject StatisticsJson(const RunStatistics& s) {
  return {{"count", s.count},
          {"weightedMean", s.weightedMean},
          {"internalUncertainty", s.internalUncertainty},
          {"externalUncertainty", s.externalUncertainty},
          {"birgeRatio", s.birgeRatio},
          {"mean", s.mean},
          {"standardDeviation", s.standardDeviation}};
}

QJsonObject RunJson(const RunAnalysis& r) {
  QJsonObject run{{"run", r.run}, {"used", r.used}};
  if (!r.used) {
    run["note"] = QtText(r.note);
    return run;
  }
  run["netRates"] = QJsonObject{
      {"AB", r.rates.ab}, {"BC", r.rates.bc}, {"AC", r.rates.ac}, {"T", r.rates.t}, {"D", r.rates.D()}};
  run["realTime"] = r.realTime;
  run["secondsAfterReference"] = r.secondsAfterReference;
  run["tdRatio"] = r.tdRatio;
  run["lambdas"] = Numbers(r.lambdas);
  run["doublesEfficiency"] = r.doublesEfficiency;
  run["triplesEfficiency"] = r.triplesEfficiency;
  run["activityD"] = r.activityD;
  run["activityDUncertainty"] = r.activityDUncertainty;
  run["flagged"] = r.flagged;
  return run;
}

QJsonObject RatesJson(const CoincidenceRates& r) {
  return {{"AB", r.ab}, {"BC", r.bc}, {"AC", r.ac}, {"T", r.t}, {"D", r.D()}};
}

// The combination's rates of its used runs and their corrections; a
// correction the mode does not have or that was not evaluated is null with
// a note saying which, never 0.
QJsonObject RateCorrectionsJson(const CombinationRates& r) {
  QJsonObject json{{"windowNs", r.windowNs},
                   {"deadTimeMode", ModeJson(r.mode)},
                   {"measured", RatesJson(r.measured)},
                   {"merged", RatesJson(r.distortion.merged)},
                   {"corrected", RatesJson(r.corrected)}};
  if (r.mode == DeadTimeMode::kCommon) {
    json["blocked"] = RatesJson(r.distortion.blocked);
  } else {
    json["blocked"] = QJsonValue();
    json["blockedNote"] = r.mode ? kNoBlockingText : kNotEvaluatedText;
  }
  return json;
}

QJsonObject CombinationJson(const CombinationAnalysis& c) {
  QJsonArray runs;
  for (const RunAnalysis& r : c.runs) runs.append(RunJson(r));
  QJsonObject combination{{"combination", kCombinationNames[c.combination]}, {"runs", runs}};
  if (!c.Usable()) {
    combination["error"] = QtText(c.error);
    return combination;
  }
  combination["rates"] = RateCorrectionsJson(c.rates);
  combination["doubles"] = StatisticsJson(c.doubles);
  combination["triples"] = StatisticsJson(c.triples);
  return combination;
}

// A term not evaluated has a null uncertainty, never 0.
QJsonObject BudgetTermJson(const UncertaintyComponent& c) {
  return {{"name", QtText(c.name)},
          {"standardUncertainty", c.evaluated ? QJsonValue(c.standardUncertainty) : QJsonValue()}};
}

QJsonObject PairCheckJson(const PairCheck& p) {
  if (!p.evaluated) return {{"evaluated", false}};
  return {{"evaluated", true},
          {"activityAB", p.activities[0]},
          {"activityBC", p.activities[1]},
          {"activityAC", p.activities[2]},
          {"largestDifferenceSigmas", p.largestDifferenceSigmas}};
}

// The limits in Bq; a detection limit that does not exist, and the
// interval of a result not detected, are null.
QJsonObject LimitsJson(const CharacteristicLimits& l) {
  const auto interval = [&](double limit) { return l.detected ? QJsonValue(limit) : QJsonValue(); };
  return {{"kAlpha", l.settings.kAlpha},
          {"kBeta", l.settings.kBeta},
          {"gamma", l.settings.gamma},
          {"primaryEstimate", l.primaryEstimate},
          {"standardUncertainty", l.standardUncertainty},
          {"decisionThreshold", l.decisionThreshold},
          {"detectionLimit", l.detectionLimit ? QJsonValue(*l.detectionLimit) : QJsonValue()},
          {"detected", l.detected},
          {"coverageLower", interval(l.lowerLimit)},
          {"coverageUpper", interval(l.upperLimit)},
          {"text", QtText(DetectionText(l))}};
}

QJsonObject ResultJson(const MeasurementAnalysis& a) {
  QJsonArray budget;
  for (const UncertaintyComponent& c : a.budget.components) budget.append(BudgetTermJson(c));
  QJsonArray notEvaluated;
  for (const std::string& name : a.budget.NotEvaluated()) notEvaluated.append(QtText(name));
  return {{"combination", kCombinationNames[a.main]},
          {"activity", a.activity},
          {"standardUncertainty", a.budget.combined},
          {"coverageFactor", a.budget.coverageFactor},
          {"expandedUncertainty", a.budget.expanded},
          {"pairCheck", PairCheckJson(a.pairs)},
          {"birgeRatio", a.Main().doubles.birgeRatio},
          {"runsUsed", a.Main().doubles.count},
          {"backgroundSubtracted", a.backgroundSubtracted},
          {"budget", budget},
          {"termsNotEvaluated", notEvaluated},
          {"efficiencyGiven", a.efficiencyGiven},
          {"characteristicLimits", a.limits ? QJsonValue(LimitsJson(*a.limits)) : QJsonValue()}};
}

}  // namespace

QJsonObject AnalysisJson(const AnalysisInputs& inputs, const TdcHeader& sample,
                         const MeasurementAnalysis& a) {
  QJsonArray combinations;
  for (const CombinationAnalysis& c : a.combinations) combinations.append(CombinationJson(c));
  QJsonArray warnings;
  for (const std::string& warning : a.warnings) warnings.append(QtText(warning));
  return {{"program", QtText(kAnalysisProgram)},
          {"instrument", InstrumentJson(sample)},
          {"inputs", InputsJson(inputs, a)},
          {"measurement", MeasurementJson(sample)},
          {"result", ResultJson(a)},
          {"combinations", combinations},
          {"warnings", warnings}};
}

QJsonObject EfficiencyJson(const Nuclide& nuclide, const Scintillator& cocktail, double kb,
                           const EfficiencyPoint& point) {
  return {{"nuclide", QtText(nuclide.name)},
          {"nuclideData", NuclideDataJson(nuclide.file, nuclide.version)},
          {"cocktail", QtText(cocktail.name)},
          {"kb", kb},
          {"model", "symmetric"},
          {"lambda", point.lambda},
          {"doublesEfficiency", point.doubles},
          {"triplesEfficiency", point.triples},
          {"tdRatio", point.tdRatio}};
}

QJsonObject NuclideDataJson(const std::string& file, const std::string& version) {
  return {{"file", QtText(file)}, {"version", QtText(version)}};
}

std::string JsonText(const QJsonObject& object) {
  return QJsonDocument(object).toJson(QJsonDocument::Indented).toStdString();
}

}  // namespace korva
