#include "common/numeric_entry.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace korva {

namespace {

constexpr double kRelativeRoundingTolerance = 1e-12;

std::string_view TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string MoveTrailingMinusToFront(std::string_view text) {
  if (text.size() < 2 || text.back() != '-') return std::string(text);
  return "-" + std::string(text.substr(0, text.size() - 1));
}

std::optional<double> ParseNumericEntry(std::string_view text) {
  const std::string_view number = TrimBlanks(text);
  if (number.empty()) return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error != std::errc{} || end != number.data() + number.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

double TruncateEntry(double value) {
  const double nearest = std::round(value);
  if (std::fabs(value - nearest) <= kRelativeRoundingTolerance * std::max(1.0, std::fabs(value))) {
    return nearest;
  }
  return std::trunc(value);
}

}  // namespace korva
