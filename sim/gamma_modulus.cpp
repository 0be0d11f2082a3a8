#include "sim/gamma_modulus.h"

#include <cmath>
#include <complex>
#include <numbers>

namespace korva::sim {

namespace {

constexpr double kStirlingFrom = 10.0;

// Re ln Gamma(z) by Stirling's series, Re z >= kStirlingFrom.
double StirlingRealLogGamma(std::complex<double> z) {
  const std::complex<double> inverse = 1.0 / z;
  const std::complex<double> inverse2 = inverse * inverse;
  const std::complex<double> series =
      inverse * (1.0 / 12.0 - inverse2 * (1.0 / 360.0 - inverse2 * (1.0 / 1260.0 - inverse2 / 1680.0)));
  return ((z - 0.5) * std::log(z) - z + series).real() + 0.5 * std::log(2.0 * std::numbers::pi);
}

}  // namespace

double LogGammaModulusSquared(double x, double y) {
  double shifted = x;
  double logProduct = 0.0;  // ln prod |x + k + i y|^2 over the shift
  for (; shifted < kStirlingFrom; shifted += 1.0) logProduct += std::log(shifted * shifted + y * y);
  return 2.0 * StirlingRealLogGamma({shifted, y}) - logProduct;
}

double LogGamma(double x) {
  int sign = 0;
  return ::lgamma_r(x, &sign);
}

}  // namespace korva::sim
