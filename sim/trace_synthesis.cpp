#include "sim/trace_synthesis.h"

#include <algorithm>
#include <cmath>

namespace korva::sim {

namespace {

constexpr double kPreamplifierDecayTicks = 2000.0;
constexpr double kAdcBaseline = 200.0;
constexpr double kAdcNoiseSigma = 6.0;
constexpr double kShaperNoiseSigma = 2.0;

enum AnalogInput { kSlow = 0, kFast = 1, kAdc = 2, kAux = 3 };

double Trapezoid(double t, double rise, double flat) {
  if (t < 0.0) return 0.0;
  if (t < rise) return t / rise;
  if (t < rise + flat) return 1.0;
  if (t < 2.0 * rise + flat) return 1.0 - (t - rise - flat) / rise;
  return 0.0;
}

// What one pulse adds to a sample spanning [start, start + span): its value
// at the instant of the span nearest to its own peak.
struct PulseShape {
  AnalogInput input;
  double rise;
  double flat;
  double gain;  // analog units per ADC unit of pulse height

  double Peak() const { return input == kAdc ? 0.0 : rise + flat / 2.0; }
  double At(double t) const {
    if (input == kAdc) return t < 0.0 ? 0.0 : std::exp(-t / kPreamplifierDecayTicks);
    return Trapezoid(t, rise, flat);
  }
  double Length() const { return input == kAdc ? 12.0 * kPreamplifierDecayTicks : 2.0 * rise + flat; }
};

PulseShape ShapeOf(const RegisterBank& registers) {
  const std::uint16_t setup = registers[reg::kTraceSetup];
  namespace field = reg::trace_setup;
  const auto input = static_cast<AnalogInput>(setup & field::kInputMask);
  const int extra = (registers[reg::kAmplifier] & reg::amplifier::kInputE) != 0 ? 0 : 2;
  const auto scale = [&](double rise, int shiftAt) {
    return 2.0 * rise / std::ldexp(1.0, ((setup >> shiftAt) & field::kShiftMask) + extra);
  };
  const double slowRise = ShaperTicks(registers[reg::kSlowRise]);
  const double fastRise = ShaperTicks(registers[reg::kFastRise]);
  switch (input) {
    case kFast:
      return {kFast, fastRise, static_cast<double>(registers[reg::kFastFlatTop]),
              scale(fastRise, field::kFastShiftAt)};
    case kAdc:
      return {kAdc, 0.0, 0.0, 1.0};
    case kAux:
      return {kAux, slowRise, static_cast<double>(registers[reg::kSlowFlatTop]),
              scale(slowRise, field::kSlowShiftAt) / 4.0};
    case kSlow:
      break;
  }
  return {kSlow, slowRise, static_cast<double>(registers[reg::kSlowFlatTop]),
          scale(slowRise, field::kSlowShiftAt)};
}

}  // namespace

double TicksPerSample(const RegisterBank& registers) { return registers[reg::kTraceDecimation] + 1.0; }

std::array<std::uint8_t, wire::kTraceBytes> SynthesizeTrace(const RegisterBank& registers,
                                                            const std::vector<TracePulse>& pulses,
                                                            const LineIntervals& lines, double windowStart,
                                                            std::mt19937& random) {
  const double span = TicksPerSample(registers);
  const PulseShape shape = ShapeOf(registers);
  std::normal_distribution<double> noise(0.0, shape.input == kAdc ? kAdcNoiseSigma : kShaperNoiseSigma);

  std::array<std::uint8_t, wire::kTraceBytes> record{};
  for (std::size_t i = 0; i < kTraceRecordSamples; ++i) {
    const double start = windowStart + static_cast<double>(i) * span;
    double analog = shape.input == kAdc ? kAdcBaseline : 0.0;
    for (const TracePulse& pulse : pulses) {
      if (pulse.arrival >= start + span || pulse.arrival + shape.Length() < start) continue;
      const double instant = std::clamp(pulse.arrival + shape.Peak(), start, start + span - 1.0);
      analog += shape.gain * kAdcPerChannel * pulse.height * shape.At(instant - pulse.arrival);
    }
    std::uint16_t word = 0;
    for (std::size_t line = 0; line < lines.size(); ++line) {
      if (LineSetWithin(lines[line], start, start + span))
        word = static_cast<std::uint16_t>(word | (1u << line));
    }
    const double sample = std::clamp(std::round(analog + noise(random)), -32768.0, 32767.0);
    wire::WriteU16(record, 4 * i, static_cast<std::uint16_t>(static_cast<std::int16_t>(sample)));
    wire::WriteU16(record, 4 * i + 2, word);
  }
  return record;
}

}  // namespace korva::sim
