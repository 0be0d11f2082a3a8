#include "timesync/realtime_clock_setter.h"

#include <time.h>

namespace korva {
bool RealtimeClockSetter::SetUtc(const CalendarTime& utc) {
  const std::uint64_t fileTime = ToFileTime(utc);
  if (fileTime < kUnixEpochFileTime) return false;
  const std::uint64_t ticks = fileTime - kUnixEpochFileTime;
  timespec target{};
  target.tv_sec = static_cast<time_t>(ticks / kFileTimeTicksPerSecond);
  target.tv_nsec = static_cast<long>(ticks % kFileTimeTicksPerSecond * 100);
  return clock_settime(CLOCK_REALTIME, &target) == 0;
}

}  // namespace korva
