#include "setup/shaper_registers.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace korva {

namespace {

constexpr int kThresholdLimit = 2048;
constexpr std::uint32_t kAutomatic = 0xFFFFFFFFu;
constexpr std::uint64_t kThresholdTop = std::numeric_limits<std::int32_t>::max();

std::string Format(const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// The shortest decimal text of a list entry: "1", "1.25", "4.875".
std::string EntryText(double value) {
  char text[16];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

}  // namespace

std::string MarginText(int position) { return EntryText(1.0 + 0.25 * position); }

int MarginPosition(int code) { return std::min(std::max(code, 4) - 4, kMarginEntries - 1); }

std::string BdcText(int position) { return EntryText(BdcValue(position)); }

double BdcValue(int position) { return 1.0 + 0.125 * std::clamp(position, 0, kBdcEntries - 1); }

void ComposeDerivedShaperRegisters(RegisterImage& registers) {
  using U = std::uint16_t;
  const U sr = registers[reg::kSlowRise];
  const U sft = registers[reg::kSlowFlatTop];
  const U fr = registers[reg::kFastRise];
  const U fft = registers[reg::kFastFlatTop];
  registers[reg::kSlowLength] = static_cast<U>(sr / 32 + sft + sr);
  registers[reg::kSlowDelay] = static_cast<U>(sr - 4);
  registers[reg::kSlowWindow] = static_cast<U>(sr * 2);
  registers[reg::kSlowGuard] = static_cast<U>(sr / 10 + 4);
  registers[reg::kFastGuard] = static_cast<U>(fr / 10 + 4);
  registers[reg::kPileUpInterval] = static_cast<U>(2 * (sft - fr + sr) + sr / 16 - fft);
}

std::uint32_t RegisterPair(const RegisterImage& registers, std::size_t low) {
  return registers[low] | static_cast<std::uint32_t>(registers[low + 1]) << 16;
}

void SetRegisterPair(RegisterImage& registers, std::size_t low, std::uint32_t value) {
  registers[low] = static_cast<std::uint16_t>(value & 0xFFFF);
  registers[low + 1] = static_cast<std::uint16_t>(value >> 16);
}

std::uint32_t EncodeThreshold(int channels, std::uint32_t compression, std::uint32_t scale) {
  const std::uint64_t value = static_cast<std::uint64_t>(std::max(channels, 0)) * compression * scale;
  if (value == 0) return kAutomatic;
  return static_cast<std::uint32_t>(std::min(value, kThresholdTop));
}

int DecodeThreshold(std::uint32_t pair, std::uint32_t scale) {
  const auto value = static_cast<std::int32_t>(pair);
  if (value < 0) return -1;
  return static_cast<int>(std::min<std::int64_t>(value / std::max<std::uint32_t>(scale, 1), kThresholdLimit));
}

int ThresholdField(int threshold, std::uint32_t compression) {
  if (threshold < 0) return 0;
  return std::max(1, threshold / static_cast<int>(std::max<std::uint32_t>(compression, 1)));
}

std::string SampleTimeText(int samples) { return Format("%5.4f", samples * kSampleMicroseconds); }
std::string LongTcText(int value) { return Format("%5.4f", value * kSampleMicroseconds * 0.125); }
std::string ShortTcText(int value) { return Format("%4.1f", value * kSampleMicroseconds * 125.0); }

}  // namespace korva
