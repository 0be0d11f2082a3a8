#include "timesync/clock_sync.h"

#include <cmath>

#include "timesync/ntp_timestamp.h"

namespace korva {
namespace {

std::string SetClock(double offset, const UtcClock& clock, SystemClockSetter& setter, bool& clockSet) {
  clockSet = false;
  if (!(std::fabs(offset) < kMaxSynchronisationSeconds))
    return "Can not synchronize: time difference > 1 hour";
  const CalendarTime newTime = ToCalendar(AddSeconds(Now(clock), offset));
  if (!setter.SetUtc(newTime)) return "Failed to set the system time";
  clockSet = true;
  return "System time successfully synchronised";
}

}  // namespace

std::vector<std::string> SynchroniseClock(double offset, const UtcClock& clock, SystemClockSetter& setter,
                                          bool* clockSet) {
  bool set = false;
  std::vector<std::string> lines = {SetClock(offset, clock, setter, set), std::string(54, '-')};
  if (clockSet != nullptr) *clockSet = set;
  return lines;
}

}  // namespace korva
