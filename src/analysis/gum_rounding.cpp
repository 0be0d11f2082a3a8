#include "analysis/gum_rounding.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace korva {

namespace {

// The decimal place that leaves `digits` significant digits of |value| > 0.
int DecimalsFor(double value, int digits) {
  return digits - 1 - static_cast<int>(std::floor(std::log10(std::abs(value))));
}

// As DecimalsFor, of the value once rounded: rounding may carry into a new
// leading digit (9.996 -> 10.0), which leaves one decimal fewer.
int RoundedDecimals(double value, int digits) {
  const int decimals = DecimalsFor(value, digits);
  const double scale = std::pow(10.0, decimals);
  return DecimalsFor(std::round(value * scale) / scale, digits) < decimals ? decimals - 1 : decimals;
}

}  // namespace

std::string FixedText(double value, int decimals) {
  char text[64];
  if (decimals >= 0) {
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
  } else {
    const double unit = std::pow(10.0, -decimals);
    std::snprintf(text, sizeof text, "%.0f", std::round(value / unit) * unit);
  }
  // "-0.00" is 0.
  const std::string printed = text;
  return printed.find_first_of("123456789") == std::string::npos && printed.front() == '-' ? printed.substr(1)
                                                                                           : printed;
}

std::string SignificantText(double value, int digits) {
  if (value == 0.0 || !std::isfinite(value)) return FixedText(value, std::max(0, digits - 1));
  return FixedText(value, RoundedDecimals(value, digits));
}

RoundedResult RoundedToUncertainty(double value, double uncertainty) {
  if (!(uncertainty > 0.0) || !std::isfinite(uncertainty)) {
    return {SignificantText(value, 6), "0", 0};
  }
  const int decimals = RoundedDecimals(uncertainty, 2);
  return {FixedText(value, decimals), FixedText(uncertainty, decimals), decimals};
}

}  // namespace korva
