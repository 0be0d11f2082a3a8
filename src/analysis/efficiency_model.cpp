#include "analysis/efficiency_model.h"

#include <cmath>

#include "analysis/birks_quenching.h"
#include "analysis/stopping_power.h"

namespace korva {

namespace {

// A tube's firing probability and its slope with respect to ln(lambda).
struct Firing {
  double p;
  double slope;
};

// p = 1 - exp(-mean) from expm1, exact for faint nodes; the miss
// probability 1 - p then costs no second exponential, and where it loses
// relative precision (mean beyond some 30) the slope it gives is below
// 1e-12 and adds nothing to the sums.
Firing Fire(double lambda, double quenchedThird) {
  const double mean = lambda * quenchedThird;
  const double p = -std::expm1(-mean);
  return {p, mean * (1.0 - p)};
}

}  // namespace

EfficiencyModel::EfficiencyModel(const Nuclide& nuclide, double kb, const Scintillator& scintillator,
                                 int intervals, LowEnergyStopping lowEnergy, AtomicExchange exchange)
    : nuclide_(nuclide), kb_(kb) {
  SpectrumGrid spectrum = MakeSpectrumGrid(nuclide, intervals, exchange);
  quenchedThird_ = QuenchedEnergiesKeV(StoppingPower(scintillator, lowEnergy), kb, spectrum.energyKeV);
  for (double& q : quenchedThird_) q /= 3.0;
  weight_ = std::move(spectrum.weight);
  lowestRatio_ = Symmetric(kMinLambda).Ratio();
  highestRatio_ = Symmetric(kMaxLambda).Ratio();
}

SymmetricEfficiency EfficiencyModel::Symmetric(double lambda) const {
  SymmetricEfficiency e;
  for (std::size_t i = 0; i < weight_.size(); ++i) {
    const Firing f = Fire(lambda, quenchedThird_[i]);
    const double w = weight_[i];
    const double p2 = f.p * f.p;
    e.doubles += w * p2 * (3.0 - 2.0 * f.p);
    e.triples += w * p2 * f.p;
    e.doublesSlope += w * 6.0 * f.p * (1.0 - f.p) * f.slope;
    e.triplesSlope += w * 3.0 * p2 * f.slope;
  }
  return e;
}

AsymmetricEfficiency EfficiencyModel::Asymmetric(const std::array<double, 3>& lambdas) const {
  AsymmetricEfficiency e;
  for (std::size_t i = 0; i < weight_.size(); ++i) {
    const Firing a = Fire(lambdas[0], quenchedThird_[i]);
    const Firing b = Fire(lambdas[1], quenchedThird_[i]);
    const Firing c = Fire(lambdas[2], quenchedThird_[i]);
    const double w = weight_[i];
    e.ab += w * a.p * b.p;
    e.bc += w * b.p * c.p;
    e.ac += w * a.p * c.p;
    e.triples += w * a.p * b.p * c.p;
    e.abSlope[0] += w * a.slope * b.p;
    e.abSlope[1] += w * a.p * b.slope;
    e.bcSlope[1] += w * b.slope * c.p;
    e.bcSlope[2] += w * b.p * c.slope;
    e.acSlope[0] += w * a.slope * c.p;
    e.acSlope[2] += w * a.p * c.slope;
    e.triplesSlope[0] += w * a.slope * b.p * c.p;
    e.triplesSlope[1] += w * a.p * b.slope * c.p;
    e.triplesSlope[2] += w * a.p * b.p * c.slope;
  }
  return e;
}

}  // namespace korva
