#pragma once

#include "analysis/scintillator.h"

namespace korva {

// The collision stopping power of electrons in a scintillator, in MeV/cm:
// the Bethe formula for electrons in the form of Rohrlich and Carlson,
//
//   -dE/dx = K/2 rho <Z/A> / beta^2 [ln(tau^2 (tau + 2) / (2 (I/mc^2)^2)) + F(tau) - delta]
//   F(tau) = 1 - beta^2 + (tau^2 / 8 - (2 tau + 1) ln 2) / (tau + 1)^2
//
// tau the kinetic energy in electron masses, with Sternheimer and Peierls'
// general density-effect correction delta for a condensed insulator. In
// toluene delta starts at about 450 keV and lowers the stopping power of
// 1.7 MeV electrons by about 4 %.
//
// Below the energy where the formula peaks (about 2.3 I, 0.15 keV in
// toluene) the Bethe theory no longer holds: a slow electron cannot ionise
// and its stopping power goes to zero with its energy. Two published forms
// for that region (LowEnergyStopping) bound the choice; the budget takes
// their difference.
enum class LowEnergyStopping {
  // Proportional to the velocity, S(E) = S(E_p) sqrt(E / E_p) below the
  // peak E_p: the stopping of a slow charge in an electron gas (E. Fermi and
  // E. Teller, Phys. Rev. 72 (1947) 399; J. Lindhard and M. Scharff, Phys.
  // Rev. 124 (1961) 128), joined continuously to the Bethe formula.
  kVelocityProportional,
  // The Rohrlich-Carlson formula itself followed below its peak until it
  // vanishes (at 0.858 I, 0.054 keV in toluene), and zero below.
  kBetheToItsZero,
};

class StoppingPower {
 public:
  explicit StoppingPower(const Scintillator& scintillator,
                         LowEnergyStopping lowEnergy = LowEnergyStopping::kVelocityProportional);

  double MevPerCm(double energyKeV) const;
  double PeakEnergyKeV() const { return peakKeV_; }
  const Scintillator& Medium() const { return medium_; }

 private:
  double BetheMevPerCm(double energyKeV) const;
  double DensityEffect(double tau) const;

  Scintillator medium_;
  LowEnergyStopping lowEnergy_;
  double excitationInRest_;  // I / m c^2
  double plasmaEnergyEv_;
  double cBar_, x0_, x1_, a_;  // Sternheimer-Peierls parameters
  double peakKeV_ = 0.0;
  double peakMevPerCm_ = 0.0;
};

}  // namespace korva
