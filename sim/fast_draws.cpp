#include "sim/fast_draws.h"

#include <cmath>

namespace korva::sim {

double DrawExponential(double mean, std::mt19937& random) { return -mean * std::log(UnitUniform(random)); }

int DrawPoisson(double mean, double expMinusMean, std::mt19937& random) {
  if (mean <= 0.0) return 0;
  if (mean > kInversionLimit) return std::poisson_distribution<int>(mean)(random);
  const double u = UnitUniform(random);
  // The search ends where the cumulative sum passes u; rounding can leave the
  // sum a few 1e-16 short of 1, so it also ends where the terms have vanished.
  int k = 0;
  double term = expMinusMean;
  double cumulative = term;
  while (u > cumulative && term > 0.0) {
    ++k;
    term *= mean / k;
    cumulative += term;
  }
  return k;
}

}  // namespace korva::sim
