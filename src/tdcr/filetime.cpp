#include "tdcr/filetime.h"

#include <cstdio>

#include "timesync/calendar_time.h"

namespace korva {

std::uint64_t FileTimeFromStampTime(const StampTime& time) {
  CalendarTime calendar;
  calendar.year = static_cast<std::uint16_t>(time.year);
  calendar.month = static_cast<std::uint16_t>(time.month);
  calendar.day = static_cast<std::uint16_t>(time.day);
  calendar.hour = static_cast<std::uint16_t>(time.hour);
  calendar.minute = static_cast<std::uint16_t>(time.minute);
  calendar.second = static_cast<std::uint16_t>(time.second);
  calendar.millisecond = static_cast<std::uint16_t>(time.millisecond);
  return ToFileTime(calendar);
}

StampTime StampTimeFromFileTime(std::uint64_t fileTime) {
  const CalendarTime c = CalendarFromFileTime(fileTime);
  return StampTime{c.year, c.month, c.day, c.hour, c.minute, c.second, c.millisecond};
}

bool IsStampedStart(const StampTime& time) { return time != StampTime{}; }

std::string FormatStartTime(const StampTime& time) {
  char text[64];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d  %02d:%02d:%02d.%02d", time.day, time.month, time.year,
                time.hour, time.minute, time.second, time.millisecond / 10);
  return text;
}

std::string StartTimeText(std::uint64_t fileTime) {
  if (fileTime == 0) return kNoStartText;
  return FormatStartTime(StampTimeFromFileTime(fileTime));
}

}  // namespace korva
