#pragma once

#include <cmath>
#include <functional>

namespace korva {

struct ValueAndSlope {
  double value = 0.0;
  double slope = 0.0;
};

// The root of a continuous f in [low, high] when f(low) and f(high) have
// opposite signs (the caller has checked that): Newton steps from `start`
// (the bracket's middle when it lies outside), with a bisection whenever a
// step would leave the bracket or shrink it too slowly, so it converges
// wherever Newton alone would not. Stops when the step is below `tolerance`
// in x, or after `maxSteps`.
double FindBracketedRoot(const std::function<ValueAndSlope(double)>& f, double low, double high,
                         double tolerance, double start = NAN, int maxSteps = 100);

}  // namespace korva
