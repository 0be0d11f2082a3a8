#include "analysis/atomic_exchange.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "analysis/fermi_function.h"

namespace korva {

namespace {

// Hayen et al. (2018), the exchange fit's parameters for the daughters of
// H-3 (He), C-14 (N), P-32 and P-33 (S), S-35 (Cl), Ni-63 (Cu) and Pm-147
// (Sm).
struct ExchangeFit {
  int z;
  double a, b, c, d, f, g, k, h, m;
};

constexpr std::array<ExchangeFit, 6> kFits = {{
    {2, -1.086e-07, 1.068e-10, 1.871e-05, 17.22, 1.113e-05, 14.88, 0.952, -0.8818, 2.393},
    {7, 1.401e-04, 8.89e-09, -2.264e-03, 2.388, 2.34e-03, 12.94, 1.0, -0.3328, 9.933},
    {16, 2.041e-04, -1.164e-07, 0.03362, 74.63, 2.384e-04, -0.8782, 0.8939, -1.228, 1.302},
    {17, 2.136e-04, -1.276e-07, 0.03155, 64.44, 2.344e-04, -0.9904, 0.9057, -1.181, 1.636},
    {29, 2.932e-04, -2.19e-07, 0.03161, 26.34, -4.634e-04, 1.464, 0.685, -2.215, 1.496},
    {62, 1.357e-04, -1.504e-07, 0.02981, 7.695, 0.01141, 110.5, 1.001, -0.2636, 2.127},
}};

// The lowest kinetic energy the fit is given for, keV.
constexpr double kLowestFitKeV = 1.0;

}  // namespace

double ExchangeCorrection(int daughterZ, double w) {
  const auto fit =
      std::ranges::find_if(kFits, [daughterZ](const ExchangeFit& x) { return x.z == daughterZ; });
  if (fit == kFits.end()) return 1.0;
  w = std::max(w, 1.0 + kLowestFitKeV / kElectronRestKeV);
  const double e = w - 1.0;
  return 1.0 + fit->a / e + fit->b / (e * e) + fit->c * std::exp(-fit->d * e) +
         fit->f * std::sin(std::pow(w - fit->k, fit->g) + fit->h) / std::pow(w, fit->m);
}

}  // namespace korva
