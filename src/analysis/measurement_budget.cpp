#include "analysis/measurement_budget.h"

#include <array>
#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "analysis/birks_quenching.h"
#include "analysis/decay_correction.h"
#include "analysis/nuclide_variants.h"
#include "analysis/tdcr_solver.h"
#include "common/format_text.h"
#include "decay/atomic_exchange.h"

namespace korva {

namespace {

// The budget's entry for the correction a CDT gate needs when the mode is not known.
constexpr const char* kBlockedTerm = "pulses blocked by a CDT gate";

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

// The emitter's atomic number when the nuclide has a computed beta branch
// whose exchange correction the program does not carry; 0 otherwise.
int EmitterWithoutExchangeFit(const Nuclide& nuclide) {
  for (const BetaBranch& b : nuclide.betas) {
    if (b.tabulated.energyKeV.empty() && !HasExchangeFit(b.daughterZ - 1)) return b.daughterZ - 1;
  }
  return 0;
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
  BudgetTerms(const MeasurementContext& ctx, const EfficiencyModel& model, MeasurementAnalysis& result,
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
    ModelAlternatives(name, {&model}, detection);
  }

  // One term for independent alternatives of one part of the model: each a
  // choice between two ways, added in quadrature.
  void ModelAlternatives(const std::string& name, std::initializer_list<const EfficiencyModel*> models,
                         DetectionModel detection) {
    double variance = 0.0;
    for (const EfficiencyModel* model : models) {
      const Checked<double> other = ValueWith(*model, detection);
      if (!other) {
        result_.warnings.push_back(name + " left out of the budget: " + other.error);
        return;
      }
      const double u = FromAlternative(*other - value_);
      variance += u * u;
    }
    terms_.push_back({name, std::sqrt(variance)});
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
    terms_.push_back({"kB +-" + FormatText("%.3f", kKbStandardUncertainty) + " cm/MeV",
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
    Checked<double> other = DoublesEfficiencyAt(model, detection, pooled_);
    if (!other) return other;
    return Success(value_ * *mainEfficiency_ / *other);
  }

  const MeasurementContext& ctx_;
  MeasurementAnalysis& result_;
  double value_;
  CoincidenceRates pooled_;
  Checked<double> mainEfficiency_;
  std::vector<UncertaintyComponent> terms_;
};

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

}  // namespace

UncertaintyBudget MeasurementBudget(const MeasurementContext& ctx, const EfficiencyModel& model,
                                    MeasurementAnalysis& result, const AnalysisSettings& settings) {
  BudgetTerms terms(ctx, model, result, settings.model);
  terms.Kb(settings.kb, settings.model);
  // The other published low-energy form of the stopping power, Joy and
  // Luo's modified Bethe formula; the two differ mostly below 1 keV (by
  // under 1 % above 2 keV), and what they change there reaches the
  // quenched energies of every electron.
  const EfficiencyModel otherStopping(ctx.nuclide, settings.kb, ctx.cocktail, kDefaultSpectrumIntervals,
                                      LowEnergyStopping::kJoyLuo);
  terms.ModelAlternative("stopping power below 1 keV", otherStopping, settings.model);
  // The spectrum without each of its atomic corrections in turn, the least
  // certain parts of the shape at low energies, where the efficiency is
  // decided: the exchange correction, and the screening correction, whose
  // potential-shift form is an approximation that loses its meaning below
  // V0. Where the program carries no exchange correction for the emitter's
  // Z, the spectrum goes without it and the term weighs the correction of
  // the nearest carried Z against that instead, so that the term never
  // reads 0 for an effect the spectrum leaves out.
  const int uncorrected = EmitterWithoutExchangeFit(ctx.nuclide);
  if (uncorrected != 0) {
    result.warnings.push_back(
        "no atomic exchange correction is carried for the emitter's Z = " + std::to_string(uncorrected) +
        "; the beta spectrum goes without it, and the "
        "\"spectrum shape\" term weighs the correction of Z = " +
        std::to_string(ExchangeStandInZ(uncorrected)) + " in its place");
  }
  const auto withSpectrum = [&](AtomicCorrections corrections) {
    return EfficiencyModel(ctx.nuclide, settings.kb, ctx.cocktail, kDefaultSpectrumIntervals,
                           LowEnergyStopping::kVelocityProportional, corrections);
  };
  const EfficiencyModel otherExchange = withSpectrum(uncorrected != 0 ? AtomicCorrections::kExchangeStandIn
                                                                      : AtomicCorrections::kExchangeLeftOut);
  const EfficiencyModel unscreened = withSpectrum(AtomicCorrections::kScreeningLeftOut);
  terms.ModelAlternatives("spectrum shape", {&otherExchange, &unscreened}, settings.model);
  for (const NuclideVariant& v : NuclideModelVariants(ctx.nuclide)) {
    if (!v.notEvaluated.empty()) {
      terms.NotEvaluated(v.name);
      result.warnings.push_back("\"" + v.name + "\" was not evaluated: " + v.notEvaluated);
      continue;
    }
    const EfficiencyModel varied(v.nuclide, settings.kb, ctx.cocktail, kDefaultSpectrumIntervals,
                                 LowEnergyStopping::kVelocityProportional, AtomicCorrections::kIncluded,
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

}  // namespace korva
