#pragma once

#include <vector>

#include "sim/beta_emitter.h"
#include "sim/capture_cascade.h"

namespace korva::sim {

// One beta branch of a nuclide: its probability per decay of the nuclide
// and the transition (daughter, endpoint, shape).
struct BetaBranch {
  double probability = 1.0;
  BetaEmitter transition;
};

// Everything one decay of a vial's nuclide can be: its beta branches and
// its electron-capture branch (probability 0 without one). A daughter in
// secular equilibrium adds its own branch of probability 1, the daughter
// decaying as often as the parent (Sr-90 with Y-90), so the probabilities
// sum to the decays in the vial per decay of the nuclide named.
struct DecayScheme {
  std::vector<BetaBranch> betas;
  double captureProbability = 0.0;
  CaptureAtom captureAtom;

  // The decays in the vial per decay of the nuclide named: the branches'
  // probabilities summed; 1 for a scheme without branch (Bi-207, whose
  // decays give only the conversion electrons of conversion_electrons.h).
  double DecaysPerNamedDecay() const;
};

// The scheme of the vial's nuclide: the emitter's own beta branch with
// probability 1 for a nuclide of one branch (none when its endpoint is 0:
// Bi-207), and the branches of the multi-branch nuclides and Fe-55 from
// the table of decay_scheme.cpp.
DecayScheme DecaySchemeOf(const BetaEmitter& emitter);

}  // namespace korva::sim
