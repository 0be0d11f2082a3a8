#include "sim/analyser_settings.h"

#include <algorithm>
#include <cmath>

#include "sim/instrument_memory.h"

namespace korva::sim {

namespace {

namespace r {
constexpr std::size_t kSlowRise = 2;
constexpr std::size_t kSlowFlatTop = 3;
constexpr std::size_t kFastRise = 4;
constexpr std::size_t kPileUp = 13;
constexpr std::size_t kFineGain = 17;
constexpr std::size_t kNormalisationLow = 20;
constexpr std::size_t kNormalisationHigh = 21;
constexpr std::size_t kSlowThresholdLow = 34;
constexpr std::size_t kFastThresholdLow = 36;
constexpr std::size_t kMargins = 71;
constexpr std::size_t kPhaThresholdLow = 72;
constexpr std::size_t kInput = 83;
}  // namespace r

constexpr std::uint16_t kLowerHalf = 1u << 15;
constexpr std::uint16_t kPhaMode = 1u << 14;
constexpr double kPhaScale = 12.0;
constexpr double kTickNs = 8.0;
constexpr std::uint16_t kPileUpOff = 1u << 15;
constexpr std::uint16_t kPulserOff = 1u << 9;
// The peak detector's conversion in PHA mode.
constexpr std::int64_t kPhaConversionNs = 4000;

// Noise of the shapers in channels at gain 1 and their power-on rise times.
constexpr double kSlowNoiseChannels = 2.0;
constexpr double kSlowNoiseRise = 240.0;
constexpr double kFastNoiseChannels = 4.0;
constexpr double kFastNoiseRise = 20.0;

double Gain(const RegisterBank& registers) {
  const double coarse = std::pow(std::sqrt(2.0), registers[reg::kAmplifierInput] & 0x3);
  const int fine = 4095 - registers[r::kFineGain] / 16;
  return coarse * (1.0 + 0.2 * fine / 4095.0);
}

double Margin(std::uint16_t margins, int shift) {
  const int code = (margins >> shift) & 0x1F;
  return std::max(code, 4) / 4.0;
}

double Noise(double channels, double nominalRise, std::uint16_t rise, double gain) {
  return channels * gain * std::sqrt(nominalRise / std::max<std::uint16_t>(rise, 1));
}

// A threshold pair read as a signed 32-bit number: negative asks for the estimate.
double Threshold(const RegisterBank& registers, std::size_t low, double scale, double estimate) {
  const auto value = static_cast<std::int32_t>(registers.Get32(low));
  return value < 0 ? estimate : value / scale;
}

}  // namespace

double AnalyserSettings::Signal(const PmtPulses& pulses) const {
  if (input >= 0 && input < 3) return pulses.heights[static_cast<std::size_t>(input)];
  return pulses.heights[0] + pulses.heights[1] + pulses.heights[2];
}

AnalyserSettings ReadAnalyserSettings(const RegisterBank& registers) {
  AnalyserSettings s;
  s.input = registers[r::kInput] & 0x3;
  s.firstEntry = registers.Test(reg::kAmplifierInput, kLowerHalf) ? 0 : kSpectrumHalfEntries;
  s.pha = registers.Test(reg::kAmplifierInput, kPhaMode);
  s.gain = Gain(registers);
  s.pulser = !registers.Test(reg::kControl, kPulserOff);

  const std::uint32_t factor = std::max<std::uint32_t>(
      1, registers[r::kNormalisationLow] | (registers[r::kNormalisationHigh] & 0x3FFFu) << 16);
  const std::uint16_t slowRise = registers[r::kSlowRise];
  const double fastFactor =
      slowRise == 0
          ? 1.0
          : std::max(1.0, std::trunc(static_cast<double>(registers[r::kFastRise]) * factor / slowRise));
  s.slowScale = s.pha ? kPhaScale : 4.0 * static_cast<double>(factor);
  s.fastScale = 4.0 * fastFactor;

  // Without the shaper the noise is the amplifier's own, as with the
  // power-on shaper.
  s.slowNoise = Noise(kSlowNoiseChannels, kSlowNoiseRise,
                      s.pha ? static_cast<std::uint16_t>(kSlowNoiseRise) : slowRise, s.gain);
  const double fastNoise = Noise(kFastNoiseChannels, kFastNoiseRise, registers[r::kFastRise], s.gain);
  s.estimatedSlowThreshold = Margin(registers[r::kMargins], 0) * s.slowNoise;
  s.estimatedFastThreshold = Margin(registers[r::kMargins], 5) * fastNoise;
  s.slowThreshold = Threshold(registers, s.pha ? r::kPhaThresholdLow : r::kSlowThresholdLow, s.slowScale,
                              s.estimatedSlowThreshold);
  s.fastThreshold = Threshold(registers, r::kFastThresholdLow, s.fastScale, s.estimatedFastThreshold);

  if (s.pha) {
    s.fastThreshold = 0.0;
    s.deadTimeNs = kPhaConversionNs;
    return s;
  }
  const int pulseTicks = 2 * std::max<int>(slowRise, 1) + std::max<int>(registers[r::kSlowFlatTop], 1);
  s.deadTimeNs = static_cast<std::int64_t>(pulseTicks * kTickNs);
  s.pileUpRejection = !registers.Test(r::kPileUp, kPileUpOff);
  return s;
}

}  // namespace korva::sim
