#pragma once

#include <random>
#include <span>
#include <vector>

#include "sim/beta_emitter.h"
#include "sim/beta_spectrum.h"
#include "sim/conversion_electrons.h"
#include "sim/decay_scheme.h"
#include "sim/ionisation_quenching.h"

namespace korva::sim {

// What one decay in the vial deposits and the light it gives, the same for
// the analyser's vial and the TDCR counter's: one branch of the nuclide's
// decay scheme (decay_scheme.h), drawn by its probability when there are
// several: a beta of that branch's spectrum (BetaSpectrum) or the electrons
// of a capture (DrawCapture); and the emitter's conversion electrons
// (conversion_electrons.h); each electron turned into light on its own by
// Birks' law (IonisationQuenching). A nuclide with a daughter in
// equilibrium decays DecaysPerNamedDecay() times per decay of the nuclide
// named, each decay one branch.
class BetaScintillation {
 public:
  struct Deposit {
    double energyKeV = 0.0;
    double quenchedKeV = 0.0;
  };

  // `kbCmPerMeV` >= 0.
  BetaScintillation(const BetaEmitter& emitter, double kbCmPerMeV);

  // The spectrum of the first beta branch (empty without one).
  const BetaSpectrum& Spectrum() const { return spectra_.front(); }
  // Decays in the vial per decay of the nuclide named: 2 for Sr-90+Y-90.
  double DecaysPerNamedDecay() const { return decaysPerNamedDecay_; }
  const IonisationQuenching& Quenching() const { return quenching_; }
  // The most energetic electron a decay can give, in keV.
  double HighestKeV() const { return highestKeV_; }
  // The quenched energy of an electron of `energyKeV`, up to HighestKeV.
  double QuenchedKeV(double energyKeV) const { return quenching_.QuenchedKeV(energyKeV); }

  Deposit Draw(std::mt19937& random) const;
  // The quenched energy of one decay, in keV.
  double DrawQuenchedKeV(std::mt19937& random) const { return Draw(random).quenchedKeV; }

  // The first beta branch's average of f(Q), by the trapezoidal rule; for
  // checks against the tables.
  template <typename F>
  double Average(F f) const {
    constexpr int kSteps = 4096;
    const BetaSpectrum& spectrum = Spectrum();
    const double step = spectrum.EndpointKeV() / kSteps;
    double weights = 0.0;
    double sum = 0.0;
    for (int i = 0; i <= kSteps; ++i) {
      const double energy = step * i;
      const double weight = spectrum.Density(energy) * (i == 0 || i == kSteps ? 0.5 : 1.0);
      weights += weight;
      sum += weight * f(QuenchedKeV(energy));
    }
    return weights > 0.0 ? sum / weights : 0.0;
  }

 private:
  void AddBranch(Deposit& deposit, std::mt19937& random) const;
  void AddElectron(Deposit& deposit, double energyKeV) const;

  DecayScheme scheme_;
  std::vector<BetaSpectrum> spectra_;  // one per beta branch; one empty without any
  double decaysPerNamedDecay_;
  std::span<const ConversionTransition> conversion_;
  double highestKeV_;
  IonisationQuenching quenching_;
};

}  // namespace korva::sim
