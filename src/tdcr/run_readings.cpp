#include "tdcr/run_readings.h"

#include <algorithm>

#include "devicelink/device_image.h"
#include "tdcr/run_start_offset.h"
#include "tdcr/tdcr_counter_readout.h"
#include "tdcr/tdcr_settings.h"
#include "tdcr/time_base.h"

namespace korva {

namespace {

constexpr double kTicksPerSecond = 1e7;

}  // namespace

MeasurementRun ReadRun(const DeviceImage& image, int number) {
  const std::size_t index = static_cast<std::size_t>(std::clamp(number, 1, static_cast<int>(kRunCount)) - 1);
  const std::uint16_t sourceAndPolarity = image.registers[reg::kSourceAndPolarity];
  TdcrCounterReadout counters;
  counters.ShowSource(sourceAndPolarity);
  const DisplayedRun run(TdcrRunRecord::Read(image.spectrum, index));
  const double k = TimeBaseFactor(run, counters.ShownSource());
  counters.Refresh(run, k, sourceAndPolarity);
  MeasurementRun out;
  out.number = number;
  out.startOffset =
      RunStartOffset(image.spectrum, index, counters.ShownSource(), GapSecondsForOffsets(image.registers));
  out.start = RunStartTime(image.registers, out.startOffset);
  out.readings = FormatRates(ComputeRates(run, k));
  out.counters = counters.Texts();
  return out;
}

StampTime RunStartTime(const RegisterImage& registers, double startOffset) {
  const std::uint64_t start = ReadStartTime(registers);
  if (start == 0) return StampTime{};
  const auto offsetTicks = static_cast<std::uint64_t>(startOffset * kTicksPerSecond);
  return StampTimeFromFileTime(start + offsetTicks);
}

}  // namespace korva
