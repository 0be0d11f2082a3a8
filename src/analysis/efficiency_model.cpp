#include "analysis/efficiency_model.h"

#include <cmath>

#include "analysis/birks_quenching.h"
#include "analysis/electron_capture.h"
#include "analysis/photon_attenuation.h"
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
                                 int intervals, LowEnergyStopping lowEnergy, AtomicCorrections corrections,
                                 const CaptureSettings& capture)
    : nuclide_(nuclide), kb_(kb) {
  const StoppingPower stopping(scintillator, lowEnergy);
  for (const BetaBranch& b : nuclide.betas) AddBeta(b, stopping, intervals, corrections);
  for (const CaptureBranch& c : nuclide.captures) AddCapture(c, stopping, capture);
  lowestRatio_ = Symmetric(kMinLambda).Ratio();
  highestRatio_ = Symmetric(kMaxLambda).Ratio();
}

void EfficiencyModel::AddBeta(const BetaBranch& branch, const StoppingPower& stopping, int intervals,
                              AtomicCorrections corrections) {
  const SpectrumGrid spectrum = MakeSpectrumGrid(branch, intervals, corrections);
  const std::vector<double> quenched = QuenchedEnergiesKeV(stopping, kb_, spectrum.energyKeV);
  for (std::size_t i = 0; i < quenched.size(); ++i) {
    weight_.push_back(branch.probability * spectrum.weight[i]);
    quenchedThird_.push_back(quenched[i] / 3.0);
  }
}

void EfficiencyModel::AddCapture(const CaptureBranch& branch, const StoppingPower& stopping,
                                 const CaptureSettings& capture) {
  const Scintillator& medium = stopping.Medium();
  const double mu =
      capture.attenuationScale * medium.densityGPerCm3 * MassAttenuationCm2PerG(medium, branch.atom.kXrayKeV);
  const std::vector<PhotoAbsorber> absorbers = PhotoAbsorbers(medium, branch.atom.kXrayKeV);
  for (const CaptureOutcome& o : CaptureOutcomes(branch.atom, AbsorbedInVial(mu, capture.vial), absorbers)) {
    double quenched = 0.0;
    for (const double e : o.electronsKeV) quenched += QuenchedEnergyKeV(stopping, kb_, e);
    weight_.push_back(branch.probability * o.probability);
    quenchedThird_.push_back(quenched / 3.0);
  }
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
