#include "timesync/system_utc_clock.h"

#include <time.h>

namespace korva {
CalendarTime SystemUtcClock::Now() const {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const std::uint64_t ticks = static_cast<std::uint64_t>(now.tv_sec) * kFileTimeTicksPerSecond +
                              static_cast<std::uint64_t>(now.tv_nsec) / 100;
  return CalendarFromFileTime(kUnixEpochFileTime + ticks);
}

}  // namespace korva
