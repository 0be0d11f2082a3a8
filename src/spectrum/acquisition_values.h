#pragma once

#include <string>

namespace korva {

// What the acquisition view shows of the spectrum's run and the spectrum
// files write beside the counts.
struct AcquisitionValues {
  double realTime = 0.0;     // seconds
  double liveTime = 0.0;     // seconds
  double deadPercent = 0.0;  // dead time in percent of the real time
  // "dd/mm/yyyy  hh:mm:ss", or "WAITING FOR START" before a start.
  std::string startDateTime;
  // "START TIME: UTC", "START TIME: SYSTEM" or "START TIME: LOCAL".
  std::string startTimeLabel = "START TIME";
};

}  // namespace korva
