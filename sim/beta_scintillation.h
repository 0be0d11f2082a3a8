#pragma once

#include <random>
#include <span>
#include <vector>

#include "sim/beta_emitter.h"
#include "sim/conversion_electrons.h"

namespace korva::sim {

// What one decay in the vial gives the tubes: the beta's kinetic energy,
// drawn from an allowed spectrum p W (E0 - E)^2 F with the non-relativistic
// Fermi factor F = 2 pi eta / (1 - exp(-2 pi eta)), eta = alpha Z W / p,
// turned into light by Birks' law in a toluene cocktail,
//
//   Q(E) = integral of dE / (1 + kB dE/dx),
//
// dE/dx from the non-relativistic Bethe formula for electrons,
// K rho <Z/A> / beta^2 ln(1.166 E / I), held at its peak value below the
// peak (about 0.15 keV), where the formula fails.
//
// Both are tabulated once, on energies that crowd towards 0 where the light
// changes fastest; a draw looks the energy up in the cumulative spectrum and
// reads Q off the same table. The emitter's conversion electrons
// (conversion_electrons.h) add their own light, each quenched on its own;
// an emitter without a beta branch gives only theirs.
class BetaScintillation {
 public:
  // `kbCmPerMeV` >= 0.
  BetaScintillation(const BetaEmitter& emitter, double kbCmPerMeV);

  // The quenched energy of one decay, in keV.
  double DrawQuenchedKeV(std::mt19937& random) const;

  // The quenched energy of an electron of `energyKeV`, up to the table's top.
  double QuenchedKeV(double energyKeV) const;

  // The beta spectrum's average of f(Q); for checks against the tables.
  template <typename F>
  double Average(F f) const {
    double sum = 0.0;
    for (std::size_t i = 1; i < cumulative_.size(); ++i) {
      sum += (cumulative_[i] - cumulative_[i - 1]) * 0.5 * (f(quenchedKeV_[i]) + f(quenchedKeV_[i - 1]));
    }
    return sum;
  }

 private:
  double DrawBetaQuenchedKeV(std::mt19937& random) const;

  std::vector<double> energyKeV_;
  std::vector<double> cumulative_;  // from 0 to 1
  std::vector<double> quenchedKeV_;
  std::span<const ConversionTransition> conversion_;
  bool beta_ = false;
};

}  // namespace korva::sim
