#include "decay/atomic_exchange.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace korva {

namespace {

// Nitescu, Stoica and Simkovic (2023), the parameters of Eq. (34) by the
// emitter's atomic number: H-3 (1), C-14 (6), P-32 and P-33 (15), S-35
// (16), Ca-45 (20), Ni-63 (28), Sr-89 and Sr-90 (38), Y-90 (39), Tc-99
// (43), Pm-147 (61), Tl-204 (81), Pu-241 (94), and the rows after each (2,
// 7, 16, 17, 21, 29, 39, 40, 44, 62, 82, 95), the daughters' atomic
// numbers. The rows 20, 21, 38 to 40, 43, 44, 81, 82, 94 and 95 were read
// from the table of the paper's parameters as it is distributed with the
// spectrum code of L. Hayen (the "thecobs" package, its data file
// ExchangeDataSimkovic.dat), which gives every row already carried here
// digit for digit.
struct ExchangeFit {
  int z;
  double a, b, c, d, e;
};

constexpr std::array<ExchangeFit, 22> kFits = {{
    {1, 40.878, 41.395, 1.0627, 9.6525, 0.2310},    {2, 11.440, 13.268, 1.2686, 7.3986, 0.2962},
    {6, 2.1398, 0.0317, 1.9398, 3.1399, 0.3583},    {7, 1.9035, 0.0043, 2.2619, 2.8400, 0.3482},
    {15, 2.8742, 6.3302, 0.6779, 4.0086, 0.2626},   {16, 2.4395, 4.2232, 0.6750, 3.6740, 0.2707},
    {17, 2.1242, 2.9843, 0.6725, 3.3994, 0.2773},   {20, 2.1091, 2.4885, 0.7326, 3.2774, 0.2764},
    {21, 1.8382, 1.8290, 0.7168, 3.0469, 0.2815},   {28, 1.2568, 1.0258, 0.5753, 2.5714, 0.2693},
    {29, 1.1136, 0.8685, 0.5282, 2.4317, 0.2695},   {38, 2.5377, 3.9319, 0.6563, 3.6498, 0.2150},
    {39, 2.0575, 2.5016, 0.6589, 3.3026, 0.2263},   {40, 1.7775, 1.7946, 0.6630, 3.0608, 0.2347},
    {43, 1.2091, 0.7074, 0.6834, 2.4424, 0.2605},   {44, 1.1287, 0.5908, 0.6884, 2.3352, 0.2651},
    {61, 4.7160, -3.6434, 0.0472, 1.8830, 0.1018},  {62, 1.9100, 2.4129, 0.5209, 3.2733, 0.1927},
    {81, -0.0768, 0.2711, -0.1728, 0.1647, 0.4341}, {82, -0.0763, 0.2694, -0.1750, 0.1562, 0.4366},
    {94, 5.5119, -4.1559, 0.0482, 2.0596, 0.0783},  {95, 4.6253, -3.5213, 0.0463, 1.8487, 0.0863},
}};

// The lowest kinetic energy of the systematic results behind the fit, keV.
constexpr double kLowestKeV = 0.005;

const ExchangeFit* FitOf(int emitterZ) {
  const auto fit = std::ranges::find_if(kFits, [emitterZ](const ExchangeFit& x) { return x.z == emitterZ; });
  return fit == kFits.end() ? nullptr : &*fit;
}

}  // namespace

bool HasExchangeFit(int emitterZ) { return FitOf(emitterZ) != nullptr; }

int ExchangeStandInZ(int emitterZ) {
  const auto distance = [emitterZ](const ExchangeFit& x) { return std::abs(x.z - emitterZ); };
  // min_element keeps the first of equals: the lower Z on a tie.
  return std::ranges::min_element(kFits, {}, distance)->z;
}

double ExchangeCorrection(int emitterZ, double kineticKeV) {
  const ExchangeFit* fit = FitOf(emitterZ);
  if (fit == nullptr) return 1.0;
  const double x = std::max(kineticKeV, kLowestKeV);
  return 1.0 + (fit->a + fit->b * std::pow(x, fit->c)) * std::exp(-fit->d * std::pow(x, fit->e));
}

}  // namespace korva
