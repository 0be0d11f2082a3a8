#include "formats/iso_time_text.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "common/format_text.h"
#include "spectrum/plain_number.h"

namespace korva {

namespace {

// Reads exactly `digits` decimal digits at `at`, moving past them.
std::optional<unsigned> Digits(std::string_view text, std::size_t& at, std::size_t digits) {
  if (text.size() - at < digits) return std::nullopt;
  unsigned value = 0;
  for (std::size_t k = 0; k < digits; ++k) {
    const char c = text[at + k];
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  at += digits;
  return value;
}

bool Expect(std::string_view text, std::size_t& at, char c) {
  if (at >= text.size() || text[at] != c) return false;
  ++at;
  return true;
}

unsigned DaysInMonth(unsigned year, unsigned month) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// The fraction after a decimal point, in milliseconds (further digits cut).
unsigned Milliseconds(std::string_view text, std::size_t& at) {
  unsigned millis = 0;
  unsigned scale = 100;
  while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
    millis += static_cast<unsigned>(text[at] - '0') * scale;
    scale /= 10;
    ++at;
  }
  return millis;
}

std::optional<int> ZoneOffset(std::string_view text, std::size_t& at) {
  if (Expect(text, at, 'Z')) return 0;
  const int sign = text[at] == '-' ? -1 : 1;
  if (text[at] != '+' && text[at] != '-') return std::nullopt;
  ++at;
  const auto hours = Digits(text, at, 2);
  if (!hours || !Expect(text, at, ':')) return std::nullopt;
  const auto minutes = Digits(text, at, 2);
  if (!minutes || *hours > 14 || *minutes > 59) return std::nullopt;
  return sign * static_cast<int>(*hours * 60 + *minutes);
}

}  // namespace

std::string IsoDateTimeText(const ZonedTime& time) {
  const CalendarTime& t = time.wall;
  std::string text = FormatText("%04u-%02u-%02uT%02u:%02u:%02u", unsigned{t.year}, unsigned{t.month},
                                unsigned{t.day}, unsigned{t.hour}, unsigned{t.minute}, unsigned{t.second});
  if (t.millisecond != 0) text += FormatText(".%03u", unsigned{t.millisecond});
  if (!time.utcOffsetMinutes) return text;
  const int offset = *time.utcOffsetMinutes;
  if (offset == 0) return text + "Z";
  const int magnitude = std::abs(offset);
  return text + FormatText("%c%02d:%02d", offset < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
}

std::optional<ZonedTime> ParseIsoDateTime(std::string_view text) {
  std::size_t at = 0;
  const auto year = Digits(text, at, 4);
  if (!year || !Expect(text, at, '-')) return std::nullopt;
  const auto month = Digits(text, at, 2);
  if (!month || !Expect(text, at, '-')) return std::nullopt;
  const auto day = Digits(text, at, 2);
  if (!day || !Expect(text, at, 'T')) return std::nullopt;
  const auto hour = Digits(text, at, 2);
  if (!hour || !Expect(text, at, ':')) return std::nullopt;
  const auto minute = Digits(text, at, 2);
  if (!minute || !Expect(text, at, ':')) return std::nullopt;
  const auto second = Digits(text, at, 2);
  if (!second) return std::nullopt;
  if (*year < 1601 || *month < 1 || *month > 12 || *day < 1 || *day > DaysInMonth(*year, *month) ||
      *hour > 23 || *minute > 59 || *second > 59) {
    return std::nullopt;
  }
  ZonedTime time;
  time.wall = CivilFromDays(DaysFromCivil(*year, *month, *day));
  time.wall.hour = static_cast<std::uint16_t>(*hour);
  time.wall.minute = static_cast<std::uint16_t>(*minute);
  time.wall.second = static_cast<std::uint16_t>(*second);
  if (Expect(text, at, '.')) time.wall.millisecond = static_cast<std::uint16_t>(Milliseconds(text, at));
  if (at < text.size()) {
    time.utcOffsetMinutes = ZoneOffset(text, at);
    if (!time.utcOffsetMinutes || at != text.size()) return std::nullopt;
  }
  return time;
}

std::string ExactSecondsText(double seconds) {
  std::string digits = FixedText(std::isfinite(seconds) && seconds > 0 ? seconds : 0.0, 0, 7);
  while (digits.back() == '0') digits.pop_back();
  if (digits.back() == '.') digits.pop_back();
  return digits;
}

std::string IsoDurationText(double seconds) { return "PT" + ExactSecondsText(seconds) + "S"; }

std::optional<double> ParseIsoDuration(std::string_view text) {
  std::size_t at = 0;
  if (!Expect(text, at, 'P') || at == text.size()) return std::nullopt;
  double total = 0.0;
  bool inTime = false;
  bool any = false;
  while (at < text.size()) {
    if (Expect(text, at, 'T')) {
      if (inTime) return std::nullopt;
      inTime = true;
      continue;
    }
    const std::size_t start = at;
    while (at < text.size() && (std::isdigit(static_cast<unsigned char>(text[at])) || text[at] == '.')) ++at;
    if (at == start || at == text.size()) return std::nullopt;
    const std::string_view number = text.substr(start, at - start);
    if (number.find('.') != number.rfind('.')) return std::nullopt;
    const double value = LeadingReal(number);
    const char unit = text[at++];
    if (!inTime && unit == 'D')
      total += value * 86400.0;
    else if (inTime && unit == 'H')
      total += value * 3600.0;
    else if (inTime && unit == 'M')
      total += value * 60.0;
    else if (inTime && unit == 'S')
      total += value;
    else
      return std::nullopt;
    any = true;
  }
  if (!any || !std::isfinite(total)) return std::nullopt;
  return total;
}

}  // namespace korva
