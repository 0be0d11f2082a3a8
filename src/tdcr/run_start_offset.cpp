#include "tdcr/run_start_offset.h"

#include "tdcr/tdcr_rates.h"
#include "tdcr/tdcr_run_record.h"
#include "tdcr/tdcr_settings.h"
#include "tdcr/time_base.h"

namespace korva {

namespace {

constexpr double kZeroGapSeconds = 0.0001;

}  // namespace

double GapSecondsForOffsets(const std::array<std::uint16_t, 128>& registers) {
  const double stored = PresetSeconds(registers, reg::kGapTimeLow);
  return stored == 0 ? kZeroGapSeconds : stored;
}

double RunStartOffset(std::span<const std::uint32_t> memory, std::size_t runIndex, int source,
                      double gapSeconds) {
  double offset = 0;
  for (std::size_t earlier = 0; earlier < runIndex && earlier < kRunCount; ++earlier) {
    const DisplayedRun run(TdcrRunRecord::Read(memory, earlier));
    const double k = TimeBaseFactor(run, source);
    offset += gapSeconds * k * 1000 + ComputeRates(run, k).realTime;
  }
  return offset;
}

}  // namespace korva
