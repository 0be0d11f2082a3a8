#include "decay/fermi_function.h"

#include <cmath>
#include <numbers>

#include "decay/complex_gamma.h"

namespace korva {

namespace {

constexpr double kReducedComptonFm = 386.15926796;
constexpr double kRadiusConstantFm = 1.2;
// The expansion's 2 g - 1 vanishes as alpha Z nears sqrt(3) / 2 (Z = 119);
// it serves the daughters of known beta emitters, up to Z = 105.
constexpr int kLargestFiniteSizeZ = 105;

// R = 1.2 fm A^(1/3) in units of the reduced Compton wavelength.
double NuclearRadius(int massNumber) {
  return kRadiusConstantFm * std::cbrt(static_cast<double>(massNumber)) / kReducedComptonFm;
}

}  // namespace

double FermiFunction(int daughterZ, int massNumber, double w) {
  const double alphaZ = kFineStructure * daughterZ;
  const double g = std::sqrt(1.0 - alphaZ * alphaZ);
  const double p = std::sqrt(w * w - 1.0);
  const double eta = alphaZ * w / p;
  const double radius = NuclearRadius(massNumber);
  int sign = 0;  // lgamma_r keeps the sign of Γ out of the global std::lgamma writes
  const double logF = std::log(2.0 * (1.0 + g)) + 2.0 * (g - 1.0) * std::log(2.0 * p * radius) +
                      std::numbers::pi * eta + 2.0 * LogGamma({g, eta}).real() -
                      2.0 * ::lgamma_r(2.0 * g + 1.0, &sign);
  return std::exp(logF);
}

double FiniteSizeL0(int daughterZ, int massNumber, double w) {
  if (daughterZ > kLargestFiniteSizeZ) return 1.0;
  const double alphaZ = kFineStructure * daughterZ;
  const double g = std::sqrt(1.0 - alphaZ * alphaZ);
  const double alphaZR = alphaZ * NuclearRadius(massNumber);
  return 1.0 + 13.0 / 60.0 * alphaZ * alphaZ - alphaZR * w * (41.0 - 26.0 * g) / (15.0 * (2.0 * g - 1.0)) -
         alphaZR * g * (17.0 - 2.0 * g) / (30.0 * w * (2.0 * g - 1.0));
}

double CoulombLambda2(int daughterZ, int massNumber, double w) {
  const double alphaZ = kFineStructure * daughterZ;
  const double g1 = std::sqrt(1.0 - alphaZ * alphaZ);
  const double g2 = std::sqrt(4.0 - alphaZ * alphaZ);
  const double p = std::sqrt(w * w - 1.0);
  const double eta = alphaZ * w / p;
  int sign = 0;
  const double logLambda = std::log(72.0 * (2.0 + g2) / (1.0 + g1)) +
                           2.0 * (g2 - g1 - 1.0) * std::log(2.0 * p * NuclearRadius(massNumber)) +
                           2.0 * (LogGamma({g2, eta}).real() - LogGamma({g1, eta}).real()) +
                           2.0 * (::lgamma_r(2.0 * g1 + 1.0, &sign) - ::lgamma_r(2.0 * g2 + 1.0, &sign));
  return std::exp(logLambda);
}

}  // namespace korva
