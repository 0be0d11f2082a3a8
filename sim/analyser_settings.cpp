#include "sim/analyser_settings.h"

#include <algorithm>
#include <cmath>

#include "sim/instrument_memory.h"

namespace korva::sim {

namespace {

constexpr double kPhaScale = 12.0;
constexpr double kTickNs = 8.0;
// The peak detector's conversion in PHA mode.
constexpr std::int64_t kPhaConversionNs = 4000;

// Noise of the shapers in channels at gain 1 and their power-on rise times.
constexpr double kSlowNoiseChannels = 2.0;
constexpr double kSlowNoiseRise = 240.0;
constexpr double kFastNoiseChannels = 4.0;
constexpr double kFastNoiseRise = 20.0;

double Gain(const RegisterBank& registers) {
  const double coarse = std::pow(std::sqrt(2.0), registers[reg::kAmplifier] & reg::amplifier::kCoarseMask);
  const int fine = 4095 - registers[reg::kFineGain] / static_cast<int>(reg::kFineScale);
  return coarse * (1.0 + 0.2 * fine / 4095.0);
}

double Margin(std::uint16_t margins, int shift) {
  const int code = (margins >> shift) & reg::margins::kCodeMask;
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
  s.input = registers[reg::kTdcrControl] & reg::tdcr_control::kMcaInputMask;
  s.firstEntry = registers.Test(reg::kAmplifier, reg::amplifier::kInputE) ? 0 : kSpectrumHalfEntries;
  s.pha = registers.Test(reg::kAmplifier, reg::amplifier::kPhaMode);
  s.gain = Gain(registers);
  s.pulser = !registers.Test(reg::kControl, reg::control::kPulserOff);

  const std::uint32_t factor = std::max<std::uint32_t>(
      1, registers[reg::kNormalisationLow] |
             (registers[reg::kNormalisationHigh] & reg::normalisation::kHighMask) << 16);
  const std::uint16_t slowRise = registers[reg::kSlowRise];
  const double fastFactor =
      slowRise == 0
          ? 1.0
          : std::max(1.0, std::trunc(static_cast<double>(registers[reg::kFastRise]) * factor / slowRise));
  s.slowScale = s.pha ? kPhaScale : 4.0 * static_cast<double>(factor);
  s.fastScale = 4.0 * fastFactor;

  // Without the shaper the noise is the amplifier's own, as with the
  // power-on shaper.
  s.slowNoise = Noise(kSlowNoiseChannels, kSlowNoiseRise,
                      s.pha ? static_cast<std::uint16_t>(kSlowNoiseRise) : slowRise, s.gain);
  const double fastNoise = Noise(kFastNoiseChannels, kFastNoiseRise, registers[reg::kFastRise], s.gain);
  s.estimatedSlowThreshold = Margin(registers[reg::kMargins], reg::margins::kSlowAt) * s.slowNoise;
  s.estimatedFastThreshold = Margin(registers[reg::kMargins], reg::margins::kFastAt) * fastNoise;
  s.slowThreshold = Threshold(registers, s.pha ? reg::kPhaThresholdLow : reg::kSlowThresholdLow, s.slowScale,
                              s.estimatedSlowThreshold);
  s.fastThreshold = Threshold(registers, reg::kFastThresholdLow, s.fastScale, s.estimatedFastThreshold);

  if (s.pha) {
    s.fastThreshold = 0.0;
    s.deadTimeNs = kPhaConversionNs;
    return s;
  }
  const int pulseTicks = 2 * std::max<int>(slowRise, 1) + std::max<int>(registers[reg::kSlowFlatTop], 1);
  s.deadTimeNs = static_cast<std::int64_t>(pulseTicks * kTickNs);
  s.pileUpRejection = !registers.Test(reg::kPileUp, reg::pile_up::kOff);
  return s;
}

}  // namespace korva::sim
