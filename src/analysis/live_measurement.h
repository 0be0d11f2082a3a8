#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "tdcr/measurement_tdc_reader.h"

namespace korva {

class DeviceImage;
class TdcrMeasurement;

// The measurement the instrument image holds, exactly as its .tdc file
// would give it back: the snapshot the file saver takes goes through the
// .tdc writer and the .tdc reader, so the analysis of a live measurement and
// of its saved file see the same numbers. The tag is left empty. Walking the
// runs shows each in the TDCR views in turn; the user's VIEW RUN selection
// is shown again afterwards.
TdcReadResult ReadLiveMeasurement(const TdcrMeasurement& tdcr, const DeviceImage& image);

// Tells when a live analysis is out of date: the number of completed runs
// changed, or a completed run's record in the data memory did. (The end of
// a run shows in a register read, and its final record may arrive a chunk
// later; the count alone would leave the last run analysed from a record
// still being written.)
class CompletedRunsWatch {
 public:
  // True when `completedRuns` or the records of runs 1..completedRuns in
  // `memory` differ from the last call; the first call is always a change.
  bool Changed(int completedRuns, std::span<const std::uint32_t> memory);

 private:
  bool seen_ = false;
  int completedRuns_ = 0;
  std::vector<std::uint32_t> records_;
};

}  // namespace korva
