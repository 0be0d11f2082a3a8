#pragma once

#include "sim/beta_emitter.h"

namespace korva::sim {

// The vial the multichannel analyser looks at.
struct SpectrumSourceOptions {
  Nuclide nuclide = Nuclide::kH3;
  double kB = 0.010;           // Birks' ionisation-quenching parameter, cm/MeV
  double activityBq = 5000.0;  // decays per second
  // Photoelectrons per keV of quenched (light-equivalent) energy, all three
  // photomultipliers together.
  double photoelectronsPerKeV = 1.0;
};

}  // namespace korva::sim
