#pragma once

#include <random>
#include <vector>

#include "sim/beta_emitter.h"
#include "sim/shell_exchange.h"

namespace korva::sim {

// The kinetic energy distribution of a beta branch's particles, with the
// atomic corrections a real vial's betas carry, evaluated by the virtual
// instrument's own physics:
//
//   N(E) = p~ W~ F0(Z, W~) L0(Z, W) (W0 - W)^2 X(W) C(W)
//
// C the shape factor of the branch's transition (BetaShape), in the
// electron's momentum p = sqrt(W^2 - 1) and the neutrino's q = W0 - W;
// F0 and L0 the Fermi function and its finite-size correction
// (fermi_function.h); screening by M. E. Rose's potential shift (Phys. Rev.
// 49 (1936) 727): the electron leaves the nucleus with W~ = W - V0, V0 the
// parent atom's electrons' potential at the nucleus (slater_atom.h), and
// p~ its momentum; X the exchange correction of every occupied s shell
// (shell_exchange.h). The screening potential counts the parent atom's
// electrons up to radon's 86 (slater_atom.h): Pu-241's seven further outer
// electrons, of effective charges of a few units at n* = 4.2, would add under
// 0.1 keV to a V0 of several keV, a shift the 20.8 keV spectrum does not feel
// below its first hundred eV.
// Below W~ = 1 (kinetic energy under V0: 27 eV for H-3) the screened factor
// p~ F0 is held at its finite limit. (C-14's slight forbidden-shape
// correction is left out.) Energies are drawn by inverting the tabulated
// distribution. A nuclide without a beta branch (Bi-207) has an empty
// spectrum: endpoint, mean and every draw 0.
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
  BetaShape shape_;
  double radius_;                  // of the daughter nucleus, in hbar / (m c)
  double screeningPotential_;      // V0, in electron masses
  const ShellExchange* exchange_;  // none without a beta branch
  double meanKeV_ = 0.0;
  std::vector<double> cumulative_;  // at kTablePoints evenly spaced energies
  std::vector<std::size_t> guide_;  // where Draw starts its search, per 1 / kTablePoints of u
};

}  // namespace korva::sim
