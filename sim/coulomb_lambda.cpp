#include "sim/coulomb_lambda.h"

#include <cmath>

#include "sim/gamma_modulus.h"
#include "sim/physical_constants.h"

namespace korva::sim {

namespace {

// ln F_(k-1) without its exp(pi y), which cancels in the ratio.
double LogGeneralizedFermi(int k, double alphaZ, double p, double y, double radius) {
  const double g = std::sqrt(k * k - alphaZ * alphaZ);
  double doubleFactorial = 1.0;  // (2k - 1)!!
  for (int odd = 2 * k - 1; odd > 1; odd -= 2) doubleFactorial *= odd;
  return std::log(std::pow(4.0, k - 1) * 2.0 * k * (k + g) * doubleFactorial * doubleFactorial) +
         2.0 * (g - k) * std::log(2.0 * p * radius) + LogGammaModulusSquared(g, y) -
         2.0 * LogGamma(2.0 * g + 1.0);
}

}  // namespace

double CoulombLambda(int k, int daughterZ, double radius, double w) {
  const double alphaZ = kFineStructure * daughterZ;
  const double p = std::sqrt(w * w - 1.0);
  const double y = alphaZ * w / p;
  return std::exp(LogGeneralizedFermi(k, alphaZ, p, y, radius) -
                  LogGeneralizedFermi(1, alphaZ, p, y, radius));
}

}  // namespace korva::sim
