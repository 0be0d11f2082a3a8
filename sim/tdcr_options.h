#pragma once

#include <string>

namespace korva::sim {

// Photoelectrons per keV of quenched energy over the three tubes that give
// tritium at kB 0.010 cm/MeV a T/D of 0.50 (and an efficiency for D of 0.55).
inline constexpr double kDefaultPhotoelectronsPerKeV = 0.83;

// The vial in the virtual counter and the pace of its TDCR sequence clock.
// When each tube's pulse comes after the decay: the arrival of its first
// photoelectron, drawn from the scintillation's time profile, plus the
// tube's transit-time jitter (see docs/TDCR-WINDOW-MODEL.md).
struct PulseTiming {
  // The prompt fluorescence of aromatic-solvent cocktails with PPO decays in
  // a few ns (J. B. Birks, The Theory and Practice of Scintillation
  // Counting, Pergamon 1964, ch. 6 and 8; T. Marrodan Undagoitia et al.,
  // Rev. Sci. Instrum. 80 (2009) 043301, for PXE and LAB mixtures).
  double promptNs = 4.0;
  // Triplet-triplet annihilation gives a slow component of about 250 ns in
  // de-aerated organic liquids (Appl. Spectrosc. 24 (1970) 397); for
  // electrons it carries a few per cent of the light (Marrodan Undagoitia
  // et al. 2009 fit slow components of tens to hundreds of ns).
  double delayedFraction = 0.03;
  double delayedNs = 250.0;
  // Standard deviation of a fast 2-inch tube's single-photoelectron transit
  // time: data sheets give a transit-time spread of 1.5-2 ns FWHM, and the
  // time-difference distributions of TDCR tube pairs (C. Dutsov et al.,
  // Sci. Rep. 11 (2021) 12131) are of that width for bright events.
  double jitterNs = 0.7;
};

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
  PulseTiming timing{};
};

}  // namespace korva::sim
