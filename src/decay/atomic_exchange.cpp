#include "decay/atomic_exchange.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace korva {

namespace {

// Nitescu, Stoica and Simkovic (2023), the parameters of Eq. (34) by the
// emitter's atomic number: H-3 (1), C-14 (6), P-32 and P-33 (15), S-35
// (16), Ni-63 (28), Pm-147 (61), and the rows after each (2, 7, 16, 17,
// 29, 62), the daughters' atomic numbers.
struct ExchangeFit {
  int z;
  double a, b, c, d, e;
};

constexpr std::array<ExchangeFit, 11> kFits = {{
    {1, 40.878, 41.395, 1.0627, 9.6525, 0.2310},
    {2, 11.440, 13.268, 1.2686, 7.3986, 0.2962},
    {6, 2.1398, 0.0317, 1.9398, 3.1399, 0.3583},
    {7, 1.9035, 0.0043, 2.2619, 2.8400, 0.3482},
    {15, 2.8742, 6.3302, 0.6779, 4.0086, 0.2626},
    {16, 2.4395, 4.2232, 0.6750, 3.6740, 0.2707},
    {17, 2.1242, 2.9843, 0.6725, 3.3994, 0.2773},
    {28, 1.2568, 1.0258, 0.5753, 2.5714, 0.2693},
    {29, 1.1136, 0.8685, 0.5282, 2.4317, 0.2695},
    {61, 4.7160, -3.6434, 0.0472, 1.8830, 0.1018},
    {62, 1.9100, 2.4129, 0.5209, 3.2733, 0.1927},
}};

// The lowest kinetic energy of the systematic results behind the fit, keV.
constexpr double kLowestKeV = 0.005;

}  // namespace

double ExchangeCorrection(int emitterZ, double kineticKeV) {
  const auto fit = std::ranges::find_if(kFits, [emitterZ](const ExchangeFit& x) { return x.z == emitterZ; });
  if (fit == kFits.end()) return 1.0;
  const double x = std::max(kineticKeV, kLowestKeV);
  return 1.0 + (fit->a + fit->b * std::pow(x, fit->c)) * std::exp(-fit->d * std::pow(x, fit->e));
}

}  // namespace korva
