#include "analysis/analysis_report.h"

#include <cstdio>
#include <string_view>

#include "analysis/limits_report.h"

namespace korva {

namespace {

constexpr std::array<const char*, TdcrRates::kCombinations> kCombinationNames = {"N1", "M1", "N2", "M2"};

template <typename... Args>
std::string Printed(const char* format, Args... args) {
  char text[256];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

std::string Percent(const UncertaintyBudget& budget, double u) {
  return Printed("%7.3f %%", 100.0 * budget.Relative(u));
}

std::string RunLine(const RunAnalysis& r) {
  if (!r.used) return Printed("%4d  not used: %s\n", r.run, r.note.c_str());
  return Printed("%4d %s %8.5f %8.5f %8.5f %8.5f %12.2f %9.2f\n", r.run, r.flagged ? "*" : " ", r.tdRatio,
                 r.lambdas[0], r.doublesEfficiency, r.triplesEfficiency, r.activityD, r.activityDUncertainty);
}

std::string BudgetLine(const UncertaintyBudget& b, const UncertaintyComponent& c) {
  if (!c.evaluated) return Printed("  %-36s %21s\n", c.name.c_str(), kNotEvaluatedText);
  return Printed("  %-36s %10.3f Bq %s\n", c.name.c_str(), c.standardUncertainty,
                 Percent(b, c.standardUncertainty).c_str());
}

std::string PairLine(const PairCheck& p) {
  if (!p.evaluated) return "Pair check: not evaluated\n";
  return Printed(
      "Pair check (one yield for all tubes): AB %.2f Bq, BC %.2f Bq, AC %.2f Bq; "
      "largest difference %.1f sigma\n",
      p.activities[0], p.activities[1], p.activities[2], p.largestDifferenceSigmas);
}

}  // namespace

std::string AnalysisRunTable(const CombinationAnalysis& combination) {
  std::string text = " Run      T/D   lambda    eps_D    eps_T     A_D [Bq]  u(A_D)\n";
  for (const RunAnalysis& r : combination.runs) text += RunLine(r);
  return text;
}

std::string AnalysisResultText(const MeasurementAnalysis& a) {
  const UncertaintyBudget& b = a.budget;
  const RunStatistics& s = a.Main().doubles;
  std::string text =
      Printed("Activity (%s, from D): %.2f Bq +- %.2f Bq (k = 1), %.3f %%\n", kCombinationNames[a.main],
              a.activity, b.combined, 100.0 * b.Relative(b.combined));
  if (a.limits && !a.limits->detected) text = "Result: " + DetectionText(*a.limits) + "\n" + text;
  text += Printed("Expanded uncertainty: %.2f Bq (k = %g)\n", b.expanded, b.coverageFactor);
  text += PairLine(a.pairs);
  text += Printed("Runs used: %d   Birge ratio: %.3f   standard deviation of the runs: %.2f Bq\n", s.count,
                  s.birgeRatio, s.standardDeviation);
  text += "Uncertainty budget (standard uncertainties):\n";
  for (const UncertaintyComponent& c : b.components) text += BudgetLine(b, c);
  text += Printed("  %-36s %10.3f Bq %s\n", "combined (k = 1)", b.combined, Percent(b, b.combined).c_str());
  text += Printed("  %-36s %10.3f Bq %s\n", "expanded (k = 2)", b.expanded, Percent(b, b.expanded).c_str());
  if (a.limits) text += LimitsText(*a.limits);
  for (const std::string& warning : a.warnings) text += "Warning: " + warning + "\n";
  return text;
}

std::string AnalysisReportText(const AnalysisInputs& inputs, const TdcHeader& sample,
                               const MeasurementAnalysis& a) {
  std::string text = std::string(kAnalysisProgram) + " - TDCR analysis\n";
  text += "Instrument: " + sample.hardware + ", serial number " + sample.serialNumber + ", firmware " +
          sample.firmware + ", FPGA " + sample.fpga + "\n";
  text += "Sample: " + inputs.sample + "\n";
  text += "Background: " + (inputs.background.empty() ? std::string("none") : inputs.background) + "\n";
  text += Printed("Nuclide: %s   kB: %.4f cm/MeV   model: %s\n", a.nuclide.c_str(), a.kb,
                  std::string(DetectionModelName(a.model)).c_str());
  text += Printed("Window %s (%g ns), extension %d (%s)\n", a.main % 2 == 0 ? "N" : "M",
                  sample.windowsNs[a.main % 2], static_cast<int>(inputs.settings.extension) + 1,
                  kCombinationNames[a.main]);
  text += "Reference time: " + FormatReferenceTime(a.referenceTime) +
          (inputs.settings.referenceTime ? "" : " (start of run 1)") + "\n\n";
  text += AnalysisRunTable(a.Main()) + "\n" + AnalysisResultText(a);
  return text;
}

std::string AnalysisReportText(const AnalysisInputs& inputs, const TdcHeader& sample,
                               const MeasurementAnalysis& analysis, const Provenance& provenance) {
  return AnalysisReportText(inputs, sample, analysis) + "\n" + ProvenanceText(provenance);
}

}  // namespace korva
