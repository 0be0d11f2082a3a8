#pragma once

#include <functional>

#include "tdcr/start_time_source.h"
#include "timesync/time_reference.h"

namespace korva {

// START's stamps taken from the measurement time reference the program
// keeps. How a new reference is chosen is the host's: the main window runs
// the "Measurement Time Stamp" dialog, the headless tool applies its options.
class TimeReferenceStartSource : public StartTimeSource {
 public:
  TimeReferenceStartSource(TimeReferenceState& reference, std::function<void()> choose)
      : reference_(reference), choose_(std::move(choose)) {}

  bool NeedsChoice() const override { return reference_.NeedsTimeReferenceChoice(); }
  void ChooseReference() override { choose_(); }
  StartStamp TakeStartTime() override;

 private:
  TimeReferenceState& reference_;
  std::function<void()> choose_;
};

// The same moment as a TDCR start stamp.
StartStamp ToStartStamp(const StartTime& time);

}  // namespace korva
