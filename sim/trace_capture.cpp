#include "sim/trace_capture.h"

#include <algorithm>
#include <cmath>

#include "sim/digital_pulser.h"
#include "sim/trace_synthesis.h"

namespace korva::sim {

namespace {

constexpr double kTickSeconds = 8e-9;
// Pulses this long before a window still reach into it (the preamplifier's
// tail on the ADC input).
constexpr double kLeadTicks = 24000.0;

bool RandomTrigger(const RegisterBank& registers) {
  return (registers[reg::kTraceSetup] & reg::trace_setup::kRandomTrigger) != 0;
}

double WindowTicks(const RegisterBank& registers) {
  return TicksPerSample(registers) * static_cast<double>(kTraceRecordSamples);
}

}  // namespace

TraceCapture::TraceCapture(std::uint32_t seed, const SpectrumSourceOptions& source)
    : random_(seed), source_(source), activityPerTick_(std::max(source.activityBq, 0.0) * kTickSeconds) {}

void TraceCapture::OnRegistersWritten(InstrumentMemory& memory, RegisterRange written) {
  if (written.Overlaps(reg::kTraceDecimation, reg::kRoiScaHigh)) {
    memory.registers.ClearBits(reg::kControl, reg::control::kTraceReady);
    Rearm();
  }
}

void TraceCapture::Rearm() { waiting_ = false; }

double TraceCapture::DecayGapTicks() {
  if (!(activityPerTick_ > 0.0)) return 1e300;
  return std::exponential_distribution<double>(activityPerTick_)(random_);
}

// The same road to a channel as the spectrum's: the selected input's share
// of the decay's light, the gain, the slow shaper's noise.
double TraceCapture::NextHeight(const AnalyserSettings& analyser) {
  const double signal = analyser.Signal(source_.Decay(random_));
  if (signal <= 0.0) return 0.0;
  double height = signal * kChannelsPerPhotoelectron * analyser.gain;
  if (analyser.slowNoise > 0.0) height += std::normal_distribution<double>(0.0, analyser.slowNoise)(random_);
  return std::max(height, 0.0);
}

void TraceCapture::AddBackground(std::vector<TracePulse>& pulses, const AnalyserSettings& analyser,
                                 double from, double to) {
  for (double t = from + DecayGapTicks(); t < to; t += DecayGapTicks()) {
    const double height = NextHeight(analyser);
    if (height > 0.0) pulses.push_back({t, height});
  }
  AddPulser(pulses, analyser, from, to);
}

// The window does not know where the pulser's grid lies, so it falls at a
// random phase; the pulses stay evenly spaced within it.
void TraceCapture::AddPulser(std::vector<TracePulse>& pulses, const AnalyserSettings& analyser, double from,
                             double to) {
  if (!analyser.pulser) return;
  constexpr double period = static_cast<double>(kPulserPeriodNs) * 1e-9 / kTickSeconds;
  for (double t = from + std::uniform_real_distribution<double>(0.0, period)(random_); t < to; t += period) {
    double height = kPulserChannel * analyser.gain;
    if (analyser.slowNoise > 0.0)
      height += std::normal_distribution<double>(0.0, analyser.slowNoise)(random_);
    pulses.push_back({t, std::max(height, 0.0)});
  }
  std::sort(pulses.begin(), pulses.end(),
            [](const TracePulse& a, const TracePulse& b) { return a.arrival < b.arrival; });
}

std::optional<TraceCapture::Capture> TraceCapture::TryTrigger(const RegisterBank& registers,
                                                              const AnalyserSettings& analyser,
                                                              double height) {
  const TraceShapes shapes = ReadTraceShapes(registers, analyser);
  const double span = TicksPerSample(registers);
  const double before = std::min<double>(registers[reg::kTraceDelay], kTraceRecordSamples - 1) * span;
  const double after = WindowTicks(registers) - before;
  Capture capture;
  capture.pulses.push_back({0.0, height});
  AddBackground(capture.pulses, analyser, -before - kLeadTicks, after);
  std::sort(capture.pulses.begin(), capture.pulses.end(),
            [](const TracePulse& a, const TracePulse& b) { return a.arrival < b.arrival; });
  capture.lines = TraceLineIntervals(capture.pulses, shapes);

  const std::uint16_t setup = registers[reg::kTraceSetup];
  const auto line =
      static_cast<std::size_t>((setup >> reg::trace_setup::kTriggerShift) & reg::trace_setup::kTriggerMask);
  const double reach = shapes.SlowLength() + kStoreTicks + 1.0;
  const auto edge =
      TriggerEdge(capture.lines[line], (setup & reg::trace_setup::kInvertTrigger) != 0, 0.0, reach);
  if (!edge) return std::nullopt;
  capture.windowStart = *edge - before;
  return capture;
}

TraceCapture::Capture TraceCapture::RandomWindow(const RegisterBank& registers,
                                                 const AnalyserSettings& analyser) {
  Capture capture;
  AddBackground(capture.pulses, analyser, -kLeadTicks, WindowTicks(registers));
  capture.lines = TraceLineIntervals(capture.pulses, ReadTraceShapes(registers, analyser));
  return capture;
}

void TraceCapture::Store(InstrumentMemory& memory, const Capture& capture) {
  memory.trace =
      SynthesizeTrace(memory.registers, capture.pulses, capture.lines, capture.windowStart, random_);
  memory.registers.SetBits(reg::kControl, reg::control::kTraceReady);
  waiting_ = false;
}

// Time runs in ticks: with the normal trigger each decay in the elapsed time
// is a candidate, with the random one the capture comes after its wait.
void TraceCapture::Advance(InstrumentMemory& memory, std::chrono::microseconds elapsed) {
  const RegisterBank& registers = memory.registers;
  if (registers.Test(reg::kControl, reg::control::kTraceReady)) return;
  const bool random = RandomTrigger(registers);
  if (!waiting_) {
    waitTicks_ =
        random ? std::exponential_distribution<double>(1.0 / kRandomWaitTicks)(random_) : DecayGapTicks();
    waiting_ = true;
  }
  double left = static_cast<double>(elapsed.count()) * 125.0;  // 8 ns ticks
  const AnalyserSettings analyser = ReadAnalyserSettings(registers);
  for (int candidates = 0; candidates < kMaxCandidatesPerAdvance && waitTicks_ <= left; ++candidates) {
    left -= waitTicks_;
    if (random) {
      Store(memory, RandomWindow(registers, analyser));
      return;
    }
    if (auto capture = TryTrigger(registers, analyser, NextHeight(analyser))) {
      Store(memory, *capture);
      return;
    }
    waitTicks_ = DecayGapTicks();
  }
  waitTicks_ = std::max(0.0, waitTicks_ - left);
}

}  // namespace korva::sim
