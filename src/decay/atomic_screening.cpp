#include "decay/atomic_screening.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "decay/complex_gamma.h"
#include "decay/fermi_function.h"

namespace korva {

namespace {

// Salvat et al. (1987), Table I: A_1, A_2 and alpha_1..3 in inverse Bohr
// radii; A_3 = 1 - A_1 - A_2.
struct SalvatAtom {
  int z;
  double a1, a2;
  double alpha1, alpha2, alpha3;
};

constexpr std::array<SalvatAtom, 12> kSalvat = {{
    {1, -184.39, 185.39, 2.0027, 1.9973, 0.0},
    {6, 0.1537, 0.8463, 8.0404, 1.4913, 0.0},
    {15, 0.4387, 0.5613, 6.6707, 1.3410, 0.0},
    {16, 0.5459, -0.5333, 6.3703, 2.5517, 1.6753},
    {17, 0.7249, -0.7548, 6.2118, 3.3883, 1.8596},
    {20, 0.5800, 0.4200, 6.3218, 1.0094, 0.0},
    {28, 0.0474, 0.7294, 34.758, 3.8299, 1.2209},
    {38, 0.0336, 0.7816, 55.208, 4.2842, 0.8578},
    {39, 0.0689, 0.7202, 31.366, 4.2412, 0.9472},
    {43, 0.2201, 0.5618, 15.918, 3.3672, 1.1548},
    {61, 0.1624, 0.7133, 24.598, 3.5560, 0.8569},
    {81, 0.2708, 0.6428, 20.941, 3.2456, 1.1121},
}};

// Threshold on W' below which the form is held at its limit: the kinetic
// energy W' - 1 of 1e-9 electron masses, 0.5 meV.
constexpr double kThresholdMargin = 1e-9;

// ln of p W F without the W-independent factors of F: what the screening
// ratio is made of, (2 g - 1) ln p + ln W + pi y + ln|Gamma(g + i y)|^2.
double LogScreenedPart(double alphaZ, double g, double w) {
  const double p = std::sqrt(w * w - 1.0);
  const double y = alphaZ * w / p;
  return (2.0 * g - 1.0) * std::log(p) + std::log(w) + std::numbers::pi * y + 2.0 * LogGamma({g, y}).real();
}

}  // namespace

double ScreeningPotential(int atomZ) {
  const auto found = std::ranges::find_if(kSalvat, [atomZ](const SalvatAtom& a) { return a.z == atomZ; });
  if (found == kSalvat.end()) return 0.0;
  const double a3 = 1.0 - found->a1 - found->a2;
  const double slope = found->a1 * found->alpha1 + found->a2 * found->alpha2 + a3 * found->alpha3;
  return kFineStructure * kFineStructure * atomZ * slope;
}

double ScreenedEnergy(int daughterZ, double w) {
  if (daughterZ <= 0) return w;
  return std::max(w - ScreeningPotential(daughterZ - 1), 1.0 + kThresholdMargin);
}

double ScreeningCorrection(int daughterZ, double w) {
  const double screened = ScreenedEnergy(daughterZ, w);
  if (screened >= w) return 1.0;
  const double alphaZ = kFineStructure * daughterZ;
  const double g = std::sqrt(1.0 - alphaZ * alphaZ);
  return std::exp(LogScreenedPart(alphaZ, g, screened) - LogScreenedPart(alphaZ, g, w));
}

}  // namespace korva
