#pragma once

#include "sim/beta_emitter.h"
#include "sim/tdcr_options.h"

namespace korva::sim {

// The vial the multichannel analyser looks at.
struct SpectrumSourceOptions {
  Nuclide nuclide = Nuclide::kH3;
  double kB = 0.010;           // Birks' ionisation-quenching parameter, cm/MeV
  double activityBq = 5000.0;  // decays per second
  // Photoelectrons per keV of quenched (light-equivalent) energy, all three
  // photomultipliers together: the same optics and cocktail as the TDCR
  // counter's vial, whose yield gives tritium a T/D of 0.50, as commercial
  // cocktails give it in TDCR counters (Broda, Cassette and Kossert,
  // "Radionuclide metrology using liquid scintillation counting",
  // Metrologia 44 (2007) S36).
  double photoelectronsPerKeV = kDefaultPhotoelectronsPerKeV;
};

}  // namespace korva::sim
