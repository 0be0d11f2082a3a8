#include "analysis/live_measurement.h"

#include <algorithm>

#include "devicelink/device_image.h"
#include "tdcr/measurement_files.h"
#include "tdcr/measurement_snapshot.h"
#include "tdcr/tdcr_measurement.h"
#include "tdcr/tdcr_run_record.h"

namespace korva {

TdcReadResult ReadLiveMeasurement(const TdcrMeasurement& tdcr, const DeviceImage& image) {
  MeasurementSnapshot snapshot{ReadMeasurementSettings(tdcr, image), {}};
  snapshot.runs = ReadMeasurementRuns(tdcr, image);
  return ReadTdcText(TdcFileText(snapshot));
}

bool CompletedRunsWatch::Changed(int completedRuns, std::span<const std::uint32_t> memory) {
  const std::size_t runs =
      std::clamp<std::size_t>(static_cast<std::size_t>(std::max(completedRuns, 0)), 0, kRunCount);
  const std::size_t first = std::min(kFirstRunRecordEntry, memory.size());
  const std::span<const std::uint32_t> records =
      memory.subspan(first, std::min(runs * kRunRecordEntries, memory.size() - first));
  const bool changed = !seen_ || completedRuns != completedRuns_ || !std::ranges::equal(records, records_);
  seen_ = true;
  completedRuns_ = completedRuns;
  if (changed) records_.assign(records.begin(), records.end());
  return changed;
}

}  // namespace korva
