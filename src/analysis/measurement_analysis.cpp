#include "analysis/measurement_analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "analysis/decay_correction.h"
#include "analysis/efficiency_model.h"
#include "analysis/measurement_budget.h"
#include "analysis/measurement_context.h"
#include "analysis/measurement_limits.h"
#include "analysis/nuclide_library.h"
#include "analysis/tdcr_solver.h"
#include "analysis/window_consistency.h"
#include "common/format_text.h"

namespace korva {

namespace {

using Combination = TdcrRates::Combination;
constexpr double kSecondsPerNs = 1e-9;
constexpr double kSecondsPerFileTimeTick = 1e-7;

double SecondsBetween(const StampTime& from, const StampTime& to) {
  return static_cast<double>(static_cast<std::int64_t>(FileTimeFromStampTime(to)) -
                             static_cast<std::int64_t>(FileTimeFromStampTime(from))) *
         kSecondsPerFileTimeTick;
}

bool HasLiveTimes(const TdcRun& run, std::size_t extension) {
  if (!(run.realTime > 0.0)) return false;
  for (const double t : run.coincidenceLiveTimes[extension]) {
    if (!(t > 0.0)) return false;
  }
  for (const auto& pmt : run.singleLiveTimes) {
    if (!(pmt[extension] > 0.0)) return false;
  }
  return true;
}

// Coincidence counts and single counts of a combination summed over runs,
// with the live times they were counted in.
struct CountSums {
  std::array<double, TdcrRates::kLiveTimeKinds> counts{};
  std::array<double, TdcrRates::kLiveTimeKinds> liveTimes{};
  std::array<double, 3> singleCounts{};
  std::array<double, 3> singleLiveTimes{};

  void Add(const TdcRun& run, Combination c) {
    const std::size_t e = ExtensionOf(c);
    for (std::size_t k = 0; k < TdcrRates::kLiveTimeKinds; ++k) {
      counts[k] += static_cast<double>(run.coincidences[c][k].counts);
      liveTimes[k] += run.coincidenceLiveTimes[e][k];
    }
    for (std::size_t pmt = 0; pmt < 3; ++pmt) {
      singleCounts[pmt] += static_cast<double>(run.singles[1 + e][pmt].counts);
      singleLiveTimes[pmt] += run.singleLiveTimes[pmt][e];
    }
  }
  CoincidenceRates Rates() const {
    return {counts[TdcrRates::kAB] / liveTimes[TdcrRates::kAB],
            counts[TdcrRates::kBC] / liveTimes[TdcrRates::kBC],
            counts[TdcrRates::kAC] / liveTimes[TdcrRates::kAC],
            counts[TdcrRates::kT] / liveTimes[TdcrRates::kT]};
  }
  SingleRates Singles() const {
    return {singleCounts[0] / singleLiveTimes[0], singleCounts[1] / singleLiveTimes[1],
            singleCounts[2] / singleLiveTimes[2]};
  }
  // Poisson variance of a D rate formed from these counts: D / t.
  double DoublesVariance() const { return std::max(0.0, Rates().D()) / liveTimes[TdcrRates::kT]; }
};

// How a combination's coincidences were counted: its window behind a gate
// whose resolving time is the longer window. A mode not known is corrected
// as IDT, which has no term for pulses the CDT gate blocks; that term is
// then reported as not evaluated.
CoincidenceTiming TimingOf(const TdcMeasurement& m, const std::array<std::optional<DeadTimeMode>, 2>& modes,
                           Combination c) {
  const auto& windows = m.header.windowsNs;
  return {windows[WindowOf(c)] * kSecondsPerNs, std::max(windows[0], windows[1]) * kSecondsPerNs,
          modes[ExtensionOf(c)].value_or(DeadTimeMode::kIndividual)};
}

Checked<BackgroundRates> BackgroundOf(const TdcMeasurement& measurement,
                                      const std::array<std::optional<DeadTimeMode>, 2>& modes,
                                      Combination c) {
  CountSums sums;
  int used = 0;
  for (const TdcRun& run : measurement.runs) {
    if (run.number > measurement.header.runsCompleted || !HasLiveTimes(run, ExtensionOf(c))) continue;
    sums.Add(run, c);
    ++used;
  }
  if (used == 0) return Checked<BackgroundRates>::Failure("the background measurement has no completed run");
  const CoincidenceRates rates =
      WithoutAccidentals(sums.Singles(), sums.Rates(), TimingOf(measurement, modes, c));
  return Success(BackgroundRates{rates, sums.DoublesVariance()});
}

// Solves the run's lambdas and efficiencies from `start` (the last run's
// lambdas, or zeros); false with a note when the model cannot. Keeps
// d ln(eps_D) / d(T/D) of the symmetric curve for the counting uncertainty.
bool Solve(const EfficiencyModel& model, DetectionModel detection, const std::array<double, 3>& start,
           RunAnalysis& r, double& doublesPerRatio) {
  const CoincidenceRates& n = r.rates;
  if (detection == DetectionModel::kSymmetric) {
    const Checked<SymmetricSolution> s = SolveSymmetric(model, r.tdRatio, start[0]);
    if (!s) {
      r.note = s.error;
      return false;
    }
    r.lambdas.fill(s->lambda);
    r.doublesEfficiency = s->efficiency.doubles;
    r.triplesEfficiency = s->efficiency.triples;
    doublesPerRatio = s->efficiency.DoublesPerRatio();
    return true;
  }
  std::optional<std::array<double, 3>> hint;
  if (start[0] > 0.0) hint = start;
  const Checked<AsymmetricSolution> s = SolveAsymmetric(model, {n.t / n.ab, n.t / n.bc, n.t / n.ac}, hint);
  if (!s) {
    r.note = s.error;
    return false;
  }
  r.lambdas = s->lambdas;
  r.doublesEfficiency = s->efficiency.Doubles();
  r.triplesEfficiency = s->efficiency.triples;
  // The symmetric curve through the tubes' mean yield stands in for the
  // asymmetric model's dependence on its three ratios.
  doublesPerRatio = model.Symmetric(std::cbrt(r.lambdas[0] * r.lambdas[1] * r.lambdas[2])).DoublesPerRatio();
  return true;
}

// The run's counting uncertainty of activityD: Poisson D (with the
// background's), and the binomial spread of T/D (T is a part of D) through
// the efficiency curve's slope.
double CountingUncertainty(const RunAnalysis& r, const CoincidenceRates& gross, double liveTime,
                           double backgroundVariance, double doublesPerRatio) {
  const double d = r.rates.D();
  const double grossCounts = gross.D() * liveTime;
  const double relativeD2 = (std::max(0.0, gross.D()) / liveTime + backgroundVariance) / (d * d);
  const double tdVariance = grossCounts > 0.0 ? r.tdRatio * (1.0 - r.tdRatio) / grossCounts : 0.0;
  return r.activityD * std::sqrt(relativeD2 + doublesPerRatio * doublesPerRatio * tdVariance);
}

RunAnalysis AnalyzeRun(const MeasurementContext& ctx, const TdcRun& run, Combination c,
                       const EfficiencyModel& model, DetectionModel detection,
                       const std::array<double, 3>& start) {
  RunAnalysis r;
  r.run = run.number;
  r.realTime = run.realTime;
  r.secondsAfterReference = SecondsBetween(ctx.reference, run.start);
  const std::size_t e = ExtensionOf(c);
  if (run.number > ctx.sample.header.runsCompleted) {
    r.note = "not completed";
    return r;
  }
  if (!HasLiveTimes(run, e)) {
    r.note = "no live time";
    return r;
  }
  CountSums sums;
  sums.Add(run, c);
  const CoincidenceRates gross = sums.Rates();
  r.rates =
      WithoutAccidentals(sums.Singles(), gross, TimingOf(ctx.sample, ctx.modes, c)) - ctx.background[c].rates;
  if (!(r.rates.t > 0.0 && r.rates.ab > 0.0 && r.rates.bc > 0.0 && r.rates.ac > 0.0 && r.rates.D() > 0.0)) {
    r.note = "no net coincidences";
    return r;
  }
  r.tdRatio = r.rates.t / r.rates.D();
  double doublesPerRatio = 0.0;
  if (!Solve(model, detection, start, r, doublesPerRatio)) return r;
  const double toReference = DecayToReference(ctx.nuclide.halfLifeSeconds, r.secondsAfterReference) /
                             DecayDuringRun(ctx.nuclide.halfLifeSeconds, r.realTime);
  r.activityD = r.rates.D() / r.doublesEfficiency * toReference;
  r.activityT = r.rates.t / r.triplesEfficiency * toReference;
  const double liveTime = run.coincidenceLiveTimes[e][TdcrRates::kT];
  r.activityDUncertainty =
      CountingUncertainty(r, gross, liveTime, ctx.background[c].doublesVariance, doublesPerRatio);
  r.used = true;
  return r;
}

void Summarize(CombinationAnalysis& a) {
  std::vector<double> d, t, ud, ut;
  for (const RunAnalysis& r : a.runs) {
    if (!r.used) continue;
    d.push_back(r.activityD);
    t.push_back(r.activityT);
    ud.push_back(r.activityDUncertainty);
    ut.push_back(r.activityDUncertainty / r.activityD * r.activityT);
  }
  a.doubles = ComputeRunStatistics(d, ud);
  a.triples = ComputeRunStatistics(t, ut);
  std::size_t i = 0;
  for (RunAnalysis& r : a.runs) {
    if (r.used) r.flagged = a.doubles.flagged[i++];
  }
  if (!a.Usable()) {
    const auto failed = std::ranges::find_if(a.runs, [](const RunAnalysis& r) { return !r.note.empty(); });
    a.error = "no run could be analysed";
    if (failed != a.runs.end()) a.error += ": run " + std::to_string(failed->run) + ", " + failed->note;
  }
}

// Sums of a combination's counts over its used runs, for checks
// that compare counts of the same events.
CountSums UsedCounts(const MeasurementContext& ctx, const CombinationAnalysis& a) {
  CountSums sums;
  for (std::size_t i = 0; i < a.runs.size(); ++i) {
    if (a.runs[i].used) sums.Add(ctx.sample.runs[i], a.combination);
  }
  return sums;
}

// The combination's rates over its used runs and their corrections.
CombinationRates RatesOf(const MeasurementContext& ctx, const CombinationAnalysis& a) {
  const CountSums sums = UsedCounts(ctx, a);
  CombinationRates rates;
  rates.windowNs = ctx.sample.header.windowsNs[WindowOf(a.combination)];
  rates.mode = ctx.modes[ExtensionOf(a.combination)];
  if (!a.Usable()) return rates;
  rates.measured = sums.Rates();
  rates.distortion =
      MeasuredDistortion(sums.Singles(), rates.measured, TimingOf(ctx.sample, ctx.modes, a.combination));
  rates.corrected = rates.measured - rates.distortion.Total();
  return rates;
}

CombinationAnalysis AnalyzeCombination(const MeasurementContext& ctx, Combination c,
                                       const EfficiencyModel& model, DetectionModel detection) {
  CombinationAnalysis a;
  a.combination = c;
  std::array<double, 3> start{};  // each run starts from the yields of the run before
  for (const TdcRun& run : ctx.sample.runs) {
    a.runs.push_back(AnalyzeRun(ctx, run, c, model, detection, start));
    if (a.runs.back().used) start = a.runs.back().lambdas;
  }
  Summarize(a);
  a.rates = RatesOf(ctx, a);
  return a;
}

std::string CombinationName(Combination c) {
  constexpr std::array<const char*, TdcrRates::kCombinations> kNames = {"N1", "M1", "N2", "M2"};
  return kNames[c];
}

// The standard uncertainty of the difference of the activities from the
// two windows, from the counts of their used runs (window_consistency.h);
// the efficiency curve's slope at the wider window's T/D carries the T/D
// part.
double WindowDifferenceUncertainty(const MeasurementContext& ctx, const EfficiencyModel& model,
                                   const CombinationAnalysis& narrow, const CombinationAnalysis& wide) {
  const CountSums n = UsedCounts(ctx, narrow);
  const CountSums m = UsedCounts(ctx, wide);
  const auto doubles = [](const CountSums& s) {
    return s.counts[TdcrRates::kAB] + s.counts[TdcrRates::kBC] + s.counts[TdcrRates::kAC] -
           2.0 * s.counts[TdcrRates::kT];
  };
  const CoincidenceRates& rates = wide.rates.corrected;
  const Checked<SymmetricSolution> s = SolveSymmetric(model, rates.t / rates.D(), 0.0);
  const double kappa = s ? s->efficiency.DoublesPerRatio() : 0.0;
  const NestedWindowCounts counts{doubles(n), n.counts[TdcrRates::kT], doubles(m), m.counts[TdcrRates::kT]};
  return wide.doubles.weightedMean * NestedWindowDifference(counts, kappa);
}

// The pair activities with the symmetric yield of each run, and how far
// apart they lie. Two pairs share the events all three tubes saw:
// AB = T + (AB not C), BC = T + (BC not A), with the parts independent, so
//   var(r_AB - r_BC) = N_AB / t_AB^2 + N_BC / t_BC^2 - 2 N_T / (t_AB t_BC)
// in counts N over live times t; the efficiency is the same for every pair
// and drops out of the comparison.
PairCheck CheckPairs(const MeasurementContext& ctx, const CombinationAnalysis& main,
                     const EfficiencyModel& model) {
  PairCheck check;
  const CountSums sums = UsedCounts(ctx, main);
  const CoincidenceRates rates = sums.Rates();
  const Checked<SymmetricSolution> s = SolveSymmetric(model, rates.t / rates.D(), 0.0);
  if (!s || !(rates.t > 0.0)) return check;
  const AsymmetricEfficiency e = model.Asymmetric({s->lambda, s->lambda, s->lambda});
  const std::array<double, 3> pairRates = {rates.ab, rates.bc, rates.ac};
  constexpr std::array<std::size_t, 3> kKinds = {TdcrRates::kAB, TdcrRates::kBC, TdcrRates::kAC};
  // The pairs' rates scaled as D is to the result, which carries the decay corrections.
  const double scale = main.doubles.weightedMean / (rates.D() / s->efficiency.doubles);
  for (std::size_t p = 0; p < 3; ++p) check.activities[p] = pairRates[p] / e.ab * scale;
  const double triples = sums.counts[TdcrRates::kT];
  for (std::size_t p = 0; p < 3; ++p) {
    const std::size_t q = (p + 1) % 3;
    const double tp = sums.liveTimes[kKinds[p]];
    const double tq = sums.liveTimes[kKinds[q]];
    const double variance =
        sums.counts[kKinds[p]] / (tp * tp) + sums.counts[kKinds[q]] / (tq * tq) - 2.0 * triples / (tp * tq);
    if (variance <= 0.0) continue;
    check.largestDifferenceSigmas =
        std::max(check.largestDifferenceSigmas, std::abs(pairRates[p] - pairRates[q]) / std::sqrt(variance));
  }
  check.evaluated = true;
  return check;
}

void WarnAboutWindows(const MeasurementContext& ctx, const EfficiencyModel& model,
                      MeasurementAnalysis& result) {
  const auto& windows = ctx.sample.header.windowsNs;
  const double used = windows[WindowOf(result.main)];
  if (used < kShortWindowNs) {
    result.warnings.push_back("the window of the result, " + FormatText("%g", used) +
                              " ns, is shorter than 40 ns: it loses coincidences of faint events and the "
                              "activity reads high; measure with a window of 40 ns or more");
  }
  if (windows[0] == windows[1]) return;
  const std::size_t e = ExtensionOf(result.main);
  const CombinationAnalysis& n = result.combinations[CombinationOf(0, e)];
  const CombinationAnalysis& m = result.combinations[CombinationOf(1, e)];
  if (!n.Usable() || !m.Usable()) return;
  const double difference = n.doubles.weightedMean - m.doubles.weightedMean;
  const bool nNarrower = windows[0] < windows[1];
  const double u = WindowDifferenceUncertainty(ctx, model, nNarrower ? n : m, nNarrower ? m : n);
  if (std::abs(difference) > 2.0 * u) {
    result.warnings.push_back("the activities from windows N and M differ by " +
                              FormatText("%.2f %%", 100.0 * difference / m.doubles.weightedMean) +
                              ", more than twice the standard uncertainty of their difference (" +
                              FormatText("%.2f %%", 100.0 * u / m.doubles.weightedMean) +
                              "): the shorter window loses coincidences");
  }
}

void WarnAboutModes(const AnalysisSettings& settings, MeasurementAnalysis& result) {
  for (std::size_t e = 0; e < 2; ++e) {
    if (settings.deadTimeModes[e]) continue;
    result.warnings.push_back("the dead-time mode of extension " + std::to_string(e + 1) +
                              " is not known: its coincidences are corrected as IDT, and the pulses a CDT "
                              "gate blocks were not evaluated; give the mode (IDT or CDT) the measurement "
                              "was made with");
  }
}

void WarnAboutPairs(MeasurementAnalysis& result) {
  if (!result.pairs.evaluated || result.pairs.largestDifferenceSigmas <= 3.0) return;
  result.warnings.push_back("the activities from the tube pairs AB, BC and AC differ by up to " +
                            FormatText("%.1f", result.pairs.largestDifferenceSigmas) +
                            " standard uncertainties: the tubes look unequal; try the asymmetric model");
}

const Nuclide* NuclideOf(const AnalysisSettings& settings) {
  return settings.ownNuclide ? &*settings.ownNuclide : FindNuclide(settings.nuclide);
}

std::optional<std::string> SettingsError(const TdcMeasurement& sample, const TdcMeasurement* background,
                                         const AnalysisSettings& settings) {
  if (NuclideOf(settings) == nullptr) {
    return "unknown nuclide \"" + settings.nuclide + "\"; known are " + std::string(KnownNuclideNames());
  }
  if (auto error = KbRangeError(settings.kb)) return error;
  if (!settings.cocktail.empty() && FindCocktail(settings.cocktail) == nullptr) {
    return "unknown cocktail \"" + settings.cocktail + "\"; known are " + KnownCocktailNames();
  }
  if (auto error = LimitSettingsError(settings.limits)) return error;
  if (settings.givenEfficiency && !(*settings.givenEfficiency > 0.0 && *settings.givenEfficiency <= 1.0 &&
                                    settings.givenEfficiencyUncertainty >= 0.0)) {
    return "the given efficiency lies above 0 and at most 1, its uncertainty at 0 or above";
  }
  if (settings.window > kWiderWindow) return "the window of the main result is N, M or the wider of them";
  if (settings.extension > 1) return "the extension of the main result is 1 or 2";
  for (const double w : sample.header.windowsNs) {
    if (!(w > 0.0)) return "the measurement's coincidence windows must be longer than 0 ns";
  }
  if (sample.runs.empty() || sample.header.runsCompleted < 1) return "the measurement has no completed run";
  if (background != nullptr && (background->header.windowsNs != sample.header.windowsNs ||
                                background->header.extensionsUs != sample.header.extensionsUs)) {
    return "the background measurement was made with other coincidence windows or dead-time extensions";
  }
  return std::nullopt;
}

}  // namespace

std::size_t MainWindow(const TdcHeader& header, std::size_t choice) {
  if (choice != kWiderWindow) return choice;
  return header.windowsNs[1] > header.windowsNs[0] ? 1 : 0;
}

std::string_view DetectionModelName(DetectionModel model) {
  return model == DetectionModel::kSymmetric ? "symmetric" : "asymmetric";
}

std::string_view DeadTimeModeName(const std::optional<DeadTimeMode>& mode) {
  if (!mode) return "not known";
  return *mode == DeadTimeMode::kCommon ? "CDT" : "IDT";
}

Checked<MeasurementAnalysis> AnalyzeMeasurement(const TdcMeasurement& sample,
                                                const TdcMeasurement* background,
                                                const AnalysisSettings& settings) {
  if (auto error = SettingsError(sample, background, settings)) {
    return Checked<MeasurementAnalysis>::Failure(*error);
  }
  std::string cocktailWarning;
  const Scintillator& cocktail = settings.cocktail.empty()
                                     ? CocktailOfRecord(sample.header.cocktail, cocktailWarning)
                                     : *FindCocktail(settings.cocktail);
  MeasurementContext ctx{
      *NuclideOf(settings),   cocktail, sample,
      settings.deadTimeModes, {},       settings.referenceTime.value_or(sample.runs.front().start)};
  for (std::size_t c = 0; c < TdcrRates::kCombinations && background != nullptr; ++c) {
    const Checked<BackgroundRates> b = BackgroundOf(*background, ctx.modes, static_cast<Combination>(c));
    if (!b) return Checked<MeasurementAnalysis>::Failure(b.error);
    ctx.background[c] = *b;
  }

  MeasurementAnalysis result;
  result.nuclide = ctx.nuclide.name;
  result.nuclideFile = ctx.nuclide.file;
  result.nuclideVersion = ctx.nuclide.version;
  result.cocktail = cocktail.name;
  if (!cocktailWarning.empty()) result.warnings.push_back(cocktailWarning);
  result.kb = settings.kb;
  result.model = settings.model;
  result.main = CombinationOf(MainWindow(sample.header, settings.window), settings.extension);
  result.referenceTime = ctx.reference;
  result.backgroundSubtracted = background != nullptr;
  const EfficiencyModel model(ctx.nuclide, settings.kb, ctx.cocktail);
  for (std::size_t c = 0; c < TdcrRates::kCombinations; ++c) {
    result.combinations[c] = AnalyzeCombination(ctx, static_cast<Combination>(c), model, settings.model);
  }
  const CombinationAnalysis& main = result.Main();
  if (!main.Usable() && background != nullptr && settings.givenEfficiency) {
    const std::string why = main.error;  // `main` is a part of the result moved below
    return Success(WithGivenEfficiency(std::move(result), sample, *background, settings, why));
  }
  if (!main.Usable()) {
    const char* blank =
        background != nullptr ? "; for a blank, give the efficiency of a standard in its cocktail" : "";
    return Checked<MeasurementAnalysis>::Failure(CombinationName(result.main) + ": " + main.error + blank);
  }
  result.activity = main.doubles.weightedMean;
  for (const RunAnalysis& r : main.runs) {
    if (r.flagged)
      result.warnings.push_back("run " + std::to_string(r.run) + " lies more than 3 sigma from the mean");
  }
  WarnAboutWindows(ctx, model, result);
  WarnAboutModes(settings, result);
  result.pairs = CheckPairs(ctx, main, model);
  WarnAboutPairs(result);
  result.budget = MeasurementBudget(ctx, model, result, settings);
  if (background != nullptr) result.limits = LimitsOf(sample, *background, result, settings.limits);
  return Success(std::move(result));
}

}  // namespace korva
