#pragma once

#include "timesync/system_clock_setter.h"

namespace korva {

// Sets CLOCK_REALTIME. It needs CAP_SYS_TIME; without it the clock is left
// alone and SetUtc reports the refusal.
class RealtimeClockSetter : public SystemClockSetter {
 public:
  bool SetUtc(const CalendarTime& utc) override;
};

}  // namespace korva
