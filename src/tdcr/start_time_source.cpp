#include "tdcr/start_time_source.h"

namespace korva {

StartStamp MakeStartStamp(StartReference reference, const StampTime& calendar) {
  return StartStamp{reference, calendar, FileTimeFromStampTime(calendar)};
}

}  // namespace korva
