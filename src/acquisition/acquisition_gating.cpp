#include "acquisition/acquisition_gating.h"

#include <algorithm>

#include "common/format_text.h"
#include "devicelink/register_map.h"

namespace korva {

namespace {

constexpr int kFirstPartUpTo = 8205;
constexpr std::uint16_t kFirstPartLow = 79;

enum Source { kDisabled, kMca, kExternal1, kExternal2, kExternalBoth };

struct SourceBits {
  bool notMca;
  bool external1Off;
  bool external2Off;
};

constexpr std::array<SourceBits, 5> kSourceBits = {{
    {true, true, true},    // DISABLED
    {false, true, true},   // MCA
    {true, false, true},   // TDCR-EXT1
    {true, true, false},   // TDCR-EXT2
    {true, false, false},  // TDCR-EXT1&2
}};

}  // namespace

const std::array<const char*, 4>& SecondSourceTexts(int coincidenceSource) {
  const bool externalEnabled = coincidenceSource >= kExternal1 && coincidenceSource <= kExternalBoth;
  return externalEnabled ? kMcaSecondSourceTexts : kTdcrSecondSourceTexts;
}

int CoincidenceSource(std::uint16_t control, std::uint16_t coincidenceInput) {
  const bool off1 = (coincidenceInput & reg::coincidence_input::kExternal1Off) != 0;
  const bool off2 = (coincidenceInput & reg::coincidence_input::kExternal2Off) != 0;
  if ((control & reg::control::kCoincidenceNotMca) == 0) return off1 && off2 ? kMca : kDisabled;
  if (off1 && off2) return kDisabled;
  if (off2) return kExternal1;
  if (off1) return kExternal2;
  return kExternalBoth;
}

void WriteCoincidenceSource(RegisterImage& registers, int source) {
  if (source < 0 || source >= static_cast<int>(kSourceBits.size())) source = kDisabled;
  const SourceBits& bits = kSourceBits[static_cast<std::size_t>(source)];
  registers[reg::kControl] =
      reg::WithBit(registers[reg::kControl], reg::control::kCoincidenceNotMca, bits.notMca);
  registers[reg::kCoincidenceInput] = reg::WithBit(registers[reg::kCoincidenceInput],
                                                   reg::coincidence_input::kExternal1Off, bits.external1Off);
  registers[reg::kCoincidenceInput] = reg::WithBit(registers[reg::kCoincidenceInput],
                                                   reg::coincidence_input::kExternal2Off, bits.external2Off);
}

int ClampTicks(int ticks, int maximum) { return std::clamp(ticks, 1, maximum); }

TdcrDelayRegisters SplitTdcrDelay(int ticks) {
  const int delay = std::clamp(ticks, kMinTdcrDelay, kMaxTdcrDelay);
  if (delay < kFirstPartUpTo) return {kFirstPartLow, static_cast<std::uint16_t>(delay - kFirstPartLow)};
  return {static_cast<std::uint16_t>(delay - kTdcrDelaySecondPart), kTdcrDelaySecondPart};
}

int TdcrDelay(std::uint16_t first, std::uint16_t second) { return first + second; }

std::optional<int> TypedTdcrDelay(int ticks, int extension) {
  if (ticks < kMinTdcrDelay) return std::nullopt;
  return std::clamp(ticks, kMinTdcrDelay, std::max(kMinTdcrDelay, extension + kTdcrDelaySecondPart));
}

// Only a value below 80 is still unapplied when the focus goes; the limit
// at the extension cannot bring it below 80.
int FinishedTdcrDelay(int ticks, int extension) {
  if (ticks >= kMinTdcrDelay) return *TypedTdcrDelay(ticks, extension);
  return std::max(std::min(ticks, extension), kMinTdcrDelay);
}

std::string MicrosecondText(int ticks) { return FormatText("%8.4f", ticks * kTickMicroseconds); }

}  // namespace korva
