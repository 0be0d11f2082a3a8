#include "analysis/analysis_report.h"

#include <algorithm>
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

// The budget's name column: 36 characters, or the longest term's name, so
// that a long name (a nuclide's own shape or capture terms) does not push
// its figures out of line with the others'.
int BudgetNameWidth(const UncertaintyBudget& b) {
  std::size_t width = 36;
  for (const UncertaintyComponent& c : b.components) width = std::max(width, c.name.size());
  return static_cast<int>(width);
}

std::string BudgetLine(const UncertaintyBudget& b, const std::string& name, double standardUncertainty) {
  return Printed("  %-*s %10.3f Bq %s\n", BudgetNameWidth(b), name.c_str(), standardUncertainty,
                 Percent(b, standardUncertainty).c_str());
}

std::string BudgetLine(const UncertaintyBudget& b, const UncertaintyComponent& c) {
  if (!c.evaluated) return Printed("  %-*s %21s\n", BudgetNameWidth(b), c.name.c_str(), kNotEvaluatedText);
  return BudgetLine(b, c.name, c.standardUncertainty);
}

std::string PairLine(const PairCheck& p) {
  if (!p.evaluated) return "Pair check: not evaluated\n";
  return Printed(
      "Pair check (one yield for all tubes): AB %.2f Bq, BC %.2f Bq, AC %.2f Bq; "
      "largest difference %.1f sigma\n",
      p.activities[0], p.activities[1], p.activities[2], p.largestDifferenceSigmas);
}

// A rate of the combination's correction table, or why there is none.
std::string BlockedText(const CombinationRates& r, double blocked) {
  if (!r.mode) return kNotEvaluatedText;
  if (*r.mode == DeadTimeMode::kIndividual) return kNoBlockingText;
  return Printed("%.3f", -blocked);
}

std::string RatesLines(const CombinationAnalysis& c) {
  const CombinationRates& r = c.rates;
  std::string head = Printed("  %s %4g ns %-9s", kCombinationNames[c.combination], r.windowNs,
                             std::string(DeadTimeModeName(r.mode)).c_str());
  if (!c.Usable()) return head + " no run used\n";
  const auto line = [&](const char* kind, double measured, double merged, double blocked, double corrected) {
    return Printed(" %s %12.3f %10.3f %13s %12.3f\n", kind, measured, -merged,
                   BlockedText(r, blocked).c_str(), corrected);
  };
  const CountingDistortion& d = r.distortion;
  return head + line("D", r.measured.D(), d.merged.D(), d.blocked.D(), r.corrected.D()) +
         std::string(head.size(), ' ') + line("T", r.measured.t, d.merged.t, d.blocked.t, r.corrected.t);
}

}  // namespace

std::string AnalysisRatesTable(const MeasurementAnalysis& a) {
  std::string text =
      "Coincidence rates of the used runs [1/s]: measured, the corrections for decays merged in the window "
      "and pulses blocked by the gate, corrected (before background)\n"
      "  window     mode        measured     merged       blocked    corrected\n";
  for (const CombinationAnalysis& c : a.combinations) text += RatesLines(c);
  return text;
}

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
  text += BudgetLine(b, "combined (k = 1)", b.combined);
  text += BudgetLine(b, "expanded (k = 2)", b.expanded);
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
  text += "Nuclide data: " + a.nuclideFile + " (version " + a.nuclideVersion + ")   cocktail: " + a.cocktail +
          "\n";
  text += Printed("Window %s (%g ns), extension %d (%s)\n", a.main % 2 == 0 ? "N" : "M",
                  sample.windowsNs[a.main % 2], static_cast<int>(inputs.settings.extension) + 1,
                  kCombinationNames[a.main]);
  text += "Dead-time modes: extension 1 " + std::string(DeadTimeModeName(inputs.settings.deadTimeModes[0])) +
          ", extension 2 " + std::string(DeadTimeModeName(inputs.settings.deadTimeModes[1])) + "\n";
  text += "Reference time: " + FormatReferenceTime(a.referenceTime) +
          (inputs.settings.referenceTime ? "" : " (start of run 1)") + "\n\n";
  text += AnalysisRunTable(a.Main()) + "\n" + AnalysisRatesTable(a) + "\n" + AnalysisResultText(a);
  return text;
}

std::string AnalysisReportText(const AnalysisInputs& inputs, const TdcHeader& sample,
                               const MeasurementAnalysis& analysis, const Provenance& provenance) {
  return AnalysisReportText(inputs, sample, analysis) + "\n" + ProvenanceText(provenance);
}

}  // namespace korva
