#include "timesync/calendar_time.h"

namespace korva {
namespace {

constexpr std::int64_t kTicksPerMillisecond = 10'000;
// DaysFromCivil(1601, 1, 1): the FILETIME epoch counted from 1970-01-01.
constexpr std::int64_t kFileTimeEpochDays = -134774;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return (a >= 0 ? a : a - (b - 1)) / b; }

}  // namespace

// The usual era-based conversion: 400-year eras of 146097 days that start on
// 1 March, so the leap day is the last day of an era year.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  const std::int64_t y = month <= 2 ? year - 1 : year;
  const std::int64_t era = FloorDiv(y, 400);
  const std::int64_t yearOfEra = y - era * 400;
  const std::int64_t monthFromMarch = month > 2 ? month - 3 : month + 9;
  const std::int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

CalendarTime CivilFromDays(std::int64_t days) {
  const std::int64_t z = days + 719468;
  const std::int64_t era = FloorDiv(z, 146097);
  const std::int64_t dayOfEra = z - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
  const std::int64_t day = dayOfYear - (153 * monthFromMarch + 2) / 5 + 1;
  const std::int64_t month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
  const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);

  CalendarTime calendar;
  calendar.year = static_cast<std::uint16_t>(year);
  calendar.month = static_cast<std::uint16_t>(month);
  calendar.day = static_cast<std::uint16_t>(day);
  // 1970-01-01 was a Thursday (4).
  calendar.dayOfWeek = static_cast<std::uint16_t>(((days % 7) + 11) % 7);
  return calendar;
}

std::uint64_t ToFileTime(const CalendarTime& calendar) {
  const std::int64_t days = DaysFromCivil(calendar.year, calendar.month, calendar.day) - kFileTimeEpochDays;
  const std::int64_t seconds = days * kSecondsPerCalendarDay + std::int64_t{calendar.hour} * 3600 +
                               std::int64_t{calendar.minute} * 60 + calendar.second;
  return static_cast<std::uint64_t>(seconds) * kFileTimeTicksPerSecond +
         static_cast<std::uint64_t>(calendar.millisecond) * kTicksPerMillisecond;
}

CalendarTime CalendarFromFileTime(std::uint64_t fileTime) {
  const std::uint64_t totalSeconds = fileTime / kFileTimeTicksPerSecond;
  const auto days = static_cast<std::int64_t>(totalSeconds / kSecondsPerCalendarDay);
  const std::uint64_t secondOfDay = totalSeconds % kSecondsPerCalendarDay;

  CalendarTime calendar = CivilFromDays(days + kFileTimeEpochDays);
  calendar.hour = static_cast<std::uint16_t>(secondOfDay / 3600);
  calendar.minute = static_cast<std::uint16_t>(secondOfDay / 60 % 60);
  calendar.second = static_cast<std::uint16_t>(secondOfDay % 60);
  calendar.millisecond = static_cast<std::uint16_t>(fileTime % kFileTimeTicksPerSecond /
                                                    static_cast<std::uint64_t>(kTicksPerMillisecond));
  return calendar;
}

}  // namespace korva
