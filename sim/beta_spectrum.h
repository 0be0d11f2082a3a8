#pragma once

#include <random>
#include <vector>

#include "sim/beta_emitter.h"

namespace korva::sim {

// The kinetic energy distribution of a nuclide's beta particles: the allowed
// shape F(Z, W) p W (W0 - W)^2 with the non-relativistic Fermi function of
// the daughter's charge, times the atomic exchange correction a real vial's
// betas carry (common/atomic_exchange.h; it adds slow electrons, 0.4 % of
// C-14's efficiency). (C-14's slight forbidden-shape correction is left
// out.) Energies are drawn by inverting the tabulated distribution. A
// nuclide without a beta branch (Bi-207) has an empty spectrum: endpoint,
// mean and every draw 0.
class BetaSpectrum {
 public:
  explicit BetaSpectrum(const BetaEmitter& emitter);
  explicit BetaSpectrum(Nuclide nuclide) : BetaSpectrum(EmitterOf(nuclide)) {}

  double EndpointKeV() const { return endpointKeV_; }
  // Relative number of betas per keV at `energyKeV`, 0 outside 0..endpoint.
  double Density(double energyKeV) const;
  double MeanKeV() const { return meanKeV_; }
  double Draw(std::mt19937& random) const;

 private:
  double endpointKeV_;
  int daughterZ_;
  double meanKeV_ = 0.0;
  std::vector<double> cumulative_;  // at kTablePoints evenly spaced energies
};

}  // namespace korva::sim
