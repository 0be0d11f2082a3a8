#include "analysis/measurement_analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "analysis/decay_correction.h"
#include "analysis/efficiency_model.h"
#include "analysis/measurement_limits.h"
#include "analysis/nuclide.h"
#include "analysis/tdcr_solver.h"

namespace korva {

namespace {

using Combination = TdcrRates::Combination;
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
  const TdcMeasurement& sample;
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

double ResolvingTime(const TdcMeasurement& m, Combination c) {
  return m.header.windowsNs[WindowOf(c)] * kSecondsPerNs;
}

Checked<Background> BackgroundOf(const TdcMeasurement& measurement, Combination c) {
  CountSums sums;
  int used = 0;
  for (const TdcRun& run : measurement.runs) {
    if (run.number > measurement.header.runsCompleted || !HasLiveTimes(run, ExtensionOf(c))) continue;
    sums.Add(run, c);
    ++used;
  }
  if (used == 0) return Checked<Background>::Failure("the background measurement has no completed run");
  const CoincidenceRates rates =
      WithoutAccidentals(sums.Singles(), sums.Rates(), ResolvingTime(measurement, c));
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
  r.rates = WithoutAccidentals(sums.Singles(), gross, ResolvingTime(ctx.sample, c)) - ctx.background[c].rates;
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

// Builds the main result's budget term by term. A term whose alternative
// could not be analysed is left out, with a warning.
class BudgetTerms {
 public:
  BudgetTerms(const Context& ctx, MeasurementAnalysis& result)
      : ctx_(ctx), result_(result), value_(result.Main().doubles.weightedMean) {
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

  // The main combination analysed again at kB - u(kB) and kB + u(kB).
  void Kb(double kb, DetectionModel model) {
    std::array<CombinationAnalysis, 2> shifted;
    for (std::size_t i = 0; i < 2; ++i) {
      const double at = kb + (i == 0 ? -kKbStandardUncertainty : kKbStandardUncertainty);
      shifted[i] =
          AnalyzeCombination(ctx_, result_.main, EfficiencyModel(ctx_.nuclide, at, Toluene()), model);
    }
    if (!shifted[0].Usable() || !shifted[1].Usable()) {
      result_.warnings.push_back("kB left out of the budget: " +
                                 (shifted[0].Usable() ? shifted[1].error : shifted[0].error));
      return;
    }
    terms_.push_back({"kB +-" + Printed("%.3f", kKbStandardUncertainty) + " cm/MeV",
                      FromPlusMinus(shifted[0].doubles.weightedMean, shifted[1].doubles.weightedMean)});
  }

  // The decay corrections redone with the half-life less and more its uncertainty.
  void HalfLife() {
    const Nuclide& n = ctx_.nuclide;
    const double u = n.halfLifeUncertaintySeconds;
    terms_.push_back(
        {"half-life", FromPlusMinus(MeanWithHalfLife(result_.Main(), n, n.halfLifeSeconds - u),
                                    MeanWithHalfLife(result_.Main(), n, n.halfLifeSeconds + u))});
  }

  void NotEvaluated(const std::string& name) { terms_.push_back(UncertaintyComponent::NotEvaluated(name)); }

  UncertaintyBudget Combined() { return CombineUncertainties(value_, std::move(terms_)); }

 private:
  const Context& ctx_;
  MeasurementAnalysis& result_;
  double value_;
  std::vector<UncertaintyComponent> terms_;
};

// Sums of the main combination's counts over its used runs, for checks
// that compare counts of the same events.
CountSums UsedCounts(const Context& ctx, const CombinationAnalysis& a) {
  CountSums sums;
  for (std::size_t i = 0; i < a.runs.size(); ++i) {
    if (a.runs[i].used) sums.Add(ctx.sample.runs[i], a.combination);
  }
  return sums;
}

// Windows N and M count the same events; M counts every coincidence N
// counts and some more, so D_M = D_N + X with X independent of D_N (both
// Poisson). Then cov(D_N, D_M) = var(D_N) = E[D_N] and the correlation of
// the two counts is rho = sqrt(E[D_N] / E[D_M]), the narrower over the
// wider window's D. The activities from N and M carry that correlation
// (the T/D part of their uncertainties is nested alike: T_N is a part of
// T_M), so
//   var(A_N - A_M) = u_N^2 + u_M^2 - 2 rho u_N u_M.
double WindowDifferenceUncertainty(const Context& ctx, const CombinationAnalysis& n,
                                   const CombinationAnalysis& m) {
  const double dN = UsedCounts(ctx, n).Rates().D();
  const double dM = UsedCounts(ctx, m).Rates().D();
  const double rho = dN > 0.0 && dM > 0.0 ? std::sqrt(std::min(dN, dM) / std::max(dN, dM)) : 0.0;
  const double uN = n.doubles.Uncertainty();
  const double uM = m.doubles.Uncertainty();
  return std::sqrt(std::max(0.0, uN * uN + uM * uM - 2.0 * rho * uN * uM));
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

void WarnAboutWindows(const Context& ctx, MeasurementAnalysis& result) {
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
  const double u = WindowDifferenceUncertainty(ctx, n, m);
  if (std::abs(difference) > 2.0 * u) {
    result.warnings.push_back("the activities from windows N and M differ by " +
                              Printed("%.2f %%", 100.0 * difference / m.doubles.weightedMean) +
                              ", more than twice the standard uncertainty of their difference (" +
                              Printed("%.2f %%", 100.0 * u / m.doubles.weightedMean) +
                              "): the shorter window loses coincidences");
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
  BudgetTerms terms(ctx, result);
  terms.Kb(settings.kb, settings.model);
  // The other published low-energy form of the stopping power, Joy and
  // Luo's modified Bethe formula; the two differ mostly below 1 keV (by
  // under 1 % above 2 keV), and what they change there reaches the
  // quenched energies of every electron.
  const EfficiencyModel otherStopping(ctx.nuclide, settings.kb, Toluene(), kDefaultSpectrumIntervals,
                                      LowEnergyStopping::kJoyLuo);
  terms.Alternative("stopping power below 1 keV",
                    AnalyzeCombination(ctx, result.main, otherStopping, settings.model));
  // The spectrum without the atomic exchange correction: the correction is
  // the least certain part of the shape at low energies, where the
  // efficiency is decided.
  const EfficiencyModel withoutExchange(ctx.nuclide, settings.kb, Toluene(), kDefaultSpectrumIntervals,
                                        LowEnergyStopping::kVelocityProportional, AtomicExchange::kLeftOut);
  terms.Alternative("spectrum shape", AnalyzeCombination(ctx, result.main, withoutExchange, settings.model));
  const std::size_t window = WindowOf(result.main);
  const std::size_t extension = ExtensionOf(result.main);
  const TdcHeader& header = ctx.sample.header;
  SettingTerm(terms, result, "coincidence window N vs M", header.windowsNs[0] == header.windowsNs[1],
              "windows N and M are equal; measure with two different windows (e.g. N 40 ns, M 200 ns)",
              result.combinations[CombinationOf(1 - window, extension)]);
  SettingTerm(terms, result, "dead-time extension 1 vs 2", header.extensionsUs[0] == header.extensionsUs[1],
              "extensions 1 and 2 are equal; measure with two different dead-time extensions",
              result.combinations[CombinationOf(window, 1 - extension)]);
  const DetectionModel other =
      settings.model == DetectionModel::kSymmetric ? DetectionModel::kAsymmetric : DetectionModel::kSymmetric;
  terms.Alternative("symmetric vs asymmetric model", AnalyzeCombination(ctx, result.main, model, other));
  terms.HalfLife();
  return terms.Combined();
}

std::optional<std::string> SettingsError(const TdcMeasurement& sample, const TdcMeasurement* background,
                                         const AnalysisSettings& settings) {
  if (FindNuclide(settings.nuclide) == nullptr) {
    return "unknown nuclide \"" + settings.nuclide + "\"; known are " + std::string(KnownNuclideNames());
  }
  if (auto error = KbRangeError(settings.kb)) return error;
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

Checked<MeasurementAnalysis> AnalyzeMeasurement(const TdcMeasurement& sample,
                                                const TdcMeasurement* background,
                                                const AnalysisSettings& settings) {
  if (auto error = SettingsError(sample, background, settings)) {
    return Checked<MeasurementAnalysis>::Failure(*error);
  }
  Context ctx{
      *FindNuclide(settings.nuclide), sample, {}, settings.referenceTime.value_or(sample.runs.front().start)};
  for (std::size_t c = 0; c < TdcrRates::kCombinations && background != nullptr; ++c) {
    const Checked<Background> b = BackgroundOf(*background, static_cast<Combination>(c));
    if (!b) return Checked<MeasurementAnalysis>::Failure(b.error);
    ctx.background[c] = *b;
  }

  MeasurementAnalysis result;
  result.nuclide = std::string(ctx.nuclide.name);
  result.kb = settings.kb;
  result.model = settings.model;
  result.main = CombinationOf(MainWindow(sample.header, settings.window), settings.extension);
  result.referenceTime = ctx.reference;
  result.backgroundSubtracted = background != nullptr;
  const EfficiencyModel model(ctx.nuclide, settings.kb, Toluene());
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
  WarnAboutWindows(ctx, result);
  result.pairs = CheckPairs(ctx, main, model);
  WarnAboutPairs(result);
  result.budget = Budget(ctx, model, result, settings);
  if (background != nullptr) result.limits = LimitsOf(sample, *background, result, settings.limits);
  return Success(std::move(result));
}

}  // namespace korva
