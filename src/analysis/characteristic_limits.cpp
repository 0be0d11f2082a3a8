#include "analysis/characteristic_limits.h"

#include <cmath>
#include <numbers>

#include "analysis/bracketed_root.h"
#include "analysis/gum_rounding.h"

namespace korva {

namespace {

// The largest k a user may choose: beyond it no probability is left that a
// double can tell apart from 0 or 1.
constexpr double kLargestK = 10.0;

double StandardNormal(double x) { return 0.5 * std::erfc(-x / std::numbers::sqrt2); }

// The fixed-point iteration y# = y* + k(1 - beta) u~(y#) of ISO 11929-1:2019
// (detection limit), started above the limit it converges to from below, as
// the standard recommends starting at 2 y*: that start is 0 without a
// background, where the iteration would stay, so the counting term of the
// closed form is added to it. It contracts when k(1 - beta) u_rel(w) < 1.
std::optional<double> DetectionLimit(const LimitInputs& in, double threshold, double kBeta) {
  if (kBeta * in.calibrationRelativeUncertainty >= 1.0) return std::nullopt;
  double limit = 2.0 * threshold + kBeta * kBeta * in.calibration / in.grossLiveTime;
  for (int step = 0; step < 10000; ++step) {
    const double next = threshold + kBeta * UncertaintyForTrueValue(in, limit);
    if (std::abs(next - limit) <= 1e-13 * std::abs(next)) return next;
    limit = next;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> LimitSettingsError(const LimitSettings& s) {
  if (!(s.kAlpha > 0.0 && s.kAlpha <= kLargestK) || !(s.kBeta > 0.0 && s.kBeta <= kLargestK)) {
    return "the quantiles k(1-alpha) and k(1-beta) lie above 0 and at most 10";
  }
  if (!(s.gamma > 0.0 && s.gamma < 1.0)) return "gamma of the coverage interval lies between 0 and 1";
  return std::nullopt;
}

double CountingVariance(const LimitInputs& in) {
  const double w = in.calibration;
  return w * w *
         (in.grossCounts / (in.grossLiveTime * in.grossLiveTime) +
          in.backgroundCounts / (in.backgroundLiveTime * in.backgroundLiveTime));
}

// ISO 11929-1:2019, the standard uncertainty as a function of the true
// value, for counting with a background measured for its own time: with n_g Poisson of mean (y~/w + r_0) t_g,
//   u~^2(y~) = w^2 ((y~/w + r_0)/t_g + r_0/t_0) + y~^2 u_rel^2(w),
// r_0 = n_0 / t_0 the background rate estimated from its measurement.
double UncertaintyForTrueValue(const LimitInputs& in, double trueValue) {
  const double w = in.calibration;
  const double r0 = in.backgroundCounts / in.backgroundLiveTime;
  const double counting = w * w * ((trueValue / w + r0) / in.grossLiveTime + r0 / in.backgroundLiveTime);
  const double calibration = trueValue * in.calibrationRelativeUncertainty;
  return std::sqrt(std::max(0.0, counting) + calibration * calibration);
}

CharacteristicLimits ComputeCharacteristicLimits(const LimitInputs& in, double primaryEstimate,
                                                 const LimitSettings& settings) {
  CharacteristicLimits limits;
  limits.settings = settings;
  limits.primaryEstimate = primaryEstimate;
  // u^2(y) = w^2 (n_g / t_g^2 + n_0 / t_0^2) + y^2 u_rel^2(w) (ISO 11929-1:2019).
  const double calibration = primaryEstimate * in.calibrationRelativeUncertainty;
  limits.standardUncertainty = std::sqrt(CountingVariance(in) + calibration * calibration);
  // y* = k(1 - alpha) u~(0) (ISO 11929-1:2019, decision threshold).
  limits.decisionThreshold = settings.kAlpha * UncertaintyForTrueValue(in, 0.0);
  limits.detectionLimit = DetectionLimit(in, limits.decisionThreshold, settings.kBeta);
  limits.detected = primaryEstimate > limits.decisionThreshold;
  if (!limits.detected || !(limits.standardUncertainty > 0.0)) return limits;
  // The probabilistically symmetric interval of the estimate's distribution
  // truncated to activities >= 0 (ISO 11929-1:2019, limits of the coverage
  // interval):
  //   omega = Phi(y / u(y)),
  //   y< = y - k_p u(y), p = omega (1 - gamma/2),
  //   y> = y + k_q u(y), q = 1 - omega gamma/2.
  const double u = limits.standardUncertainty;
  const double omega = StandardNormal(primaryEstimate / u);
  limits.lowerLimit = primaryEstimate - NormalQuantile(omega * (1.0 - settings.gamma / 2.0)) * u;
  limits.upperLimit = primaryEstimate + NormalQuantile(1.0 - omega * settings.gamma / 2.0) * u;
  return limits;
}

double NormalQuantile(double p) {
  const auto f = [p](double x) {
    return ValueAndSlope{StandardNormal(x) - p, std::exp(-0.5 * x * x) / std::sqrt(2.0 * std::numbers::pi)};
  };
  return FindBracketedRoot(f, -kLargestK, kLargestK, 1e-14, 0.0);
}

std::string DetectionText(const CharacteristicLimits& limits) {
  if (limits.detected) return "detected";
  return "not detected (below the decision threshold of " + SignificantText(limits.decisionThreshold, 3) +
         " Bq)";
}

}  // namespace korva
