#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <random>

#include "analysis/decay_correction.h"
#include "analysis/efficiency_model.h"
#include "analysis/nuclide_library.h"
#include "analysis/rate_corrections.h"
#include "tdcr/filetime.h"
#include "tdcr/measurement_tdc_reader.h"

namespace korva::test {

// A vial whose counts the analysis's own model predicts: the coincidence
// rates of an activity under the asymmetric model with the given lambdas,
// plus the accidental coincidences its singles make in each window, decayed
// over the runs. Counts are the expected values rounded, or Poisson draws
// of the disjoint classes (T, and each pair without the third tube).
struct SyntheticVial {
  const Nuclide* nuclide = FindNuclide("H-3");
  double kb = 0.010;
  std::array<double, 3> lambdas = {1.0, 1.0, 1.0};
  double activityBq = 5000.0;  // at the start of run 1
  int runs = 5;
  double liveTime = 100.0;  // seconds per run, also its real time
  double gap = 0.0;
  std::array<double, 2> windowsNs = {40.0, 200.0};
  double singlesRate = 4000.0;         // cps of every tube
  std::array<double, 3> background{};  // AB, BC, AC rates added, T none
  bool poisson = false;
  unsigned seed = 1;
  StampTime start{2024, 3, 7, 12, 0, 0, 0};
  // As an analysis without the modes given corrects them.
  DeadTimeMode mode = DeadTimeMode::kIndividual;

  CoincidenceTiming Timing(std::size_t combination) const {
    return {windowsNs[combination % 2] * 1e-9, std::max(windowsNs[0], windowsNs[1]) * 1e-9, mode};
  }
};

inline StampTime Later(const StampTime& time, double seconds) {
  return StampTimeFromFileTime(FileTimeFromStampTime(time) +
                               static_cast<std::uint64_t>(std::llround(seconds * 1e7)));
}

inline CoincidenceRates TrueRates(const SyntheticVial& vial, const AsymmetricEfficiency& e, double activity) {
  return {activity * e.ab + vial.background[0], activity * e.bc + vial.background[1],
          activity * e.ac + vial.background[2], activity * e.triples};
}

inline TdcMeasurement MakeMeasurement(const SyntheticVial& vial) {
  std::mt19937 random(vial.seed);
  const auto count = [&](double expected) -> std::uint64_t {
    if (!vial.poisson) return static_cast<std::uint64_t>(std::llround(expected));
    return static_cast<std::uint64_t>(std::poisson_distribution<long long>(expected)(random));
  };
  TdcMeasurement m;
  m.header.hardware = "Veltra RQ3102";
  m.header.windowsNs = vial.windowsNs;
  m.header.windowTexts = {std::to_string(vial.windowsNs[0]), std::to_string(vial.windowsNs[1])};
  m.header.extensionsUs = {0.64, 8.0};
  m.header.presetRuns = vial.runs;
  m.header.runsCompleted = vial.runs;
  m.header.timePerRun = vial.liveTime;
  m.header.gapTime = vial.gap;
  const SingleRates singles{vial.singlesRate, vial.singlesRate, vial.singlesRate};
  const double t = vial.liveTime;
  const AsymmetricEfficiency e = EfficiencyModel(*vial.nuclide, vial.kb, Toluene()).Asymmetric(vial.lambdas);
  for (int i = 0; i < vial.runs; ++i) {
    const double offset = i * (t + vial.gap);
    const double mean = vial.activityBq / DecayToReference(vial.nuclide->halfLifeSeconds, offset) *
                        DecayDuringRun(vial.nuclide->halfLifeSeconds, t);
    TdcRun run;
    run.number = i + 1;
    run.startLabel = "START TIME: UTC";
    run.start = Later(vial.start, offset);
    run.realTime = t;
    for (auto& pmt : run.singleLiveTimes) pmt = {t, t};
    for (auto& kind : run.singles)
      kind = {TdcCount{count(singles.a * t), 0}, {count(singles.b * t), 0}, {count(singles.c * t), 0}};
    for (auto& extension : run.coincidenceLiveTimes) extension.fill(t);
    for (std::size_t c = 0; c < TdcrRates::kCombinations; ++c) {
      const CoincidenceRates truth = TrueRates(vial, e, mean);
      // The accidentals depend on the measured rates they are part of.
      CoincidenceRates r = truth;
      for (int pass = 0; pass < 4; ++pass) {
        const CoincidenceRates accidental = MeasuredDistortion(singles, r, vial.Timing(c)).Total();
        r = {truth.ab + accidental.ab, truth.bc + accidental.bc, truth.ac + accidental.ac,
             truth.t + accidental.t};
      }
      const std::uint64_t triples = count(r.t * t);
      const std::uint64_t ab = triples + count((r.ab - r.t) * t);
      const std::uint64_t bc = triples + count((r.bc - r.t) * t);
      const std::uint64_t ac = triples + count((r.ac - r.t) * t);
      auto& k = run.coincidences[c];
      k[TdcrRates::kAB] = {ab, static_cast<double>(ab) / t};
      k[TdcrRates::kBC] = {bc, static_cast<double>(bc) / t};
      k[TdcrRates::kAC] = {ac, static_cast<double>(ac) / t};
      k[TdcrRates::kT] = {triples, static_cast<double>(triples) / t};
      k[TdcrRates::kD] = {ab + bc + ac - 2 * triples, 0.0};
    }
    m.runs.push_back(run);
  }
  return m;
}

}  // namespace korva::test
