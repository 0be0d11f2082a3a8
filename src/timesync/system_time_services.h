#pragma once

#include "timesync/realtime_clock_setter.h"
#include "timesync/sntp_client.h"
#include "timesync/system_time_zone.h"
#include "timesync/system_utc_clock.h"
#include "timesync/time_stamp_session.h"
#include "timesync/udp_exchange.h"

namespace korva {

// The computer's clock, time zone, clock setter and a UDP socket, with the
// SNTP client over them: what the main window owns for the time reference
// and the time-stamp dialog.
class SystemTimeServices {
 public:
  SystemTimeServices() = default;
  SystemTimeServices(const SystemTimeServices&) = delete;
  SystemTimeServices& operator=(const SystemTimeServices&) = delete;

  const UtcClock& Clock() const { return clock_; }
  const TimeZoneSource& Zones() const { return zones_; }
  TimeStampTools Tools() { return TimeStampTools{sntp_, clock_, clockSetter_}; }

 private:
  SystemUtcClock clock_;
  SystemTimeZoneSource zones_;
  RealtimeClockSetter clockSetter_;
  UdpExchange udp_;
  CSNTPClient sntp_{udp_, clock_};
};

}  // namespace korva
