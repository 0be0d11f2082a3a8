#include "sim/tdcr_settings.h"

#include <algorithm>
#include <cmath>

#include "sim/instrument_identity.h"

namespace korva::sim {

namespace {

constexpr std::array<double, 16> kWindowNs = {10, 20,  30,  40,  50,  60,  70,  80,
                                              90, 100, 110, 120, 140, 160, 180, 200};
constexpr double kSamplePeriodNs = 8.0;
constexpr std::uint32_t kMinExtensionPosition = 80;
constexpr std::uint32_t kMaxExtensionPosition = 62500;
constexpr double kPhotoelectronPulseMv = 50.0;
constexpr int kMaxPhotoelectronsNeeded = 16;

// The STOP TIMER list in control word bits 12-15: REAL, then LIVE A1, A2,
// B1, B2, C1, C2, AB1, AC1, BC1, T1, AB2, AC2, BC2, T2, and REAL again.
std::optional<LiveTimer> StopTimer(std::uint16_t control) {
  const int index = control >> reg::tdcr_control::kStopTimerShift;
  if (index == 0 || index == 15) return std::nullopt;
  if (index <= 6) {
    constexpr std::array<ChannelSet, 3> kSingles = {ChannelSet::kA, ChannelSet::kB, ChannelSet::kC};
    return LiveTimer{(index - 1) % 2, kSingles[static_cast<std::size_t>((index - 1) / 2)]};
  }
  constexpr std::array<ChannelSet, 4> kCoincidences = {ChannelSet::kAB, ChannelSet::kAC, ChannelSet::kBC,
                                                       ChannelSet::kABC};
  return LiveTimer{(index - 7) / 4, kCoincidences[static_cast<std::size_t>((index - 7) % 4)]};
}

double ExtensionNs(std::uint16_t code) {
  const std::uint32_t position = std::clamp<std::uint32_t>(code + unsigned{reg::kExtensionOffset},
                                                           kMinExtensionPosition, kMaxExtensionPosition);
  return position * kSamplePeriodNs;
}

int PhotoelectronsNeeded(std::uint16_t code, bool secondModel) {
  const double slope = NominalThresholdSlope(secondModel ? Model::kRQ3102 : Model::kRQ3101);
  const double offset = secondModel ? 625.0 : 12.3;
  const double depthMv = std::max(0.0, -(code * slope + offset));
  return std::min(kMaxPhotoelectronsNeeded, 1 + static_cast<int>(depthMv / kPhotoelectronPulseMv));
}

}  // namespace

TdcrSettings DecodeTdcrSettings(const RegisterBank& registers) {
  TdcrSettings settings;
  const std::uint16_t windows = registers[reg::kWindows];
  namespace field = reg::windows;
  settings.windowNs = {kWindowNs[(windows >> field::kNAt) & field::kIndexMask],
                       kWindowNs[(windows >> field::kMAt) & field::kIndexMask]};
  constexpr std::array<std::uint16_t, 2> kCdtBits = {field::kCdtExtension1, field::kCdtExtension2};
  for (std::size_t e = 0; e < 2; ++e) {
    settings.extensionNs[e] = ExtensionNs(registers[reg::kExtension1 + e]);
    settings.deadTimeMode[e] =
        (windows & kCdtBits[e]) != 0 ? DeadTimeMode::kCommon : DeadTimeMode::kIndividual;
  }
  const bool secondModel = (registers[reg::kModel] >> reg::model::kShift) == ModelCode(Model::kRQ3102);
  for (std::size_t c = 0; c < 3; ++c) {
    settings.photoelectronsNeeded[c] = PhotoelectronsNeeded(registers[reg::kThresholdA + c], secondModel);
  }
  settings.runs = (registers[reg::kRuns] & reg::runs::kPresetMask) + 1;
  settings.presetMs = registers.Get32(reg::kTimePerRunLow);
  settings.gapMs = registers.Get32(reg::kGapTimeLow);
  settings.stopTimer = StopTimer(registers[reg::kTdcrControl]);
  return settings;
}

}  // namespace korva::sim
