#pragma once

#include "timesync/calendar_time.h"

namespace korva {

// The computer's UTC clock, read to the millisecond. The real one reads the
// system clock; tests hand in a clock they move by hand.
class UtcClock {
 public:
  virtual ~UtcClock() = default;
  virtual CalendarTime Now() const = 0;
};

}  // namespace korva
