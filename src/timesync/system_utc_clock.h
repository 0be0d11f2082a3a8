#pragma once

#include "timesync/utc_clock.h"

namespace korva {

// The computer's real-time clock, in UTC.
class SystemUtcClock : public UtcClock {
 public:
  CalendarTime Now() const override;
};

}  // namespace korva
