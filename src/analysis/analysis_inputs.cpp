#include "analysis/analysis_inputs.h"

#include <charconv>
#include <chrono>
#include <cstdio>

namespace korva {

namespace {

// A field of exactly `digits` decimal digits at `at`.
std::optional<int> Digits(std::string_view text, std::size_t at, std::size_t digits) {
  if (at + digits > text.size()) return std::nullopt;
  int value = 0;
  const char* first = text.data() + at;
  const auto [end, error] = std::from_chars(first, first + digits, value);
  if (error != std::errc() || end != first + digits || *first == '-' || *first == '+') return std::nullopt;
  return value;
}

bool Punctuated(std::string_view text) {
  return text[4] == '-' && text[7] == '-' && text[10] == 'T' && text[13] == ':' && text[16] == ':';
}

bool Exists(const StampTime& t) {
  const std::chrono::year_month_day date{std::chrono::year{t.year},
                                         std::chrono::month{static_cast<unsigned>(t.month)},
                                         std::chrono::day{static_cast<unsigned>(t.day)}};
  return date.ok() && t.year >= 1601 && t.hour < 24 && t.minute < 60 && t.second < 60;
}

}  // namespace

std::optional<StampTime> ParseReferenceTime(std::string_view text) {
  constexpr std::size_t kSeconds = 19;
  if ((text.size() != kSeconds && text.size() != kSeconds + 4) || !Punctuated(text)) return std::nullopt;
  const auto year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
  const auto hour = Digits(text, 11, 2), minute = Digits(text, 14, 2), second = Digits(text, 17, 2);
  if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
  StampTime time{*year, *month, *day, *hour, *minute, *second, 0};
  if (text.size() > kSeconds) {
    const auto millisecond = Digits(text, kSeconds + 1, 3);
    if (text[kSeconds] != '.' || !millisecond) return std::nullopt;
    time.millisecond = *millisecond;
  }
  if (!Exists(time)) return std::nullopt;
  return time;
}

std::string FormatReferenceTime(const StampTime& time) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", time.year, time.month, time.day,
                time.hour, time.minute, time.second, time.millisecond);
  return text;
}

}  // namespace korva
