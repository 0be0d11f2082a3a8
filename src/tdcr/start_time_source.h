#pragma once

#include <cstdint>

#include "tdcr/filetime.h"

namespace korva {

// The clock a measurement start time follows.
enum class StartReference {
  kUtc,     // the computer's UTC clock corrected by the offset measured from an NTP server
  kSystem,  // the computer's UTC clock as it is
  kLocal,   // the computer's clock in the time zone captured when LOCAL was chosen
};

// One start time stamp: the calendar time and the same moment as the
// FILETIME that START writes into registers 92-95.
struct StartStamp {
  StartReference reference = StartReference::kSystem;
  StampTime calendar;
  std::uint64_t fileTime = 0;
};

// Builds a stamp whose FILETIME is taken from the calendar time, so the two
// can never disagree.
inline StartStamp MakeStartStamp(StartReference reference, const StampTime& calendar) {
  return StartStamp{reference, calendar, FileTimeFromStampTime(calendar)};
}

// Where START takes its stamp from: the measurement time reference the main
// window keeps for TDCR measurements and spectrum acquisitions alike.
class StartTimeSource {
 public:
  virtual ~StartTimeSource() = default;
  // The time stamp dialog has to run before the next stamp: nothing was
  // chosen since start-up or the last connection attempt, or a UTC choice
  // is more than 300 s old.
  virtual bool NeedsChoice() const = 0;
  // Runs the time stamp dialog and keeps the reference the user chose; when
  // the user closes it without a choice, NeedsChoice still holds.
  virtual void ChooseReference() = 0;
  // The current time in the chosen reference: UTC plus the clock offset for
  // UTC, UTC for SYSTEM, local wall time for LOCAL.
  virtual StartStamp TakeStartTime() = 0;
};

}  // namespace korva
