#include "sim/conversion_electrons.h"

#include <algorithm>

namespace korva::sim {

namespace {

// Bi-207 decays by electron capture to Pb-207; its 569.7 keV and 1063.7 keV
// transitions (mostly in cascade) are strongly converted. Electron energies
// and emissions per decay follow the evaluated decay data for Bi-207 (DDEP,
// LNHB) to about 2 %, good enough for a vial that only has to show lines
// where they belong; the 1063.7 keV lines agree with the magnetic
// spectrometer measurement that proposed its K line as an energy standard
// (975.9 +- 0.3 keV, K/L 3.95 +- 0.25, K/(L+M) 3.00 +- 0.25). Check them
// against the evaluation before relying on exact intensities.
//
// What the vial sees: only the conversion electrons. The gamma rays mostly
// leave a small vial, and the capture's X-rays and Auger electrons (a few
// keV to about 80 keV) are left out, so a decay without a conversion
// electron deposits nothing and the lines stand on no continuum.
constexpr ConversionTransition kBi207[] = {
    {{{{481.69, 0.01537}, {553.84, 0.00442}, {565.85, 0.00111}}}},  // 569.7 keV: K, L, M
    {{{{975.65, 0.0708}, {1047.80, 0.0184}, {1059.81, 0.0044}}}},   // 1063.7 keV: K, L, M
};

}  // namespace

std::span<const ConversionTransition> ConversionTransitionsOf(std::string_view nuclide) {
  if (nuclide == "Bi-207") return kBi207;
  return {};
}

double HighestConversionKeV(std::span<const ConversionTransition> transitions) {
  double highest = 0.0;
  for (const ConversionTransition& transition : transitions) {
    for (const ConversionLine& line : transition.lines) highest = std::max(highest, line.energyKeV);
  }
  return highest;
}

}  // namespace korva::sim
