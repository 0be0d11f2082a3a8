#pragma once

#include <QTimeZone>

#include "timesync/time_zone.h"

namespace korva {

// A zone from the system's time-zone database, rules included.
class QtTimeZone : public TimeZone {
 public:
  explicit QtTimeZone(const QTimeZone& zone);
  CalendarTime ToLocal(const CalendarTime& utc) const override;
  std::string Description() const override;

 private:
  QTimeZone zone_;
};

// The computer's time zone at the moment of capture.
class SystemTimeZoneSource : public TimeZoneSource {
 public:
  std::unique_ptr<TimeZone> CaptureCurrent() const override;
};

}  // namespace korva
