#include "timesync/ntp_timestamp.h"

#include <cmath>

namespace korva {
namespace {

constexpr std::uint64_t kEraSeconds = std::uint64_t{1} << 32;
constexpr std::uint32_t kEraPivot = 0x80000000u;
constexpr std::uint64_t kNegativeDifference = std::uint64_t{1} << 63;
// DaysFromCivil(1900, 1, 1): the NTP epoch counted from 1970-01-01.
constexpr std::int64_t kNtpEpochDays = -25567;
constexpr double kFractionScale = 4294967295.0;
constexpr double kTwoTo32 = 4294967296.0;

std::uint64_t Packed(NtpTimestamp t) { return (std::uint64_t{t.seconds} << 32) | t.fraction; }

NtpTimestamp Unpacked(std::uint64_t packed) {
  return NtpTimestamp{static_cast<std::uint32_t>(packed), static_cast<std::uint32_t>(packed >> 32)};
}

// Whole seconds and fraction are converted apart so that a large difference
// keeps its sub-microsecond part.
double Seconds(std::uint64_t packed) {
  const NtpTimestamp t = Unpacked(packed);
  return static_cast<double>(t.seconds) + static_cast<double>(t.fraction) / kTwoTo32;
}

// The whole and fractional parts of a non-negative offset as a 64-bit
// seconds.fraction step; whole seconds beyond one NTP era wrap like the
// seconds field itself.
std::uint64_t PackedStep(double magnitude) {
  const double whole = std::floor(magnitude);
  const auto wholeSeconds = static_cast<std::uint64_t>(std::fmod(whole, kTwoTo32));
  const auto fraction = static_cast<std::uint64_t>((magnitude - whole) * kFractionScale);
  return (wholeSeconds << 32) + fraction;
}

}  // namespace

NtpTimestamp FromCalendar(const CalendarTime& utc) {
  const std::int64_t days = DaysFromCivil(utc.year, utc.month, utc.day) - kNtpEpochDays;
  const std::int64_t seconds = ((days * 24 + utc.hour) * 60 + utc.minute) * 60 + utc.second;
  const std::uint64_t fraction = (std::uint64_t{utc.millisecond} * (std::uint64_t{1} << 32) + 500) / 1000;
  return NtpTimestamp{static_cast<std::uint32_t>(fraction), static_cast<std::uint32_t>(seconds)};
}

NtpTimestamp Now(const UtcClock& clock) { return FromCalendar(clock.Now()); }

NtpTimestamp AddSeconds(NtpTimestamp t, double seconds) {
  if (seconds >= 0) return Unpacked(Packed(t) + PackedStep(seconds));
  return Unpacked(Packed(t) - PackedStep(-seconds));
}

// Seconds below 2^31 belong to the era that begins on 2036-02-07 06:28:16,
// so stamps read as 1968-2104 rather than 1900-2036 and keep their dates
// after 2036.
CalendarTime ToCalendar(NtpTimestamp t) {
  std::uint32_t eraSeconds = t.seconds;
  auto millisecond = static_cast<std::uint32_t>(std::lround(t.fraction * 1000.0 / kFractionScale));
  if (millisecond == 1000) {
    millisecond = 0;
    ++eraSeconds;
  }
  const std::uint64_t s = eraSeconds < kEraPivot ? eraSeconds + kEraSeconds : eraSeconds;
  CalendarTime calendar =
      CivilFromDays(static_cast<std::int64_t>(s / std::uint64_t{kSecondsPerCalendarDay}) + kNtpEpochDays);
  calendar.hour = static_cast<std::uint16_t>(s / 3600 % 24);
  calendar.minute = static_cast<std::uint16_t>(s / 60 % 60);
  calendar.second = static_cast<std::uint16_t>(s % 60);
  calendar.millisecond = static_cast<std::uint16_t>(millisecond);
  return calendar;
}

// Taken modulo one era, so a difference across the era change of 2036 comes
// out right as long as a and b lie within 68 years of each other.
double Difference(NtpTimestamp a, NtpTimestamp b) {
  const std::uint64_t d = Packed(a) - Packed(b);
  if (d < kNegativeDifference) return Seconds(d);
  return -Seconds(0 - d);
}

NtpTimestamp ReadNtpTimestamp(std::span<const std::uint8_t, kNtpTimestampBytes> bytes) {
  std::uint64_t packed = 0;
  for (const std::uint8_t byte : bytes) packed = (packed << 8) | byte;
  return Unpacked(packed);
}

void WriteNtpTimestamp(NtpTimestamp t, std::span<std::uint8_t, kNtpTimestampBytes> bytes) {
  std::uint64_t packed = Packed(t);
  for (auto it = bytes.rbegin(); it != bytes.rend(); ++it) {
    *it = static_cast<std::uint8_t>(packed);
    packed >>= 8;
  }
}

}  // namespace korva
