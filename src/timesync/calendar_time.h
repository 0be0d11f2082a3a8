#pragma once

#include <cstdint>

namespace korva {

inline constexpr std::int64_t kSecondsPerCalendarDay = 86400;

// A calendar moment with milliseconds, in the layout the instrument's users
// know: every field an unsigned 16-bit value, month 1-12, day of week
// 0 = Sunday. Whether it is UTC or local wall time is the holder's business.
struct CalendarTime {
  std::uint16_t year = 1601;
  std::uint16_t month = 1;
  std::uint16_t dayOfWeek = 1;
  std::uint16_t day = 1;
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;
  std::uint16_t millisecond = 0;

  // Compares the moment only; the day of week follows from the date.
  friend bool operator==(const CalendarTime& a, const CalendarTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second && a.millisecond == b.millisecond;
  }
};

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar
// (negative before 1970).
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day);

// The date `days` after 1970-01-01, with its day of week; time fields are 0.
CalendarTime CivilFromDays(std::int64_t days);

// 100 ns ticks since 1601-01-01 00:00:00, the 64-bit time the instrument keeps
// in registers 92-95. The calendar must not lie before 1601.
std::uint64_t ToFileTime(const CalendarTime& calendar);
CalendarTime CalendarFromFileTime(std::uint64_t fileTime);

inline constexpr std::uint64_t kFileTimeTicksPerSecond = 10'000'000;
// 1970-01-01 00:00:00 as a file time.
inline constexpr std::uint64_t kUnixEpochFileTime = 116'444'736'000'000'000;

}  // namespace korva
