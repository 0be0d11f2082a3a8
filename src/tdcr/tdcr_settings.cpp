#include "tdcr/tdcr_settings.h"

#include <algorithm>

#include "common/numeric_entry.h"
#include "tdcr/tdcr_format.h"

namespace korva {

namespace {

constexpr double kSamplePeriodUs = 0.008;
constexpr double kMillisecondsPerSecond = 1000.0;

constexpr int kMaxWindowIndex = 15;
constexpr int kMaxRunsIndex = 63;

int WindowShift(CoincidenceWindow window) {
  return window == CoincidenceWindow::kN ? reg::windows::kNAt : reg::windows::kMAt;
}
std::uint16_t CdtBit(CoincidenceWindow window) {
  return window == CoincidenceWindow::kN ? reg::windows::kCdtExtension1 : reg::windows::kCdtExtension2;
}
std::uint16_t PolarityBit(std::size_t input) {
  return static_cast<std::uint16_t>(1u << (reg::source_polarity::kFirstPolarityBit + input));
}

}  // namespace

std::uint32_t ReadRegisterPair(const RegisterImage& registers, std::size_t low) {
  return static_cast<std::uint32_t>(registers[low + 1]) << 16 | registers[low];
}

void WriteRegisterPair(RegisterImage& registers, std::size_t low, std::uint32_t value) {
  registers[low] = static_cast<std::uint16_t>(value & 0xFFFF);
  registers[low + 1] = static_cast<std::uint16_t>(value >> 16);
}

std::uint64_t ReadStartTime(const RegisterImage& registers) {
  return static_cast<std::uint64_t>(ReadRegisterPair(registers, reg::kTdcrStartTime + 2)) << 32 |
         ReadRegisterPair(registers, reg::kTdcrStartTime);
}

void WriteStartTime(RegisterImage& registers, std::uint64_t fileTime) {
  WriteRegisterPair(registers, reg::kTdcrStartTime, static_cast<std::uint32_t>(fileTime & 0xFFFFFFFF));
  WriteRegisterPair(registers, reg::kTdcrStartTime + 2, static_cast<std::uint32_t>(fileTime >> 32));
}

int ExtensionPosition(std::uint16_t registerValue) { return registerValue + reg::kExtensionOffset; }

std::uint16_t ExtensionRegister(int position) {
  return static_cast<std::uint16_t>(position - reg::kExtensionOffset);
}

int ExtensionPositionFromMicroseconds(double microseconds) {
  const double position = TruncateEntry(microseconds / kSamplePeriodUs);
  return static_cast<int>(std::clamp(position, static_cast<double>(kMinExtensionPosition),
                                     static_cast<double>(kMaxExtensionPosition)));
}

int StepExtensionPosition(int position, int step) {
  return std::clamp(position + step, kMinExtensionPosition, kMaxExtensionPosition);
}

std::string ExtensionText(int position) { return FormatExtension(position * kSamplePeriodUs); }

std::uint32_t PresetMilliseconds(double seconds) {
  const double limited = std::clamp(seconds, 0.0, kMaxPresetSeconds);
  return static_cast<std::uint32_t>(TruncateEntry(limited * kMillisecondsPerSecond));
}

double PresetSeconds(const RegisterImage& registers, std::size_t low) {
  return ReadRegisterPair(registers, low) / kMillisecondsPerSecond;
}

int WindowIndex(std::uint16_t windows, CoincidenceWindow window) {
  return (windows >> WindowShift(window)) & reg::windows::kIndexMask;
}

bool IsCdt(std::uint16_t windows, CoincidenceWindow window) { return (windows & CdtBit(window)) != 0; }

std::uint16_t WithWindow(std::uint16_t windows, CoincidenceWindow window, int index, bool cdt) {
  const int shift = WindowShift(window);
  const unsigned indexBits = static_cast<unsigned>(std::clamp(index, 0, kMaxWindowIndex)) << shift;
  unsigned value =
      (windows & ~(unsigned{reg::windows::kIndexMask} << shift) & ~unsigned{CdtBit(window)}) | indexBits;
  if (cdt) value |= CdtBit(window);
  return static_cast<std::uint16_t>(value);
}

std::string WindowText(int index) {
  return std::to_string(
      kCoincidenceWindowsNs[static_cast<std::size_t>(std::clamp(index, 0, kMaxWindowIndex))]);
}

int PresetRunsIndex(std::uint16_t runs) { return runs & reg::runs::kPresetMask; }

int CurrentRunIndex(std::uint16_t runs) {
  return (runs & reg::runs::kCurrentMask) >> reg::runs::kCurrentShift;
}

double SequenceSeconds(const RegisterImage& registers) {
  const int runs = PresetRunsIndex(registers[reg::kRuns]) + 1;
  return runs * PresetSeconds(registers, reg::kTimePerRunLow) +
         (runs - 1) * PresetSeconds(registers, reg::kGapTimeLow);
}

std::uint16_t WithPresetRuns(std::uint16_t runs, int index) {
  return static_cast<std::uint16_t>((runs & reg::runs::kCurrentMask) | std::clamp(index, 0, kMaxRunsIndex));
}

bool IsPositive(std::uint16_t sourceAndPolarity, std::size_t input, std::uint16_t modelCode) {
  return modelCode == DeviceImage::kModelCodeRQ3102 && (sourceAndPolarity & PolarityBit(input)) != 0;
}

std::uint16_t WithPolarity(std::uint16_t sourceAndPolarity, std::size_t input, bool positive,
                           std::uint16_t modelCode) {
  const std::uint16_t cleared = static_cast<std::uint16_t>(sourceAndPolarity & ~PolarityBit(input));
  if (!positive || modelCode != DeviceImage::kModelCodeRQ3102) return cleared;
  return static_cast<std::uint16_t>(cleared | PolarityBit(input));
}

int ReferenceSource(std::uint16_t sourceAndPolarity) {
  return sourceAndPolarity & reg::source_polarity::kReferenceSourceMask;
}

std::uint16_t WithReferenceSource(std::uint16_t sourceAndPolarity, int index) {
  return static_cast<std::uint16_t>(
      (sourceAndPolarity & ~reg::source_polarity::kReferenceSourceMask) |
      (static_cast<unsigned>(index) & reg::source_polarity::kReferenceSourceMask));
}

}  // namespace korva
