#pragma once

#include "timesync/calendar_time.h"

namespace korva {

// Sets the computer's clock. The real one needs the right to set the system
// time; tests record what they are asked to set and never touch the clock.
class SystemClockSetter {
 public:
  virtual ~SystemClockSetter() = default;
  // Sets the system clock to the UTC calendar time; false when refused.
  virtual bool SetUtc(const CalendarTime& utc) = 0;
};

}  // namespace korva
