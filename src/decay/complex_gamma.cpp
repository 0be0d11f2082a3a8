#include "decay/complex_gamma.h"

#include <cmath>
#include <numbers>

namespace korva {

namespace {

// Below this real part the argument is raised by the recurrence
// Gamma(z + 1) = z Gamma(z) before Stirling's series is summed; from here
// the series' first terms are good to about 1e-16.
constexpr double kStirlingFrom = 12.0;

// Stirling's series: (z - 1/2) ln z - z + ln(2 pi) / 2 + sum B_2k / (2k (2k - 1) z^(2k - 1)).
std::complex<double> StirlingSeries(std::complex<double> z) {
  const std::complex<double> inverse = 1.0 / z;
  const std::complex<double> inverse2 = inverse * inverse;
  const std::complex<double> series =
      inverse *
      (1.0 / 12.0 + inverse2 * (-1.0 / 360.0 +
                                inverse2 * (1.0 / 1260.0 + inverse2 * (-1.0 / 1680.0 + inverse2 / 1188.0))));
  return (z - 0.5) * std::log(z) - z + 0.5 * std::log(2.0 * std::numbers::pi) + series;
}

}  // namespace

std::complex<double> LogGamma(std::complex<double> z) {
  std::complex<double> shift = 0.0;
  while (z.real() < kStirlingFrom) {
    shift += std::log(z);
    z += 1.0;
  }
  return StirlingSeries(z) - shift;
}

double GammaModulusSquared(double x, double y) { return std::exp(2.0 * LogGamma({x, y}).real()); }

}  // namespace korva
