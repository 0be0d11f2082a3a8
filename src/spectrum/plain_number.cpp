#include "spectrum/plain_number.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace korva {

namespace {

std::string_view SkipBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digits at the start of `text`, saturated at `limit`.
std::uint64_t LeadingDigits(std::string_view text, std::uint64_t limit) {
  std::uint64_t value = 0;
  for (const char c : text) {
    if (!IsDigit(c)) break;
    value = std::min<std::uint64_t>(value * 10 + static_cast<std::uint64_t>(c - '0'), limit);
  }
  return value;
}

// The power of ten of a decimal number's first significant digit, enough
// to tell a number too large for a double from one too small.
std::int64_t DecimalExponent(std::string_view number) {
  const std::size_t e = number.find_first_of("eE");
  std::int64_t exponent = e == std::string_view::npos ? 0 : LeadingInteger(number.substr(e + 1));
  const std::string_view mantissa = number.substr(0, e);
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  const std::size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos) return std::numeric_limits<std::int64_t>::min();
  exponent += first < point ? static_cast<std::int64_t>(point - first) - 1
                            : -static_cast<std::int64_t>(first - point);
  return exponent;
}

}  // namespace

std::int32_t LeadingInteger(std::string_view text) {
  text = SkipBlanks(text);
  const bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
  const std::uint64_t magnitude = LeadingDigits(text, kMax + 1);
  if (negative) return static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
  return static_cast<std::int32_t>(std::min(magnitude, kMax));
}

std::uint32_t LeadingUnsigned(std::string_view text) {
  text = SkipBlanks(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  return static_cast<std::uint32_t>(LeadingDigits(text, std::numeric_limits<std::uint32_t>::max()));
}

double LeadingReal(std::string_view text) {
  text = SkipBlanks(text);
  const bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  // from_chars takes no sign of its own here, so "+-1" and "--1" read as 0.
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) return 0.0;
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc::result_out_of_range) {
    const std::string_view number(text.data(), static_cast<std::size_t>(end - text.data()));
    value = DecimalExponent(number) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (error != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

std::string FixedText(double value, int width, int precision) {
  char digits[400];
  const auto [end, error] =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, precision);
  std::string text = error == std::errc() ? std::string(digits, end) : std::string();
  if (text.size() < static_cast<std::size_t>(width))
    text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
  return text;
}

}  // namespace korva
