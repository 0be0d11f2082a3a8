#include "analysis/bracketed_root.h"

#include <cmath>
#include <utility>

namespace korva {

double FindBracketedRoot(const std::function<ValueAndSlope(double)>& f, double low, double high,
                         double tolerance, double start, int maxSteps) {
  const bool inside = (start - low) * (start - high) < 0.0;
  // Orient the bracket so that f(low) < 0 < f(high); low may exceed high.
  if (f(low).value > 0.0) std::swap(low, high);
  double x = inside ? start : 0.5 * (low + high);
  double step = std::abs(high - low);
  double stepBefore = step;
  ValueAndSlope at = f(x);
  for (int i = 0; i < maxSteps; ++i) {
    // Bisect when Newton would leave the bracket or is not at least halving
    // the step of two iterations ago.
    const bool outside = ((x - high) * at.slope - at.value) * ((x - low) * at.slope - at.value) > 0.0;
    const bool slow = std::abs(2.0 * at.value) > std::abs(stepBefore * at.slope);
    stepBefore = step;
    if (outside || slow) {
      step = 0.5 * (high - low);
      x = low + step;
    } else {
      step = at.value / at.slope;
      x -= step;
    }
    if (std::abs(step) < tolerance) return x;
    at = f(x);
    if (at.value == 0.0) return x;
    (at.value < 0.0 ? low : high) = x;
  }
  return x;
}

}  // namespace korva
