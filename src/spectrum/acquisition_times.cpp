#include "spectrum/acquisition_times.h"

#include <algorithm>

#include "common/format_text.h"
#include "devicelink/register_map.h"

namespace korva {

namespace {

constexpr double kCoarseSeconds = 0.01;
constexpr double kFineSeconds = kTickMicroseconds * 16 * 1e-6;
constexpr std::uint32_t kPresetScale = 100;

std::uint32_t Pair(const RegisterImage& registers, std::size_t low) {
  return static_cast<std::uint32_t>(registers[low + 1]) << 16 | registers[low];
}

double Seconds(const RegisterImage& registers, std::size_t coarseLow, std::size_t fine) {
  return registers[fine] * kFineSeconds + Pair(registers, coarseLow) * kCoarseSeconds;
}

}  // namespace

RunTimes DecodeRunTimes(const RegisterImage& registers) {
  RunTimes times;
  times.realSeconds = Seconds(registers, reg::kRealTimeLow, reg::kRealTimeFine);
  times.liveSeconds = Seconds(registers, reg::kLiveTimeLow, reg::kLiveTimeFine);
  times.deadPercent = DeadPercent(times.realSeconds, times.liveSeconds);
  return times;
}

double DeadPercent(double realSeconds, double liveSeconds) {
  if (realSeconds == 0.0) return 0.0;
  return std::max(0.0, (realSeconds - liveSeconds) * 100.0 / realSeconds);
}

std::string RunTimeText(double seconds) { return FormatText("%10.2f", seconds); }

std::string DeadPercentText(double percent) { return FormatText("%3.1f", percent); }

int PresetSeconds(const RegisterImage& registers) {
  return static_cast<int>(Pair(registers, reg::kPresetLow) / kPresetScale);
}

void WritePresetSeconds(RegisterImage& registers, int seconds) {
  const auto value =
      static_cast<std::uint32_t>(std::clamp(seconds, 0, kMaxAcquisitionPresetSeconds)) * kPresetScale;
  registers[reg::kPresetLow] = static_cast<std::uint16_t>(value & 0xFFFF);
  registers[reg::kPresetLow + 1] = static_cast<std::uint16_t>(value >> 16);
}

std::string TemperatureText(std::int16_t temperature) { return std::to_string(temperature); }

std::string SlowAdcText(double volts) { return FormatText("%6.3f", volts); }

}  // namespace korva
