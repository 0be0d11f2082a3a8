#include "sim/spectrum_acquisition.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "sim/digital_pulser.h"

namespace korva::sim {

namespace {

using Nanoseconds = std::int64_t;

constexpr Nanoseconds kTimeUnitNs = 10'000'000;  // the coarse time registers count 10 ms
constexpr Nanoseconds kFineUnitNs = 128;         // the fine ones 16 ticks
constexpr Nanoseconds kNever = std::numeric_limits<Nanoseconds>::max();
constexpr std::uint32_t kMaxFine = 0xFFFF;
constexpr std::uint32_t kMaxRateCount = 0xFFFF;
constexpr double kChannels = static_cast<double>(kSpectrumHalfEntries);

constexpr std::uint16_t kRunBits = reg::control::kRun | reg::control::kRunCompanion;

std::uint32_t Coarse(Nanoseconds time) { return static_cast<std::uint32_t>(time / kTimeUnitNs); }

std::uint16_t Fine(Nanoseconds time) {
  return static_cast<std::uint16_t>(std::min<Nanoseconds>((time % kTimeUnitNs) / kFineUnitNs, kMaxFine));
}

std::uint32_t EstimateRegister(double channels, double scale) {
  const double value = std::round(channels * scale);
  return static_cast<std::uint32_t>(std::clamp(value, 0.0, double{std::numeric_limits<std::int32_t>::max()}));
}

bool Running(const InstrumentMemory& memory) {
  return memory.registers.Test(reg::kControl, reg::control::kRun);
}

}  // namespace

SpectrumAcquisition::SpectrumAcquisition(std::uint32_t seed, const SpectrumSourceOptions& source)
    : random_(seed), source_(source) {
  nextDecay_ = DecayGap();
}

void SpectrumAcquisition::OnRegistersWritten(InstrumentMemory& memory, RegisterRange written) {
  if (written.Covers(reg::kControl) && memory.registers.Test(reg::kControl, reg::control::kEraseRequest)) {
    Erase(memory);
  }
  PublishEstimates(memory, ReadAnalyserSettings(memory.registers));
}

// Decays and pulser pulses are taken one at a time in time order (a pulser
// pulse first when both fall on one instant); between two of them only the
// clocks move.
void SpectrumAcquisition::Advance(InstrumentMemory& memory, std::chrono::microseconds elapsed) {
  const AnalyserSettings settings = ReadAnalyserSettings(memory.registers);
  const Nanoseconds end = now_ + std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count();
  Nanoseconds nextPulser = settings.pulser ? NextPulserPulse(now_) : kNever;
  for (Nanoseconds next = std::min(nextDecay_, nextPulser); next < end;
       next = std::min(nextDecay_, nextPulser)) {
    RunClockTo(memory, next);
    if (next == nextPulser) {
      Arrive(settings, kPulserChannel * settings.gain);
      nextPulser += kPulserPeriodNs;
      continue;
    }
    Detect(settings);
    const Nanoseconds gap = DecayGap();
    nextDecay_ = gap == kNever ? kNever : nextDecay_ + gap;
  }
  RunClockTo(memory, end);
  PublishTimes(memory);
  PublishEstimates(memory, settings);
}

void SpectrumAcquisition::Erase(InstrumentMemory& memory) {
  std::fill_n(memory.data.begin(), kSpectrumAreaEntries, 0u);
  realTime_ = 0;
  liveTime_ = 0;
  PublishTimes(memory);
  memory.registers.ClearBits(reg::kControl, reg::control::kEraseRequest | reg::control::kEraseArmed);
  memory.registers.SetBits(reg::kControl, reg::control::kEraseDone);
}

// The clocks stop where a shaped pulse ends, so it is counted in its own
// rate gate.
void SpectrumAcquisition::RunClockTo(InstrumentMemory& memory, Nanoseconds until) {
  while (now_ < until) {
    Nanoseconds stepEnd = std::min(until, gateEnd_);
    if (shaping_) stepEnd = std::min(stepEnd, std::max(shaping_->end, now_ + 1));
    if (Running(memory)) CountRunTime(memory, stepEnd);
    now_ = stepEnd;
    if (shaping_ && shaping_->end <= now_) PutThrough(memory);
    if (now_ == gateEnd_) CloseRateGate(memory);
  }
}

// Real time runs throughout, live time once the processor is free. A preset
// reached within the step stops the run on that very instant.
void SpectrumAcquisition::CountRunTime(InstrumentMemory& memory, Nanoseconds until) {
  const Nanoseconds span = until - now_;
  const Nanoseconds busy = std::clamp<Nanoseconds>(busyUntil_ - now_, 0, span);
  Nanoseconds realStep = span;
  Nanoseconds liveStep = span - busy;
  bool stop = false;
  const Nanoseconds preset = Nanoseconds{memory.registers.Get32(reg::kPresetLow)} * kTimeUnitNs;
  if (preset > 0 && memory.registers.Test(reg::kControl, reg::control::kLiveTimer)) {
    const Nanoseconds left = std::max<Nanoseconds>(preset - liveTime_, 0);
    if (left <= liveStep) {
      realStep = left == 0 ? 0 : busy + left;
      liveStep = left;
      stop = true;
    }
  } else if (preset > 0) {
    const Nanoseconds left = std::max<Nanoseconds>(preset - realTime_, 0);
    if (left <= realStep) {
      realStep = left;
      liveStep = std::max<Nanoseconds>(left - busy, 0);
      stop = true;
    }
  }
  realTime_ += realStep;
  liveTime_ += liveStep;
  if (stop) memory.registers.ClearBits(reg::kControl, kRunBits);
}

void SpectrumAcquisition::CloseRateGate(InstrumentMemory& memory) {
  RegisterBank& registers = memory.registers;
  registers.Set(reg::kRateCount1, static_cast<std::uint16_t>(std::min(throughputCounts_, kMaxRateCount)));
  registers.Set(reg::kRateCount2, static_cast<std::uint16_t>(std::min(incomingCounts_, kMaxRateCount)));
  registers.Set(reg::kRateGate1, kRateGateUnits);
  registers.Set(reg::kRateGate2, kRateGateUnits);
  throughputCounts_ = 0;
  incomingCounts_ = 0;
  gateEnd_ += kRateGateNs;
}

void SpectrumAcquisition::Detect(const AnalyserSettings& settings) {
  const double signal = settings.Signal(source_.Decay(random_));
  if (signal > 0.0) Arrive(settings, signal * kChannelsPerPhotoelectron * settings.gain);
}

void SpectrumAcquisition::Arrive(const AnalyserSettings& settings, double height) {
  if (settings.slowNoise > 0.0) height += std::normal_distribution<double>(0.0, settings.slowNoise)(random_);
  if (height < settings.fastThreshold) return;
  ++incomingCounts_;
  if (now_ < busyUntil_) {
    if (!shaping_) {
      if (settings.pileUpRejection) busyUntil_ = std::max(busyUntil_, now_ + settings.deadTimeNs);
    } else if (settings.pileUpRejection) {
      shaping_.reset();
      busyUntil_ = std::max(busyUntil_, now_ + settings.deadTimeNs);
    } else {
      shaping_->height += height;
    }
    return;
  }
  busyUntil_ = now_ + settings.deadTimeNs;
  shaping_ = ShapedPulse{busyUntil_, height, std::max(settings.slowThreshold, 0.0), settings.firstEntry};
}

void SpectrumAcquisition::PutThrough(InstrumentMemory& memory) {
  const ShapedPulse pulse = *shaping_;
  shaping_.reset();
  ++throughputCounts_;
  if (!Running(memory) || pulse.height < pulse.slowThreshold || pulse.height >= kChannels) return;
  ++memory.data[pulse.firstEntry + static_cast<std::size_t>(pulse.height)];
}

SpectrumAcquisition::Nanoseconds SpectrumAcquisition::DecayGap() {
  const double perNs = source_.Options().activityBq * 1e-9;
  if (!(perNs > 0.0)) return kNever;
  return static_cast<Nanoseconds>(std::llround(std::exponential_distribution<double>(perNs)(random_)));
}

void SpectrumAcquisition::PublishTimes(InstrumentMemory& memory) const {
  memory.registers.Set32(reg::kRealTimeLow, Coarse(realTime_));
  memory.registers.Set32(reg::kLiveTimeLow, Coarse(liveTime_));
  memory.registers.Set(reg::kRealTimeFine, Fine(realTime_));
  memory.registers.Set(reg::kLiveTimeFine, Fine(liveTime_));
}

void SpectrumAcquisition::PublishEstimates(InstrumentMemory& memory, const AnalyserSettings& settings) const {
  memory.registers.Set32(reg::kSlowEstimateLow,
                         EstimateRegister(settings.estimatedSlowThreshold, settings.slowScale));
  memory.registers.Set32(reg::kFastEstimateLow,
                         EstimateRegister(settings.estimatedFastThreshold, settings.fastScale));
}

}  // namespace korva::sim
