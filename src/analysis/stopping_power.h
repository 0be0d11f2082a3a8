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
// for slow electrons (LowEnergyStopping) bound the choice; they differ by
// 80 % at 0.1 keV, 1.6 % at 1 keV and under 0.7 % above 2 keV, and the
// budget takes the difference of the efficiencies they give.
enum class LowEnergyStopping {
  // Proportional to the velocity, S(E) = S(E_p) sqrt(E / E_p) below the
  // peak E_p: the stopping of a slow charge in an electron gas (E. Fermi and
  // E. Teller, Phys. Rev. 72 (1947) 399; J. Lindhard and M. Scharff, Phys.
  // Rev. 124 (1961) 128), joined continuously to the Bethe formula.
  kVelocityProportional,
  // The modified Bethe formula of D. C. Joy and S. Luo, Scanning 11 (1989)
  // 176, made for slow electrons in solids: the non-relativistic Bethe term
  // ln(1.166 E / I) becomes ln(1.166 (E + k I) / I), with k = 0.734 Z^0.037
  // (Z the electron-weighted mean atomic number; k = 0.780 in toluene). It
  // is written into the Rohrlich-Carlson formula by replacing tau^2 in its
  // logarithm with (tau + k I / m c^2)^2, so that it is Joy and Luo's
  // formula for slow electrons and the Bethe formula for fast ones, and is
  // used at every energy. It peaks near 0.45 I and vanishes at
  // (0.858 - k) I, 4.8 eV in toluene; zero below.
  kJoyLuo,
};

class StoppingPower {
 public:
  explicit StoppingPower(const Scintillator& scintillator,
                         LowEnergyStopping lowEnergy = LowEnergyStopping::kVelocityProportional);

  double MevPerCm(double energyKeV) const;
  double PeakEnergyKeV() const { return peakKeV_; }
  const Scintillator& Medium() const { return medium_; }

 private:
  // The Rohrlich-Carlson formula; `shiftInRest` adds to tau inside the
  // logarithm (0 for Bethe, k I / m c^2 for Joy and Luo).
  double BetheMevPerCm(double energyKeV, double shiftInRest = 0.0) const;
  double DensityEffect(double tau) const;

  Scintillator medium_;
  LowEnergyStopping lowEnergy_;
  double excitationInRest_;   // I / m c^2
  double joyLuoShiftInRest_;  // k I / m c^2
  double plasmaEnergyEv_;
  double cBar_, x0_, x1_, a_;  // Sternheimer-Peierls parameters
  double peakKeV_ = 0.0;
  double peakMevPerCm_ = 0.0;
};

}  // namespace korva
