#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "timesync/sntp_client.h"
#include "timesync/system_clock_setter.h"
#include "timesync/utc_clock.h"

namespace korva {

// What the time-stamp dialog works through.
struct TimeStampTools {
  CSNTPClient& sntp;
  const UtcClock& clock;
  SystemClockSetter& clockSetter;
};

// The work behind the buttons of the "Measurement Time Stamp" dialog, one
// session per showing of the dialog. Each action returns the lines the
// dialog appends to its report.
class TimeStampSession {
 public:
  explicit TimeStampSession(const TimeStampTools& tools);

  // "Get UTC": queries `server` and reports the four timestamps, the delay
  // and the offset, or the failure; then a separator of 76 '-'.
  std::vector<std::string> GetUtc(std::string_view server);

  // "Synchonize SYSTEM/LOCAL with NTP": sets the clock by the offset of the
  // last query. Does nothing unless that query succeeded. Once the clock is
  // set the kept offset is 0: the clock itself is then the reference.
  std::vector<std::string> Synchronise();

  // The last query succeeded: "Use UTC" and the synchronisation are allowed.
  bool QueryGood() const { return queryGood_; }
  // The offset of the last successful query, seconds.
  double LastOffset() const { return lastResult_.offset; }
  // The server of the last successful query, as it was given.
  const std::string& LastServer() const { return lastServer_; }

 private:
  TimeStampTools tools_;
  SntpResult lastResult_;
  std::string lastServer_;
  bool queryGood_ = false;
};

}  // namespace korva
