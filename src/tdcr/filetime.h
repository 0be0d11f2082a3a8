#pragma once

#include <cstdint>
#include <string>

namespace korva {

// A measurement start time as the TDCR views and files show it: calendar
// fields with milliseconds, in the reference it was stamped with (UTC, or
// local wall time for the LOCAL reference).
struct StampTime {
  int year = 1601;
  int month = 1;  // 1-12
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;

  friend bool operator==(const StampTime&, const StampTime&) = default;
};

// The instrument keeps the start time in registers 92-95 as a FILETIME:
// 100 ns ticks since 1601-01-01 00:00:00. Both conversions are exact for
// stamps up to the year 30827; ticks finer than a millisecond are dropped
// when converting to calendar fields.
std::uint64_t FileTimeFromStampTime(const StampTime& time);
StampTime StampTimeFromFileTime(std::uint64_t fileTime);

// What a start time that was never stamped shows, in views and files.
inline constexpr const char* kNoStartText = "-";
// Whether `time` is a stamped start: the FILETIME origin, 1601-01-01
// 00:00:00.000, is the zero a fresh instrument holds, not a start.
bool IsStampedStart(const StampTime& time);

// The start time as the TDCR view shows it: "DD/MM/YYYY  HH:MM:SS.CC" with
// hundredths of a second (milliseconds / 10).
std::string FormatStartTime(const StampTime& time);
// A start time held as a FILETIME: kNoStartText for zero, which is the clock's
// origin in 1601 and means no start was ever stamped, else FormatStartTime.
std::string StartTimeText(std::uint64_t fileTime);

}  // namespace korva
