#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "timesync/calendar_time.h"
#include "timesync/time_zone.h"
#include "timesync/utc_clock.h"

namespace korva {

// The clock that measurement start times follow, and the three ways the
// "Measurement Time Stamp" dialog can close.
enum class TimeReferenceKind {
  kUtc,     // the computer's UTC clock corrected by the offset from an NTP server
  kSystem,  // the computer's UTC clock as it is
  kLocal,   // the computer's clock in the time zone captured at the choice
};

// A measurement start time in the chosen reference: the calendar time and
// the same moment as 100 ns ticks since 1601-01-01 (registers 92-95). For
// LOCAL both hold local wall time; for UTC and SYSTEM, UTC.
struct StartTime {
  TimeReferenceKind reference = TimeReferenceKind::kSystem;
  CalendarTime calendar;
  std::uint64_t fileTime = 0;
};

// The time reference the main window keeps for every start stamp, TDCR
// measurement and spectrum acquisition alike. Until the first choice it is
// SYSTEM and must be chosen before the next stamp.
class TimeReferenceState {
 public:
  // A UTC choice is trusted for this long; SYSTEM and LOCAL never expire.
  static constexpr std::uint64_t kUtcChoiceLifetimeSeconds = 300;

  TimeReferenceState(const UtcClock& clock, const TimeZoneSource& zones);

  // Start-up and every connection attempt ask for a fresh choice.
  void RequireChoice() { mustChoose_ = true; }

  // Stores how the dialog closed. `lastQueryOffset` is the offset of the last
  // successful query and `ntpServer` the server it asked, as the user named
  // it; both are kept only for UTC. LOCAL captures the current time zone.
  // The choice is stamped with the current UTC time.
  void Choose(TimeReferenceKind choice, double lastQueryOffset, std::string ntpServer = {});

  // True when the dialog must be shown before the next stamp: no choice since
  // start-up or the last connection attempt, or a UTC choice more than 300 s
  // old.
  bool NeedsTimeReferenceChoice() const;

  // The current time in the chosen reference: UTC plus ClockOffset, then
  // converted to local time for LOCAL.
  StartTime StartTimeNow() const;

  bool MustChoose() const { return mustChoose_; }
  TimeReferenceKind Kind() const { return kind_; }
  bool IsUtc() const { return kind_ == TimeReferenceKind::kUtc; }
  bool IsSystem() const { return kind_ == TimeReferenceKind::kSystem; }
  double ClockOffset() const { return clockOffset_; }
  // The NTP server the UTC offset was measured against; empty for SYSTEM
  // and LOCAL.
  const std::string& NtpServer() const { return ntpServer_; }
  // "START TIME: UTC", "START TIME: SYSTEM" or "START TIME: LOCAL".
  const std::string& Label() const { return label_; }
  // UTC, 100 ns ticks since 1601-01-01.
  std::uint64_t ChosenAt() const { return chosenAt_; }
  // The zone captured with the last LOCAL choice; null for UTC and SYSTEM.
  const TimeZone* CapturedTimeZone() const { return timeZone_.get(); }

 private:
  const UtcClock& clock_;
  const TimeZoneSource& zones_;
  bool mustChoose_ = true;
  TimeReferenceKind kind_ = TimeReferenceKind::kSystem;
  double clockOffset_ = 0;
  std::string ntpServer_;
  std::unique_ptr<TimeZone> timeZone_;
  std::string label_;
  std::uint64_t chosenAt_ = 0;
};

}  // namespace korva
