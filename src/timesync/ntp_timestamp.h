#pragma once

#include <cstdint>
#include <span>

#include "timesync/calendar_time.h"
#include "timesync/utc_clock.h"

namespace korva {

// Seconds since 1900-01-01 00:00:00 UTC (wrapping every 2^32 s) and a binary
// fraction of a second in units of 2^-32 s. The fraction comes first in
// memory; on the wire both are big-endian, seconds first.
struct NtpTimestamp {
  std::uint32_t fraction = 0;
  std::uint32_t seconds = 0;

  friend bool operator==(const NtpTimestamp&, const NtpTimestamp&) = default;
};

inline constexpr std::size_t kNtpTimestampBytes = 8;

// A UTC calendar time as an NtpTimestamp; the millisecond becomes the
// fraction round(ms * 2^32 / 1000), so .500 is exactly 2^31.
NtpTimestamp FromCalendar(const CalendarTime& utc);

// The clock's current UTC time.
NtpTimestamp Now(const UtcClock& clock);

// `t` moved by a signed number of seconds. The fractional part of the offset
// is scaled by 4294967295 and truncated, carrying into or borrowing from the
// seconds.
NtpTimestamp AddSeconds(NtpTimestamp t, double seconds);

// The UTC calendar time of `t` with a valid millisecond: a fraction that
// rounds to 1000 ms carries into the next second. Timestamps cover
// 1968-01-20 to 2104-02-26: seconds below 2^31 are read as the era after
// 2036-02-07.
CalendarTime ToCalendar(NtpTimestamp t);

// a - b in seconds, for timestamps less than 68 years apart (also across
// the era change of 2036).
double Difference(NtpTimestamp a, NtpTimestamp b);

NtpTimestamp ReadNtpTimestamp(std::span<const std::uint8_t, kNtpTimestampBytes> bytes);
void WriteNtpTimestamp(NtpTimestamp t, std::span<std::uint8_t, kNtpTimestampBytes> bytes);

}  // namespace korva
