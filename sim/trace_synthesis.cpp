#include "sim/trace_synthesis.h"

#include <algorithm>
#include <cmath>

namespace korva::sim {

namespace {

constexpr std::size_t kSamples = wire::kTraceBytes / 4;
constexpr double kAmplitudePerChannel = 8.0;
constexpr double kPreamplifierDecayTicks = 2000.0;
constexpr double kAdcBaseline = 200.0;
constexpr double kNoiseSigma = 6.0;
constexpr double kDiscriminatorFraction = 0.05;

namespace line {
constexpr std::uint16_t kFastLld = 1u << 0;
constexpr std::uint16_t kSlowLld = 1u << 1;
constexpr std::uint16_t kPeakDetect = 1u << 2;
constexpr std::uint16_t kStore = 1u << 3;
constexpr std::uint16_t kRoiSca = 1u << 7;
}  // namespace line

enum AnalogInput { kSlow = 0, kFast = 1, kAdc = 2, kAux = 3 };

struct Trapezoid {
  double rise;
  double flat;

  double At(double t) const {
    if (t < 0.0) return 0.0;
    if (t < rise) return t / rise;
    if (t < rise + flat) return 1.0;
    if (t < 2.0 * rise + flat) return 1.0 - (t - rise - flat) / rise;
    return 0.0;
  }
  bool OnFlatTop(double t) const { return t >= rise && t < rise + flat; }
};

double Ticks(std::uint16_t value) { return std::max(1.0, static_cast<double>(value)); }

}  // namespace

std::array<std::uint8_t, wire::kTraceBytes> SynthesizeTrace(const RegisterBank& registers,
                                                            std::uint32_t channel, std::mt19937& random) {
  const Trapezoid slow{Ticks(registers[2]), static_cast<double>(registers[3])};
  const Trapezoid fast{Ticks(registers[4]), static_cast<double>(registers[5])};
  const double ticksPerSample = registers[reg::kTraceDecimation] + 1.0;
  const std::uint16_t setup = registers[reg::kTraceSetup];
  const auto input = static_cast<AnalogInput>(setup & 3u);
  const bool randomTrigger = (setup & 0x80u) != 0;
  const bool inRoi = channel >= registers[reg::kRoiScaLow] && channel <= registers[reg::kRoiScaHigh];

  std::uniform_int_distribution<std::size_t> anywhere(0, kSamples - 1);
  const std::size_t arrival =
      randomTrigger ? anywhere(random) : std::min<std::size_t>(registers[reg::kTraceDelay], kSamples - 1);
  const double amplitude = kAmplitudePerChannel * channel;
  std::normal_distribution<double> noise(0.0, kNoiseSigma);

  std::array<std::uint8_t, wire::kTraceBytes> record{};
  for (std::size_t i = 0; i < kSamples; ++i) {
    const double t = (static_cast<double>(i) - static_cast<double>(arrival)) * ticksPerSample;
    const double slowValue = amplitude * slow.At(t);
    const double fastValue = amplitude * fast.At(t);
    double analog = 0.0;
    switch (input) {
      case kSlow:
        analog = slowValue;
        break;
      case kFast:
        analog = fastValue;
        break;
      case kAdc:
        analog = kAdcBaseline + (t < 0.0 ? 0.0 : amplitude * std::exp(-t / kPreamplifierDecayTicks));
        break;
      case kAux:
        analog = slowValue / 4.0;
        break;
    }
    const double afterFlatTop = t - (slow.rise + slow.flat);
    const bool store = afterFlatTop >= 0.0 && afterFlatTop < ticksPerSample;

    std::uint16_t lines = 0;
    if (fastValue > kDiscriminatorFraction * amplitude) lines |= line::kFastLld;
    if (slowValue > kDiscriminatorFraction * amplitude) lines |= line::kSlowLld;
    if (slow.OnFlatTop(t)) lines |= line::kPeakDetect;
    if (store) lines |= line::kStore;
    if (store && inRoi) lines |= line::kRoiSca;

    const double sample = std::clamp(std::round(analog + noise(random)), -32768.0, 32767.0);
    wire::WriteU16(record, 4 * i, static_cast<std::uint16_t>(static_cast<std::int16_t>(sample)));
    wire::WriteU16(record, 4 * i + 2, lines);
  }
  return record;
}

}  // namespace korva::sim
