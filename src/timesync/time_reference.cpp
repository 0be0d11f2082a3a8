#include "timesync/time_reference.h"

#include <utility>

#include "timesync/ntp_timestamp.h"

namespace korva {
namespace {

std::string LabelOf(TimeReferenceKind kind) {
  switch (kind) {
    case TimeReferenceKind::kUtc:
      return "START TIME: UTC";
    case TimeReferenceKind::kLocal:
      return "START TIME: LOCAL";
    case TimeReferenceKind::kSystem:
      break;
  }
  return "START TIME: SYSTEM";
}

}  // namespace

TimeReferenceState::TimeReferenceState(const UtcClock& clock, const TimeZoneSource& zones)
    : clock_(clock), zones_(zones), label_(LabelOf(kind_)) {}

void TimeReferenceState::Choose(TimeReferenceKind choice, double lastQueryOffset, std::string ntpServer) {
  kind_ = choice;
  const bool utc = choice == TimeReferenceKind::kUtc;
  clockOffset_ = utc ? lastQueryOffset : 0.0;
  ntpServer_ = utc ? std::move(ntpServer) : std::string();
  timeZone_ = choice == TimeReferenceKind::kLocal ? zones_.CaptureCurrent() : nullptr;
  label_ = LabelOf(choice);
  chosenAt_ = ToFileTime(clock_.Now());
  mustChoose_ = false;
}

bool TimeReferenceState::NeedsTimeReferenceChoice() const {
  if (mustChoose_) return true;
  if (!IsUtc()) return false;
  const std::uint64_t lifetime = kUtcChoiceLifetimeSeconds * kFileTimeTicksPerSecond;
  const std::uint64_t now = ToFileTime(clock_.Now());
  return now > chosenAt_ + lifetime;
}

StartTime TimeReferenceState::StartTimeNow() const {
  StartTime start;
  start.reference = kind_;
  start.calendar = ToCalendar(AddSeconds(Now(clock_), clockOffset_));
  // Only a LOCAL choice holds a zone.
  if (timeZone_) start.calendar = timeZone_->ToLocal(start.calendar);
  start.fileTime = ToFileTime(start.calendar);
  return start;
}

}  // namespace korva
