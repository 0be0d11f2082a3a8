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
// toluene) it falls towards zero and then turns negative, which no real
// stopping power does; there the peak value is used. Those few tenths of a
// keV shift a quenched energy by less than 0.1 keV.
class StoppingPower {
 public:
  explicit StoppingPower(const Scintillator& scintillator);

  double MevPerCm(double energyKeV) const;
  double PeakEnergyKeV() const { return peakKeV_; }
  const Scintillator& Medium() const { return medium_; }

 private:
  double BetheMevPerCm(double energyKeV) const;
  double DensityEffect(double tau) const;

  Scintillator medium_;
  double excitationInRest_;  // I / m c^2
  double plasmaEnergyEv_;
  double cBar_, x0_, x1_, a_;  // Sternheimer-Peierls parameters
  double peakKeV_ = 0.0;
  double peakMevPerCm_ = 0.0;
};

}  // namespace korva
