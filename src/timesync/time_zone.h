#pragma once

#include <memory>
#include <string>

#include "timesync/calendar_time.h"

namespace korva {

// A time zone with its rules, captured at one moment: converting with it
// later gives the same answers even when the computer's zone has changed.
class TimeZone {
 public:
  virtual ~TimeZone() = default;
  // The local wall time of a UTC moment, daylight saving included.
  virtual CalendarTime ToLocal(const CalendarTime& utc) const = 0;
  // The zone's name as the operating system gives it, e.g. "Europe/Vienna".
  virtual std::string Description() const = 0;
};

// Where the computer's current time zone comes from.
class TimeZoneSource {
 public:
  virtual ~TimeZoneSource() = default;
  // Never null.
  virtual std::unique_ptr<TimeZone> CaptureCurrent() const = 0;
};

}  // namespace korva
