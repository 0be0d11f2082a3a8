#include "sim/fermi_function.h"

#include <array>
#include <cmath>
#include <numbers>

#include "sim/gamma_modulus.h"
#include "sim/physical_constants.h"

namespace korva::sim {

namespace {

constexpr double kRadiusPerNucleonFm = 1.2;

// Wilkinson (1990), the coefficients b(x, n) of L0 for beta-minus decay:
// one row per n = -1, 0, ..., 5, one column per power x = 1..6 of alpha Z.
constexpr std::array<std::array<double, 6>, 7> kL0Coefficients = {{
    {0.115, -1.8123, 8.2498, -11.223, -14.854, 32.086},
    {-0.00062, 0.007165, 0.01841, -0.53736, 1.2691, -1.5467},
    {0.02482, -0.5975, 4.84199, -15.3374, 23.9774, -12.6534},
    {-0.14038, 3.64953, -38.8143, 172.1368, -346.708, 288.7873},
    {0.008152, -1.15664, 49.9663, -273.711, 657.6292, -603.7033},
    {1.2145, -23.9931, 149.9718, -471.2985, 662.1909, -305.6804},
    {-1.5632, 33.4192, -255.1333, 938.5297, -1641.2845, 1095.358},
}};

double L0Coefficient(std::size_t row, double alphaZ) {
  double sum = 0.0;
  double power = alphaZ;
  for (const double b : kL0Coefficients[row]) {
    sum += b * power;
    power *= alphaZ;
  }
  return sum;
}

}  // namespace

double NuclearRadius(int massNumber) {
  return kRadiusPerNucleonFm * std::cbrt(static_cast<double>(massNumber)) / kReducedComptonFm;
}

double PointFermiFunction(int daughterZ, double radius, double w) {
  const double alphaZ = kFineStructure * daughterZ;
  const double g = std::sqrt(1.0 - alphaZ * alphaZ);
  const double p = std::sqrt(w * w - 1.0);
  const double y = alphaZ * w / p;
  const double logF = std::log(4.0) + 2.0 * (g - 1.0) * std::log(2.0 * p * radius) + std::numbers::pi * y +
                      LogGammaModulusSquared(g, y) - 2.0 * LogGamma(2.0 * g + 1.0);
  return std::exp(logF);
}

double FiniteSizeL0(int daughterZ, double radius, double w) {
  const double alphaZ = kFineStructure * daughterZ;
  const double g = std::sqrt(1.0 - alphaZ * alphaZ);
  double l0 = 1.0 + 13.0 / 60.0 * alphaZ * alphaZ -
              alphaZ * w * radius * (41.0 - 26.0 * g) / (15.0 * (2.0 * g - 1.0)) -
              alphaZ * radius * g * (17.0 - 2.0 * g) / (30.0 * w * (2.0 * g - 1.0)) +
              L0Coefficient(0, alphaZ) * radius / w + 0.41 * (radius - 0.0164) * std::pow(alphaZ, 4.5);
  double power = 1.0;
  for (std::size_t n = 1; n < kL0Coefficients.size(); ++n) {
    l0 += L0Coefficient(n, alphaZ) * power;
    power *= w * radius;
  }
  return l0;
}

}  // namespace korva::sim
