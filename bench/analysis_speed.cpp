// How long the analysis of a full measurement takes: 64 runs under the four
// window/extension combinations, with the statistics and the uncertainty
// budget (which analyses the main combination again at kB +-0.002, with the
// other low-energy stopping power and with the other model). Prints the median of repeated analyses.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

#include "analysis/efficiency_model.h"
#include "analysis/measurement_analysis.h"
#include "analysis/nuclide_library.h"

namespace {

using namespace korva;
using Clock = std::chrono::steady_clock;

constexpr int kRuns = 64;
constexpr int kRepeats = 21;

// A tritium vial of 5000 Bq with slightly unequal tubes, 60 s per run,
// Poisson counts.
TdcMeasurement SixtyFourRuns() {
  const AsymmetricEfficiency e =
      EfficiencyModel(*FindNuclide("H-3"), 0.010, Toluene()).Asymmetric({0.8, 0.85, 0.9});
  std::mt19937 random(1);
  const auto draw = [&](double mean) {
    return static_cast<std::uint64_t>(std::poisson_distribution<long long>(mean)(random));
  };
  TdcMeasurement m;
  m.header.windowsNs = {40.0, 200.0};
  m.header.extensionsUs = {0.64, 8.0};
  m.header.presetRuns = kRuns;
  m.header.runsCompleted = kRuns;
  const double t = 60.0;
  for (int r = 0; r < kRuns; ++r) {
    TdcRun run;
    run.number = r + 1;
    run.start = {2024, 3, 7, 12, r / 60, r % 60, 0};
    run.realTime = t;
    for (auto& pmt : run.singleLiveTimes) pmt = {t, t};
    for (auto& kind : run.singles)
      kind = {TdcCount{draw(3300 * t), 0}, {draw(3300 * t), 0}, {draw(3300 * t), 0}};
    for (auto& extension : run.coincidenceLiveTimes) extension.fill(t);
    for (auto& combination : run.coincidences) {
      const std::uint64_t triples = draw(5000 * e.triples * t);
      combination[TdcrRates::kAB].counts = triples + draw(5000 * (e.ab - e.triples) * t);
      combination[TdcrRates::kBC].counts = triples + draw(5000 * (e.bc - e.triples) * t);
      combination[TdcrRates::kAC].counts = triples + draw(5000 * (e.ac - e.triples) * t);
      combination[TdcrRates::kT].counts = triples;
    }
    m.runs.push_back(run);
  }
  return m;
}

double MedianMs(std::vector<double> ms) {
  std::ranges::sort(ms);
  return ms[ms.size() / 2];
}

// The process's CPU time in ms: on a machine busy with other work the wall
// time of an analysis is longer than what it costs by the share of the
// cores it gets.
double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return 1e3 * static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_nsec);
}

void TimeAnalysis(const TdcMeasurement& m, DetectionModel model) {
  AnalysisSettings settings;
  settings.model = model;
  settings.deadTimeModes = {DeadTimeMode::kIndividual, DeadTimeMode::kIndividual};
  std::vector<double> ms;
  std::vector<double> cpu;
  double activity = 0.0;
  for (int i = 0; i < kRepeats; ++i) {
    const auto start = Clock::now();
    const double cpuStart = CpuMs();
    const Checked<MeasurementAnalysis> a = AnalyzeMeasurement(m, nullptr, settings);
    cpu.push_back(CpuMs() - cpuStart);
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    if (!a) {
      std::printf("analysis failed: %s\n", a.error.c_str());
      return;
    }
    activity = a->activity;
  }
  std::printf(
      "%-10s model: %7.2f ms (CPU %.2f ms) per analysis of %d runs x 4 combinations with budget (A = %.1f "
      "Bq)\n",
      std::string(DetectionModelName(model)).c_str(), MedianMs(ms), MedianMs(cpu), kRuns, activity);
}

}  // namespace

int main() {
  std::vector<double> ms;
  for (int i = 0; i < kRepeats; ++i) {
    const auto start = Clock::now();
    const EfficiencyModel model(*FindNuclide("H-3"), 0.010, Toluene());
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::printf("efficiency model (spectrum and quenching on %d nodes): %.2f ms\n",
              kDefaultSpectrumIntervals + 1, MedianMs(ms));
  const TdcMeasurement m = SixtyFourRuns();
  TimeAnalysis(m, DetectionModel::kSymmetric);
  TimeAnalysis(m, DetectionModel::kAsymmetric);
  return 0;
}
