#include "analysis/decay_correction.h"

#include <cmath>
#include <numbers>

namespace korva {

double DecayDuringRun(double halfLifeSeconds, double realTimeSeconds) {
  const double x = std::numbers::ln2 / halfLifeSeconds * realTimeSeconds;
  if (x == 0.0) return 1.0;
  return -std::expm1(-x) / x;
}

double DecayToReference(double halfLifeSeconds, double secondsAfterReference) {
  return std::exp(std::numbers::ln2 / halfLifeSeconds * secondsAfterReference);
}

}  // namespace korva
