#include "decay/fermi_function.h"

#include <cmath>
#include <numbers>

#include "decay/complex_gamma.h"

namespace korva {

namespace {

constexpr double kReducedComptonFm = 386.15926796;
constexpr double kRadiusConstantFm = 1.2;

}  // namespace

double FermiFunction(int daughterZ, int massNumber, double w) {
  const double alphaZ = kFineStructure * daughterZ;
  const double g = std::sqrt(1.0 - alphaZ * alphaZ);
  const double p = std::sqrt(w * w - 1.0);
  const double eta = alphaZ * w / p;
  const double radius = kRadiusConstantFm * std::cbrt(static_cast<double>(massNumber)) / kReducedComptonFm;
  int sign = 0;  // lgamma_r keeps the sign of Γ out of the global std::lgamma writes
  const double logF = std::log(2.0 * (1.0 + g)) + 2.0 * (g - 1.0) * std::log(2.0 * p * radius) +
                      std::numbers::pi * eta + 2.0 * LogGamma({g, eta}).real() -
                      2.0 * ::lgamma_r(2.0 * g + 1.0, &sign);
  return std::exp(logF);
}

}  // namespace korva
