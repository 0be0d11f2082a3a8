#include "analysis/window_consistency.h"

#include <algorithm>
#include <cmath>

namespace korva {

double NestedWindowDifference(const NestedWindowCounts& c, double kappa) {
  const double d = c.doublesM;
  if (!(d > 0.0)) return 0.0;
  const double ratio = c.triplesM / d;
  const double onlyM = std::max(0.0, c.doublesM - c.doublesN);
  const double triplesOnlyM = std::max(0.0, c.triplesM - c.triplesN);
  const double doublesWeight = 1.0 + kappa * ratio;
  return std::sqrt(doublesWeight * doublesWeight * onlyM + kappa * kappa * triplesOnlyM) / d;
}

}  // namespace korva
