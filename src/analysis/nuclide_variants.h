#pragma once

#include <string>
#include <vector>

#include "analysis/efficiency_model.h"
#include "decay/nuclide.h"

namespace korva {

// A nuclide's model changed in one of its inputs, for one term of the
// budget. `plusMinus`: the input moved by its standard uncertainty (the
// term is the whole difference); otherwise another choice of the input (the
// term is the difference as a rectangular half-width).
struct NuclideVariant {
  std::string name;
  Nuclide nuclide;
  CaptureSettings capture;
  bool plusMinus = false;
  // Empty when evaluated; the reason otherwise (the term then reads "not evaluated").
  std::string notEvaluated;
};

// The budget terms a nuclide's own data add:
//  - a second forbidden non-unique branch without a measured shape factor:
//    the allowed shape instead of the lowest-order unique-like shape;
//  - a first forbidden unique branch without a measured shape factor:
//    q^2 + p^2 (lambda_2 = 1) instead of q^2 + lambda_2 p^2;
//  - per electron-capture branch: P_K raised by its uncertainty (P_L
//    lowered alike), omega_K raised by its uncertainty, and the X-ray's
//    attenuation coefficient raised by kAttenuationRelativeUncertainty.
std::vector<NuclideVariant> NuclideModelVariants(const Nuclide& nuclide);

// The relative standard uncertainty taken for the cocktail's attenuation
// coefficient at an X-ray energy: the photoabsorption tables hold to 1-2 %
// here (Hubbell and Seltzer, NISTIR 5632, Sec. 4), and the composition of an
// emulsifying cocktail is known to a few per cent of its oxygen.
inline constexpr double kAttenuationRelativeUncertainty = 0.05;

}  // namespace korva
