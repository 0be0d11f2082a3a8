#include "analysis/measurement_limits.h"

#include <algorithm>
#include <cmath>

#include "analysis/decay_correction.h"
#include "analysis/gum_rounding.h"
#include "analysis/nuclide_library.h"

namespace korva {

namespace {

struct Counts {
  double counts = 0.0;
  double liveTime = 0.0;

  void Add(const TdcRun& run, TdcrRates::Combination c) {
    const auto& n = run.coincidences[c];
    counts +=
        static_cast<double>(n[TdcrRates::kAB].counts + n[TdcrRates::kBC].counts + n[TdcrRates::kAC].counts) -
        2.0 * static_cast<double>(n[TdcrRates::kT].counts);
    liveTime += run.coincidenceLiveTimes[ExtensionOf(c)][TdcrRates::kT];
  }
};

bool Counted(const TdcMeasurement& m, const TdcRun& run, TdcrRates::Combination c) {
  return run.number <= m.header.runsCompleted &&
         run.coincidenceLiveTimes[ExtensionOf(c)][TdcrRates::kT] > 0.0;
}

Counts CompletedCounts(const TdcMeasurement& m, TdcrRates::Combination c) {
  Counts sum;
  for (const TdcRun& run : m.runs) {
    if (Counted(m, run, c)) sum.Add(run, c);
  }
  return sum;
}

LimitInputs InputsFrom(const Counts& gross, const Counts& background, double w, double wRelative) {
  return {gross.counts, gross.liveTime, background.counts, background.liveTime, w, wRelative};
}

}  // namespace

LimitInputs LimitInputsOf(const TdcMeasurement& sample, const TdcMeasurement& background,
                          const MeasurementAnalysis& a) {
  Counts gross;
  double w = 0.0;
  int used = 0;
  for (std::size_t i = 0; i < a.Main().runs.size() && i < sample.runs.size(); ++i) {
    const RunAnalysis& r = a.Main().runs[i];
    if (!r.used) continue;
    gross.Add(sample.runs[i], a.main);
    w += r.activityD / r.rates.D();
    ++used;
  }
  // The model's Poisson counting of D; the rest of the combined
  // uncertainty (the model's terms, and the binomial spread of T/D that the
  // efficiency carries) is the calibration's, so u(y) at the result is the
  // budget's combined uncertainty.
  LimitInputs in = InputsFrom(gross, CompletedCounts(background, a.main), used > 0 ? w / used : 0.0, 0.0);
  const double rest = std::max(0.0, a.budget.combined * a.budget.combined - CountingVariance(in));
  in.calibrationRelativeUncertainty = a.activity != 0.0 ? std::sqrt(rest) / std::abs(a.activity) : 0.0;
  return in;
}

CharacteristicLimits LimitsOf(const TdcMeasurement& sample, const TdcMeasurement& background,
                              const MeasurementAnalysis& analysis, const LimitSettings& settings) {
  return ComputeCharacteristicLimits(LimitInputsOf(sample, background, analysis), analysis.activity,
                                     settings);
}

MeasurementAnalysis WithGivenEfficiency(MeasurementAnalysis a, const TdcMeasurement& sample,
                                        const TdcMeasurement& background, const AnalysisSettings& settings,
                                        const std::string& why) {
  const double efficiency = *settings.givenEfficiency;
  const double halfLife = FindNuclide(a.nuclide)->halfLifeSeconds;
  Counts gross;
  double w = 0.0;
  int counted = 0;
  for (std::size_t i = 0; i < sample.runs.size() && i < a.Main().runs.size(); ++i) {
    if (!Counted(sample, sample.runs[i], a.main)) continue;
    const RunAnalysis& r = a.Main().runs[i];
    gross.Add(sample.runs[i], a.main);
    w += DecayToReference(halfLife, r.secondsAfterReference) / DecayDuringRun(halfLife, r.realTime) /
         efficiency;
    ++counted;
  }
  const Counts blank = CompletedCounts(background, a.main);
  const LimitInputs in = InputsFrom(gross, blank, counted > 0 ? w / counted : 0.0,
                                    settings.givenEfficiencyUncertainty / efficiency);
  a.activity =
      in.calibration * (in.grossCounts / in.grossLiveTime - in.backgroundCounts / in.backgroundLiveTime);
  const double counting =
      in.calibration * std::sqrt(in.grossCounts / (in.grossLiveTime * in.grossLiveTime) +
                                 in.backgroundCounts / (in.backgroundLiveTime * in.backgroundLiveTime));
  a.budget = CombineUncertainties(
      a.activity, {{"counting statistics", counting},
                   {"given efficiency", std::abs(a.activity) * in.calibrationRelativeUncertainty}});
  a.efficiencyGiven = true;
  a.warnings.push_back("the efficiency could not be solved from T/D (" + why +
                       "); the result uses the given " +
                       "efficiency eps_D = " + SignificantText(efficiency, 4) + " +- " +
                       SignificantText(settings.givenEfficiencyUncertainty, 2));
  a.limits = ComputeCharacteristicLimits(in, a.activity, settings.limits);
  return a;
}

}  // namespace korva
