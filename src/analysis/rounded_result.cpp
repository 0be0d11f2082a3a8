#include "analysis/rounded_result.h"

#include <cmath>

#include "common/format_text.h"

namespace korva {

namespace {

constexpr int kSignificantDigits = 2;  // GUM 7.2.6: "at most two significant digits"

// The power of ten of the last digit kept: two significant digits of the
// uncertainty, counted again when rounding carries into a new digit
// (0.0996 becomes 0.10, not 0.100).
int LastDigitPower(double uncertainty) {
  int power = static_cast<int>(std::floor(std::log10(uncertainty))) - (kSignificantDigits - 1);
  const double step = std::pow(10.0, power);
  if (std::round(uncertainty / step) >= std::pow(10.0, kSignificantDigits)) ++power;
  return power;
}

std::string AtPower(double x, int power) {
  const double step = std::pow(10.0, power);
  double rounded = std::round(x / step) * step;
  if (rounded == 0.0) rounded = 0.0;  // no "-0.00"
  return FormatText("%.*f", power < 0 ? -power : 0, rounded);
}

bool FixesAPlace(double uncertainty) { return std::isfinite(uncertainty) && uncertainty > 0.0; }

}  // namespace

RoundedResult RoundToUncertainty(double value, double uncertainty) {
  if (!FixesAPlace(uncertainty) || !std::isfinite(value)) {
    return {FormatText("%.6g", value), FormatText("%.6g", uncertainty)};
  }
  const int power = LastDigitPower(uncertainty);
  return {AtPower(value, power), AtPower(uncertainty, power)};
}

std::string RoundUncertainty(double uncertainty) {
  if (!FixesAPlace(uncertainty)) return FormatText("%.6g", uncertainty);
  return AtPower(uncertainty, LastDigitPower(uncertainty));
}

}  // namespace korva
