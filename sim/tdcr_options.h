#pragma once

#include <string>

namespace korva::sim {

// Photoelectrons per keV of quenched energy over the three tubes that give
// tritium at kB 0.010 cm/MeV a T/D of 0.50 (and an efficiency for D of 0.55).
inline constexpr double kDefaultPhotoelectronsPerKeV = 0.83;

// The vial in the virtual counter and the pace of its TDCR sequence clock.
struct TdcrOptions {
  double activityBq = 5000.0;    // decays per second of the source
  double darkRatePerPmt = 50.0;  // single-photoelectron dark pulses per second on each PMT
  // How many parts per million the 10 MHz references (clock counters 45 and
  // 46) run ahead of the internal clock (counter 44).
  double referencePpm = 3.0;
  // Instrument seconds per wall-clock second while a sequence runs, so a
  // test can run a sequence faster than real time.
  double timeScale = 1.0;
  // The nuclide in the vial (a name of BetaEmitters()), Birks' constant
  // of its cocktail, and the photoelectron yield of the optics.
  std::string nuclide = "H-3";
  double kbCmPerMeV = 0.010;
  double photoelectronsPerKeV = kDefaultPhotoelectronsPerKeV;
};

}  // namespace korva::sim
