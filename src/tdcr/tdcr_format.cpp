#include "tdcr/tdcr_format.h"

#include <cstdio>

namespace korva {

namespace {

// Sized by a first pass, so huge values are written in full.
std::string FormatDouble(const char* format, double value) {
  const int length = std::snprintf(nullptr, 0, format, value);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), format, value);
  text.pop_back();
  return text;
}

}  // namespace

std::string FormatReading(double value) { return FormatDouble("%10.3f", value); }

std::string FormatRatio(std::optional<double> ratio) {
  return ratio ? FormatDouble("%10.6f", *ratio) : kNoDivisorText;
}

std::string FormatThreshold(double millivolts) { return FormatDouble("%7.2f", millivolts); }

std::string FormatExtension(double microseconds) { return FormatDouble("%7.3f", microseconds); }

std::string FormatPresetTime(double seconds) { return FormatDouble("%6.3f", seconds); }

std::string FormatCount(std::uint64_t count) { return std::to_string(count); }

}  // namespace korva
