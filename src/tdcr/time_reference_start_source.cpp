#include "tdcr/time_reference_start_source.h"

namespace korva {

namespace {

StartReference ToStartReference(TimeReferenceKind kind) {
  switch (kind) {
    case TimeReferenceKind::kUtc:
      return StartReference::kUtc;
    case TimeReferenceKind::kLocal:
      return StartReference::kLocal;
    case TimeReferenceKind::kSystem:
      break;
  }
  return StartReference::kSystem;
}

}  // namespace

StartStamp ToStartStamp(const StartTime& time) {
  const CalendarTime& c = time.calendar;
  const StampTime calendar{c.year, c.month, c.day, c.hour, c.minute, c.second, c.millisecond};
  return StartStamp{ToStartReference(time.reference), calendar, time.fileTime};
}

StartStamp TimeReferenceStartSource::TakeStartTime() { return ToStartStamp(reference_.StartTimeNow()); }

}  // namespace korva
