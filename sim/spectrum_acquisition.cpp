#include "sim/spectrum_acquisition.h"

#include <algorithm>
#include <cmath>

namespace korva::sim {

namespace {

constexpr std::chrono::microseconds kTimeUnit{10000};
constexpr std::uint16_t kAcquireLowerHalf = 1u << 15;

std::uint32_t TimeUnits(std::chrono::microseconds time) {
  return static_cast<std::uint32_t>(time / kTimeUnit);
}

// The analyser is dead for a fixed fraction of the real time at the source's rate.
std::chrono::microseconds LiveTime(std::chrono::microseconds realTime) {
  return std::chrono::duration_cast<std::chrono::microseconds>(realTime *
                                                               (1.0 - PulseHeightSource::DeadFraction()));
}

}  // namespace

SpectrumAcquisition::SpectrumAcquisition(std::uint32_t seed) : random_(seed) {}

void SpectrumAcquisition::OnRegistersWritten(InstrumentMemory& memory, RegisterRange written) {
  if (written.Covers(reg::kControl) && memory.registers.Test(reg::kControl, control_bit::kEraseRequest)) {
    Erase(memory);
  }
}

void SpectrumAcquisition::Advance(InstrumentMemory& memory, std::chrono::microseconds elapsed) {
  if (!memory.registers.Test(reg::kControl, control_bit::kRun)) return;
  realTime_ += elapsed;
  CountEvents(memory, elapsed);
  PublishTimes(memory);
  StopAtPreset(memory);
}

void SpectrumAcquisition::Erase(InstrumentMemory& memory) {
  std::fill_n(memory.data.begin(), kSpectrumAreaEntries, 0u);
  realTime_ = std::chrono::microseconds{0};
  PublishTimes(memory);
  memory.registers.ClearBits(reg::kControl, control_bit::kEraseRequest | control_bit::kEraseArmed);
  memory.registers.SetBits(reg::kControl, control_bit::kEraseDone);
}

void SpectrumAcquisition::CountEvents(InstrumentMemory& memory, std::chrono::microseconds elapsed) {
  const std::size_t base =
      memory.registers.Test(reg::kAmplifierInput, kAcquireLowerHalf) ? 0 : kSpectrumHalfEntries;
  const double liveSeconds = std::chrono::duration<double>(LiveTime(elapsed)).count();
  if (liveSeconds <= 0.0) return;
  std::poisson_distribution<std::uint32_t> events(PulseHeightSource::kEventRate * liveSeconds);
  for (std::uint32_t n = events(random_); n > 0; --n) {
    ++memory.data[base + source_.SampleChannel(random_)];
  }
}

// The model keeps time in whole 10 ms units, so the fine registers stay 0.
void SpectrumAcquisition::PublishTimes(InstrumentMemory& memory) const {
  memory.registers.Set32(reg::kRealTimeLow, TimeUnits(realTime_));
  memory.registers.Set32(reg::kLiveTimeLow, TimeUnits(LiveTime(realTime_)));
  memory.registers.Set(reg::kRealTimeFine, 0);
  memory.registers.Set(reg::kLiveTimeFine, 0);
}

void SpectrumAcquisition::StopAtPreset(InstrumentMemory& memory) const {
  const std::uint32_t preset = memory.registers.Get32(reg::kPresetTimeLow);
  const bool liveTimer = memory.registers.Test(reg::kControl, control_bit::kLiveTimer);
  const std::uint32_t elapsed = TimeUnits(liveTimer ? LiveTime(realTime_) : realTime_);
  if (preset != 0 && elapsed >= preset) {
    memory.registers.ClearBits(reg::kControl, control_bit::kRun | control_bit::kRunCompanion);
  }
}

}  // namespace korva::sim
