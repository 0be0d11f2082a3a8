#include "spectrum/acquisition_start_stamp.h"

#include <algorithm>

#include "common/format_text.h"
#include "devicelink/register_map.h"

namespace korva {

namespace {

constexpr int kFirstYear = 2000;
constexpr int kLastYear = 2127;
constexpr std::uint16_t kFirstStartedDate = 512;
constexpr std::chrono::milliseconds kLongestWait{3000};
constexpr std::chrono::milliseconds kShortestSleep{1};

// Milliseconds from `reading` to the start of the next even second that is
// not the first reading's second.
std::chrono::milliseconds TimeToStampSecond(const CalendarTime& reading) {
  const int toNextSecond = 1000 - std::min<int>(reading.millisecond, 999);
  return std::chrono::milliseconds(reading.second % 2 == 0 ? toNextSecond + 1000 : toNextSecond);
}

}  // namespace

std::uint16_t StartDateRegister(const CalendarTime& time) {
  const int years = std::clamp<int>(time.year, kFirstYear, kLastYear) - kFirstYear;
  return static_cast<std::uint16_t>(time.day + 32 * time.month + 512 * years);
}

std::uint16_t StartTimeRegister(const CalendarTime& time) {
  return static_cast<std::uint16_t>(time.second / 2 + 32 * time.minute + 2048 * time.hour);
}

bool HasStartStamp(const RegisterImage& registers) { return registers[reg::kStartDate] >= kFirstStartedDate; }

std::optional<CalendarTime> StartStampCalendar(const RegisterImage& registers) {
  const unsigned date = registers[reg::kStartDate];
  const unsigned time = registers[reg::kStartTime];
  const unsigned day = date % 32;
  const unsigned month = (date / 32) % 16;
  if (!HasStartStamp(registers) || day == 0 || month == 0 || month > 12) return std::nullopt;
  if (time / 2048 > 23 || (time / 32) % 64 > 59) return std::nullopt;
  CalendarTime calendar = CivilFromDays(DaysFromCivil(date / 512 + kFirstYear, month, day));
  if (calendar.day != day) return std::nullopt;
  calendar.hour = static_cast<std::uint16_t>(time / 2048);
  calendar.minute = static_cast<std::uint16_t>((time / 32) % 64);
  calendar.second = static_cast<std::uint16_t>((time % 32) * 2);
  return calendar;
}

std::string StartStampText(const CalendarTime& start) {
  return FormatText("%02u/%02u/%04u  %02u:%02u:%02u", unsigned{start.day}, unsigned{start.month},
                    unsigned{start.year}, unsigned{start.hour}, unsigned{start.minute},
                    unsigned{start.second});
}

std::string StartStampText(const RegisterImage& registers) {
  const unsigned date = registers[reg::kStartDate];
  const unsigned time = registers[reg::kStartTime];
  if (!HasStartStamp(registers)) return kWaitingForStartText;
  return FormatText("%02u/%02u/%04u  %02u:%02u:%02u", date % 32, (date / 32) % 16, date / 512 + kFirstYear,
                    time / 2048, (time / 32) % 64, (time % 32) * 2);
}

std::string StartReferenceLabel(std::uint16_t control) {
  if (control & reg::control::kUtcStart) return "START TIME: UTC";
  if (control & reg::control::kSystemStart) return "START TIME: SYSTEM";
  return "START TIME: LOCAL";
}

std::uint16_t WithStartReference(std::uint16_t control, TimeReferenceKind reference) {
  unsigned value = control & ~unsigned{reg::control::kUtcStart | reg::control::kSystemStart};
  if (reference == TimeReferenceKind::kUtc) value |= reg::control::kUtcStart;
  if (reference == TimeReferenceKind::kSystem) value |= reg::control::kSystemStart;
  return static_cast<std::uint16_t>(value);
}

bool IsStampSecond(const CalendarTime& first, const CalendarTime& reading) {
  return reading.second != first.second && reading.second % 2 == 0;
}

StartTime AwaitStampSecond(const std::function<StartTime()>& read,
                           const std::function<void(std::chrono::milliseconds)>& sleep) {
  const StartTime first = read();
  std::chrono::milliseconds slept{0};
  for (;;) {
    const StartTime reading = read();
    if (IsStampSecond(first.calendar, reading.calendar) || slept >= kLongestWait) return reading;
    const auto wait = std::clamp(TimeToStampSecond(reading.calendar), kShortestSleep, kLongestWait - slept);
    sleep(wait);
    slept += wait;
  }
}

}  // namespace korva
