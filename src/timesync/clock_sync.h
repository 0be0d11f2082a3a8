#pragma once

#include <string>
#include <vector>

#include "timesync/system_clock_setter.h"
#include "timesync/utc_clock.h"

namespace korva {

// Offsets of an hour or more are never applied: so large a step is more
// likely a wrong server than a wrong clock.
inline constexpr double kMaxSynchronisationSeconds = 3600.0;

// Sets the computer's clock to its current UTC time plus `offset` seconds, the
// offset a successful query measured. Returns the report lines: the outcome
// ("System time successfully synchronised", "Failed to set the system time"
// or "Can not synchronize: time difference > 1 hour") and a separator of 54
// '-'. `clockSet`, when given, tells whether the clock was set.
std::vector<std::string> SynchroniseClock(double offset, const UtcClock& clock, SystemClockSetter& setter,
                                          bool* clockSet = nullptr);

}  // namespace korva
