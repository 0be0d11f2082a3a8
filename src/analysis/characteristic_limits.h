#pragma once

#include <optional>
#include <string>

namespace korva {

// The quantiles and the probability the characteristic limits are computed
// with: k(1 - alpha) for the decision threshold, k(1 - beta) for the
// detection limit, and 1 - gamma the probability of the coverage interval.
struct LimitSettings {
  double kAlpha = 1.645;
  double kBeta = 1.645;
  double gamma = 0.05;
};

// Why settings cannot be used (a k not above 0 or above 10, gamma not
// between 0 and 1); none when they can.
std::optional<std::string> LimitSettingsError(const LimitSettings& settings);

// The model of the measurand, an activity in Bq:
//   y = (n_g / t_g - n_0 / t_0) w,
// the gross counts n_g of the sample in its live time t_g, the counts n_0
// of the background in t_0, and the calibration factor w (Bq per count per
// second: decay correction over efficiency) with its relative standard
// uncertainty u_rel(w). Counts are Poisson, so u^2(n) = n.
struct LimitInputs {
  double grossCounts = 0.0;
  double grossLiveTime = 0.0;  // s
  double backgroundCounts = 0.0;
  double backgroundLiveTime = 0.0;  // s
  double calibration = 0.0;         // w, Bq s
  double calibrationRelativeUncertainty = 0.0;
};

// The characteristic limits of ISO 11929-1:2019 of one result.
struct CharacteristicLimits {
  LimitSettings settings;
  double primaryEstimate = 0.0;      // y, Bq (may be negative)
  double standardUncertainty = 0.0;  // u(y), Bq
  double decisionThreshold = 0.0;    // y*, Bq
  // y#, Bq; none when k(1 - beta) u_rel(w) >= 1, where no activity is
  // detected with probability 1 - beta however large it is.
  std::optional<double> detectionLimit;
  bool detected = false;  // y > y*
  // The probabilistically symmetric coverage interval (y<, y>) for
  // probability 1 - gamma, given only when the result is detected.
  double lowerLimit = 0.0;
  double upperLimit = 0.0;
};

// w^2 (n_g / t_g^2 + n_0 / t_0^2): the variance of y from the Poisson
// counts alone.
double CountingVariance(const LimitInputs& in);

// u~(y~): the standard uncertainty of the estimate of an activity whose
// true value is y~, with the gross counts those of y~ over the background,
// n_g = (y~ / w + n_0 / t_0) t_g.
double UncertaintyForTrueValue(const LimitInputs& in, double trueValue);

// The limits of a result whose primary estimate is `primaryEstimate`
// (the analysis's activity, which also takes off accidental coincidences)
// and whose counts and calibration are `in`.
CharacteristicLimits ComputeCharacteristicLimits(const LimitInputs& in, double primaryEstimate,
                                                 const LimitSettings& settings);

// The standard normal quantile: x with Phi(x) = p, 0 < p < 1.
double NormalQuantile(double p);

// "not detected (below the decision threshold of 0.66 Bq)", or "detected".
std::string DetectionText(const CharacteristicLimits& limits);

}  // namespace korva
