#include "sim/beta_scintillation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace korva::sim {

namespace {

constexpr int kTableIntervals = 4096;
constexpr double kElectronRestKeV = 511.0;
constexpr double kFineStructure = 1.0 / 137.036;
// Toluene: density, <Z/A> of C7H8 and mean excitation energy.
constexpr double kDensity = 0.867;
constexpr double kElectronsPerMass = 50.0 / 92.14;
constexpr double kExcitationKeV = 0.0625;
constexpr double kBetheMevCm2PerMol = 0.307075;
// ln(1.166 E / I) / E is largest at E = e I / 1.166.
constexpr double kPeakKeV = std::numbers::e * kExcitationKeV / 1.166;

double BetaShape(const BetaEmitter& emitter, double energyKeV) {
  if (energyKeV <= 0.0 || energyKeV >= emitter.endpointKeV) return 0.0;
  const double w = 1.0 + energyKeV / kElectronRestKeV;
  const double p = std::sqrt(w * w - 1.0);
  const double twoPiEta = 2.0 * std::numbers::pi * kFineStructure * emitter.daughterZ * w / p;
  const double fermi = twoPiEta == 0.0 ? 1.0 : twoPiEta / -std::expm1(-twoPiEta);
  const double left = (emitter.endpointKeV - energyKeV) / kElectronRestKeV;
  return p * w * left * left * fermi;
}

double StoppingMevPerCm(double energyKeV) {
  const double e = std::max(energyKeV, kPeakKeV);
  const double tau = e / kElectronRestKeV;
  const double beta2 = tau * (tau + 2.0) / ((tau + 1.0) * (tau + 1.0));
  return kBetheMevCm2PerMol * kDensity * kElectronsPerMass / beta2 * std::log(1.166 * e / kExcitationKeV);
}

}  // namespace

BetaScintillation::BetaScintillation(const BetaEmitter& emitter, double kbCmPerMeV)
    : conversion_(ConversionTransitionsOf(emitter.name)), beta_(emitter.endpointKeV > 0.0) {
  const double top = std::max({emitter.endpointKeV, HighestConversionKeV(conversion_), 1.0});
  const std::size_t nodes = kTableIntervals + 1;
  energyKeV_.resize(nodes);
  cumulative_.resize(nodes);
  quenchedKeV_.resize(nodes);
  const auto light = [kbCmPerMeV](double e) { return 1.0 / (1.0 + kbCmPerMeV * StoppingMevPerCm(e)); };
  for (std::size_t i = 1; i < nodes; ++i) {
    const double u = static_cast<double>(i) / kTableIntervals;
    energyKeV_[i] = top * u * u;
    const double from = energyKeV_[i - 1];
    const double to = energyKeV_[i];
    const double middle = 0.5 * (from + to);
    // Simpson's rule over each step for both the spectrum and the light.
    cumulative_[i] = cumulative_[i - 1] + (to - from) / 6.0 *
                                              (BetaShape(emitter, from) + 4.0 * BetaShape(emitter, middle) +
                                               BetaShape(emitter, to));
    quenchedKeV_[i] =
        quenchedKeV_[i - 1] + (to - from) / 6.0 * (light(from) + 4.0 * light(middle) + light(to));
  }
  if (beta_) {
    for (double& c : cumulative_) c /= cumulative_.back();
  }
}

double BetaScintillation::QuenchedKeV(double energyKeV) const {
  const double u = std::sqrt(std::clamp(energyKeV / energyKeV_.back(), 0.0, 1.0));
  const auto i = std::min(static_cast<std::size_t>(u * kTableIntervals), std::size_t{kTableIntervals - 1});
  const double span = energyKeV_[i + 1] - energyKeV_[i];
  const double fraction = span > 0.0 ? (energyKeV - energyKeV_[i]) / span : 0.0;
  return quenchedKeV_[i] + std::clamp(fraction, 0.0, 1.0) * (quenchedKeV_[i + 1] - quenchedKeV_[i]);
}

double BetaScintillation::DrawQuenchedKeV(std::mt19937& random) const {
  double light = beta_ ? DrawBetaQuenchedKeV(random) : 0.0;
  if (!conversion_.empty()) {
    light +=
        DrawConversionElectrons(conversion_, random, [this](double e) { return QuenchedKeV(e); }).quenchedKeV;
  }
  return light;
}

double BetaScintillation::DrawBetaQuenchedKeV(std::mt19937& random) const {
  const double draw = std::uniform_real_distribution<double>(0.0, 1.0)(random);
  const auto above = std::upper_bound(cumulative_.begin(), cumulative_.end(), draw);
  if (above == cumulative_.begin()) return 0.0;
  if (above == cumulative_.end()) return quenchedKeV_.back();
  const auto i = static_cast<std::size_t>(above - cumulative_.begin());
  const double fraction = (draw - cumulative_[i - 1]) / (cumulative_[i] - cumulative_[i - 1]);
  return quenchedKeV_[i - 1] + fraction * (quenchedKeV_[i] - quenchedKeV_[i - 1]);
}

}  // namespace korva::sim
