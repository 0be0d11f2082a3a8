#include "analysis/measurement_analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "analysis/decay_correction.h"
#include "analysis/efficiency_model.h"
#include "analysis/measurement_limits.h"
#include "analysis/nuclide_library.h"
#include "analysis/nuclide_variants.h"
#include "analysis/tdcr_solver.h"
#include "analysis/window_consistency.h"

namespace korva {

namespace {

using Combination = TdcrRates::Combination;
// The budget's entry for the correction a CDT gate needs when the mode is not known.
constexpr const char* kBlockedTerm = "pulses blocked by a CDT gate";
constexpr double kSecondsPerNs = 1e-9;
constexpr double kSecondsPerFileTimeTick = 1e-7;

Combination CombinationOf(std::size_t window, std::size_t extension) {
  return static_cast<Combination>(window + 2 * extension);
}
std::size_t WindowOf(Combination c) { return c % 2; }

double SecondsBetween(const StampTime& from, const StampTime& to) {
  return static_cast<double>(static_cast<std::int64_t>(FileTimeFromStampTime(to)) -
                             static_cast<std::int64_t>(FileTimeFromStampTime(from))) *
         kSecondsPerFileTimeTick;
}

std::string Printed(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// Background rates of one window and extension, and the variance of their D.
struct Background {
  CoincidenceRates rates;
  double doublesVariance = 0.0;
};

// Everything a run's analysis needs besides the run.
struct Context {
  const Nuclide& nuclide;
  const Scintillator& cocktail;
  const TdcMeasurement& sample;
  std::array<std::optional<DeadTimeMode>, 2> modes{};
  std::array<Background, TdcrRates::kCombinations> background{};
  StampTime reference;
};

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

Checked<Background> BackgroundOf(const TdcMeasurement& measurement,
                                 const std::array<std::optional<DeadTimeMode>, 2>& modes, Combination c) {
  CountSums sums;
  int used = 0;
  for (const TdcRun& run : measurement.runs) {
    if (run.number > measurement.header.runsCompleted || !HasLiveTimes(run, ExtensionOf(c))) continue;
    sums.Add(run, c);
    ++used;
  }
  if (used == 0) return Checked<Background>::Failure("the background measurement has no completed run");
  const CoincidenceRates rates =
      WithoutAccidentals(sums.Singles(), sums.Rates(), TimingOf(measurement, modes, c));
  return Success(Background{rates, sums.DoublesVariance()});
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

RunAnalysis AnalyzeRun(const Context& ctx, const TdcRun& run, Combination c, const EfficiencyModel& model,
                       DetectionModel detection, const std::array<double, 3>& start) {
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
CountSums UsedCounts(const Context& ctx, const CombinationAnalysis& a) {
  CountSums sums;
  for (std::size_t i = 0; i < a.runs.size(); ++i) {
    if (a.runs[i].used) sums.Add(ctx.sample.runs[i], a.combination);
  }
  return sums;
}

// The combination's rates over its used runs and their corrections.
CombinationRates RatesOf(const Context& ctx, const CombinationAnalysis& a) {
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

CombinationAnalysis AnalyzeCombination(const Context& ctx, Combination c, const EfficiencyModel& model,
                                       DetectionModel detection) {
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

// The weighted mean of the used runs with every activity recomputed for another half-life.
double MeanWithHalfLife(const CombinationAnalysis& a, const Nuclide& nuclide, double halfLife) {
  std::vector<double> values, uncertainties;
  for (const RunAnalysis& r : a.runs) {
    if (!r.used) continue;
    const double before = DecayToReference(nuclide.halfLifeSeconds, r.secondsAfterReference) /
                          DecayDuringRun(nuclide.halfLifeSeconds, r.realTime);
    const double after =
        DecayToReference(halfLife, r.secondsAfterReference) / DecayDuringRun(halfLife, r.realTime);
    values.push_back(r.activityD / before * after);
    uncertainties.push_back(r.activityDUncertainty);
  }
  return ComputeRunStatistics(values, uncertainties).weightedMean;
}

std::string CombinationName(Combination c) {
  constexpr std::array<const char*, TdcrRates::kCombinations> kNames = {"N1", "M1", "N2", "M2"};
  return kNames[c];
}

// The net rates of a combination's used runs, averaged over their real times.
CoincidenceRates PooledRates(const CombinationAnalysis& a) {
  CoincidenceRates sum;
  double seconds = 0.0;
  for (const RunAnalysis& r : a.runs) {
    if (!r.used) continue;
    sum = sum + r.realTime * r.rates;
    seconds += r.realTime;
  }
  return (1.0 / seconds) * sum;
}

// eps_D of `model` solved from rates, or why it cannot be.
Checked<double> DoublesEfficiencyAt(const EfficiencyModel& model, DetectionModel detection,
                                    const CoincidenceRates& n) {
  if (detection == DetectionModel::kSymmetric) {
    const Checked<SymmetricSolution> s = SolveSymmetric(model, n.t / n.D());
    if (!s) return Checked<double>::Failure(s.error);
    return Success(s->efficiency.doubles);
  }
  const Checked<AsymmetricSolution> s = SolveAsymmetric(model, {n.t / n.ab, n.t / n.bc, n.t / n.ac});
  if (!s) return Checked<double>::Failure(s.error);
  return Success(s->efficiency.Doubles());
}

// Builds the main result's budget term by term. A term whose alternative
// could not be analysed is left out, with a warning.
//
// A term that changes the efficiency model takes the result's change from
// the main combination's rates pooled over its runs: every run's activity
// D_i / eps_D(x_i) moves by the factor eps_D(x) / eps_D'(x) at its own
// ratios x_i, which differ from run to run by their counting spread only,
// so the factor at the pooled ratios moves the weighted mean alike to
// second order in that spread (far below 1e-3 of the term), for one
// solution of each model instead of one per run.
class BudgetTerms {
 public:
  BudgetTerms(const Context& ctx, const EfficiencyModel& model, MeasurementAnalysis& result,
              DetectionModel detection)
      : ctx_(ctx),
        result_(result),
        value_(result.Main().doubles.weightedMean),
        pooled_(PooledRates(result.Main())),
        mainEfficiency_(DoublesEfficiencyAt(model, detection, pooled_)) {
    terms_.push_back({"counting statistics", result.Main().doubles.Uncertainty()});
  }

  // The result against the same result got another way.
  void Alternative(const std::string& name, const CombinationAnalysis& other) {
    if (!other.Usable()) {
      result_.warnings.push_back(name + " left out of the budget: " + other.error);
      return;
    }
    terms_.push_back({name, FromAlternative(other.doubles.weightedMean - value_)});
  }

  // The result with another efficiency model or detection model.
  void ModelAlternative(const std::string& name, const EfficiencyModel& model, DetectionModel detection) {
    const Checked<double> other = ValueWith(model, detection);
    if (!other) {
      result_.warnings.push_back(name + " left out of the budget: " + other.error);
      return;
    }
    terms_.push_back({name, FromAlternative(*other - value_)});
  }

  // The result at kB - u(kB) and kB + u(kB).
  void Kb(double kb, DetectionModel detection) {
    std::array<Checked<double>, 2> shifted;
    for (std::size_t i = 0; i < 2; ++i) {
      const double at = kb + (i == 0 ? -kKbStandardUncertainty : kKbStandardUncertainty);
      shifted[i] = ValueWith(EfficiencyModel(ctx_.nuclide, at, ctx_.cocktail), detection);
    }
    if (!shifted[0] || !shifted[1]) {
      result_.warnings.push_back("kB left out of the budget: " +
                                 (shifted[0] ? shifted[1].error : shifted[0].error));
      return;
    }
    terms_.push_back({"kB +-" + Printed("%.3f", kKbStandardUncertainty) + " cm/MeV",
                      FromPlusMinus(*shifted[0], *shifted[1])});
  }

  // The decay corrections redone with the half-life less and more its uncertainty.
  void HalfLife() {
    const Nuclide& n = ctx_.nuclide;
    const double u = n.halfLifeUncertaintySeconds;
    terms_.push_back(
        {"half-life", FromPlusMinus(MeanWithHalfLife(result_.Main(), n, n.halfLifeSeconds - u),
                                    MeanWithHalfLife(result_.Main(), n, n.halfLifeSeconds + u))});
  }

  // The result against one analysed with a varied model: the whole
  // difference as a standard uncertainty when the variant is the input
  // moved by its standard uncertainty, else as a rectangular alternative.
  void Variant(const std::string& name, bool plusMinus, const EfficiencyModel& model,
               DetectionModel detection) {
    if (!plusMinus) return ModelAlternative(name, model, detection);
    const Checked<double> other = ValueWith(model, detection);
    if (!other) {
      result_.warnings.push_back(name + " left out of the budget: " + other.error);
      return;
    }
    terms_.push_back({name, std::abs(*other - value_)});
  }

  void NotEvaluated(const std::string& name) { terms_.push_back(UncertaintyComponent::NotEvaluated(name)); }

  UncertaintyBudget Combined() { return CombineUncertainties(value_, std::move(terms_)); }

 private:
  // The result as `model` would give it.
  Checked<double> ValueWith(const EfficiencyModel& model, DetectionModel detection) const {
    if (!mainEfficiency_) return Checked<double>::Failure(mainEfficiency_.error);
    const Checked<double> other = DoublesEfficiencyAt(model, detection, pooled_);
    if (!other) return other;
    return Success(value_ * *mainEfficiency_ / *other);
  }

  const Context& ctx_;
  MeasurementAnalysis& result_;
  double value_;
  CoincidenceRates pooled_;
  Checked<double> mainEfficiency_;
  std::vector<UncertaintyComponent> terms_;
};

// The standard uncertainty of the difference of the activities from the
// two windows, from the counts of their used runs (window_consistency.h);
// the efficiency curve's slope at the wider window's T/D carries the T/D
// part.
double WindowDifferenceUncertainty(const Context& ctx, const EfficiencyModel& model,
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
PairCheck CheckPairs(const Context& ctx, const CombinationAnalysis& main, const EfficiencyModel& model) {
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

void WarnAboutWindows(const Context& ctx, const EfficiencyModel& model, MeasurementAnalysis& result) {
  const auto& windows = ctx.sample.header.windowsNs;
  const double used = windows[WindowOf(result.main)];
  if (used < kShortWindowNs) {
    result.warnings.push_back("the window of the result, " + Printed("%g", used) +
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
                              Printed("%.2f %%", 100.0 * difference / m.doubles.weightedMean) +
                              ", more than twice the standard uncertainty of their difference (" +
                              Printed("%.2f %%", 100.0 * u / m.doubles.weightedMean) +
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
                            Printed("%.1f", result.pairs.largestDifferenceSigmas) +
                            " standard uncertainties: the tubes look unequal; try the asymmetric model");
}

// The budget term that compares the main result with the other window or
// extension, or says it was not evaluated when both were set alike.
void SettingTerm(BudgetTerms& terms, MeasurementAnalysis& result, const std::string& name, bool alike,
                 const std::string& how, const CombinationAnalysis& other) {
  if (!alike) {
    terms.Alternative(name, other);
    return;
  }
  terms.NotEvaluated(name);
  result.warnings.push_back("\"" + name + "\" was not evaluated: " + how);
}

UncertaintyBudget Budget(const Context& ctx, const EfficiencyModel& model, MeasurementAnalysis& result,
                         const AnalysisSettings& settings) {
  BudgetTerms terms(ctx, model, result, settings.model);
  terms.Kb(settings.kb, settings.model);
  // The other published low-energy form of the stopping power, Joy and
  // Luo's modified Bethe formula; the two differ mostly below 1 keV (by
  // under 1 % above 2 keV), and what they change there reaches the
  // quenched energies of every electron.
  const EfficiencyModel otherStopping(ctx.nuclide, settings.kb, ctx.cocktail, kDefaultSpectrumIntervals,
                                      LowEnergyStopping::kJoyLuo);
  terms.ModelAlternative("stopping power below 1 keV", otherStopping, settings.model);
  // The spectrum without the atomic exchange correction: the correction is
  // the least certain part of the shape at low energies, where the
  // efficiency is decided.
  const EfficiencyModel withoutExchange(ctx.nuclide, settings.kb, ctx.cocktail, kDefaultSpectrumIntervals,
                                        LowEnergyStopping::kVelocityProportional, AtomicExchange::kLeftOut);
  terms.ModelAlternative("spectrum shape", withoutExchange, settings.model);
  for (const NuclideVariant& v : NuclideModelVariants(ctx.nuclide)) {
    if (!v.notEvaluated.empty()) {
      terms.NotEvaluated(v.name);
      result.warnings.push_back("\"" + v.name + "\" was not evaluated: " + v.notEvaluated);
      continue;
    }
    const EfficiencyModel varied(v.nuclide, settings.kb, ctx.cocktail, kDefaultSpectrumIntervals,
                                 LowEnergyStopping::kVelocityProportional, AtomicExchange::kIncluded,
                                 v.capture);
    terms.Variant(v.name, v.plusMinus, varied, settings.model);
  }
  const std::size_t window = WindowOf(result.main);
  const std::size_t extension = ExtensionOf(result.main);
  const TdcHeader& header = ctx.sample.header;
  SettingTerm(terms, result, "coincidence window N vs M", header.windowsNs[0] == header.windowsNs[1],
              "windows N and M are equal; measure with two different windows (e.g. N 40 ns, M 200 ns)",
              result.combinations[CombinationOf(1 - window, extension)]);
  SettingTerm(terms, result, "dead-time extension 1 vs 2", header.extensionsUs[0] == header.extensionsUs[1],
              "extensions 1 and 2 are equal; measure with two different dead-time extensions",
              result.combinations[CombinationOf(window, 1 - extension)]);
  if (!ctx.modes[extension]) {
    terms.NotEvaluated(kBlockedTerm);
    result.warnings.push_back("\"" + std::string(kBlockedTerm) +
                              "\" was not evaluated: the dead-time mode of " + "extension " +
                              std::to_string(extension + 1) + " is not known");
  }
  const DetectionModel other =
      settings.model == DetectionModel::kSymmetric ? DetectionModel::kAsymmetric : DetectionModel::kSymmetric;
  terms.ModelAlternative("symmetric vs asymmetric model", model, other);
  terms.HalfLife();
  return terms.Combined();
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
  Context ctx{*NuclideOf(settings),   cocktail, sample,
              settings.deadTimeModes, {},       settings.referenceTime.value_or(sample.runs.front().start)};
  for (std::size_t c = 0; c < TdcrRates::kCombinations && background != nullptr; ++c) {
    const Checked<Background> b = BackgroundOf(*background, ctx.modes, static_cast<Combination>(c));
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
  result.budget = Budget(ctx, model, result, settings);
  if (background != nullptr) result.limits = LimitsOf(sample, *background, result, settings.limits);
  return Success(std::move(result));
}

}  // namespace korva
