#pragma once

#include <random>
#include <span>

#include "sim/beta_emitter.h"
#include "sim/beta_spectrum.h"
#include "sim/conversion_electrons.h"
#include "sim/ionisation_quenching.h"

namespace korva::sim {

// What one decay in the vial deposits and the light it gives, the same for
// the analyser's vial and the TDCR counter's: a beta of the emitter's
// spectrum (BetaSpectrum) and the emitter's conversion electrons
// (conversion_electrons.h), each electron turned into light on its own by
// Birks' law (IonisationQuenching). An emitter without a beta branch gives
// only its conversion electrons.
class BetaScintillation {
 public:
  struct Deposit {
    double energyKeV = 0.0;
    double quenchedKeV = 0.0;
  };

  // `kbCmPerMeV` >= 0.
  BetaScintillation(const BetaEmitter& emitter, double kbCmPerMeV);

  const BetaSpectrum& Spectrum() const { return spectrum_; }
  const IonisationQuenching& Quenching() const { return quenching_; }
  // The most energetic electron a decay can give, in keV.
  double HighestKeV() const { return highestKeV_; }
  // The quenched energy of an electron of `energyKeV`, up to HighestKeV.
  double QuenchedKeV(double energyKeV) const { return quenching_.QuenchedKeV(energyKeV); }

  Deposit Draw(std::mt19937& random) const;
  // The quenched energy of one decay, in keV.
  double DrawQuenchedKeV(std::mt19937& random) const { return Draw(random).quenchedKeV; }

  // The beta spectrum's average of f(Q), by the trapezoidal rule; for checks
  // against the tables.
  template <typename F>
  double Average(F f) const {
    constexpr int kSteps = 4096;
    const double step = spectrum_.EndpointKeV() / kSteps;
    double weights = 0.0;
    double sum = 0.0;
    for (int i = 0; i <= kSteps; ++i) {
      const double energy = step * i;
      const double weight = spectrum_.Density(energy) * (i == 0 || i == kSteps ? 0.5 : 1.0);
      weights += weight;
      sum += weight * f(QuenchedKeV(energy));
    }
    return weights > 0.0 ? sum / weights : 0.0;
  }

 private:
  BetaSpectrum spectrum_;
  std::span<const ConversionTransition> conversion_;
  double highestKeV_;
  IonisationQuenching quenching_;
};

}  // namespace korva::sim
