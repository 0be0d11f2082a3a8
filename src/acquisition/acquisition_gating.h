#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "devicelink/register_edit.h"

namespace korva {

// The analyser's coincidence gating: which signal gates it (register 16
// bit 14 and register 96 bits 9 and 10), the second source (register 96
// bits 0-1), direct or windowed, coincidence or anticoincidence, and the
// delays in ticks.

inline constexpr std::array<const char*, 5> kCoincidenceSourceTexts = {"DISABLED", "MCA", "TDCR-EXT1",
                                                                       "TDCR-EXT2", "TDCR-EXT1&2"};
// The second source list while neither external TDCR signal is enabled, and
// while one is.
inline constexpr std::array<const char*, 4> kTdcrSecondSourceTexts = {"TDCR A", "TDCR B", "TDCR C",
                                                                      "EXTERNAL R"};
inline constexpr std::array<const char*, 4> kMcaSecondSourceTexts = {"MCA PKDT", "ROI SCA", "MCA SLLD",
                                                                     "EXTERNAL R"};
inline constexpr std::array<const char*, 2> kWindowTexts = {"DIRECT", "WINDOW"};
inline constexpr std::array<const char*, 2> kModeTexts = {"COINCIDENCE", "ANTICOINC"};

const std::array<const char*, 4>& SecondSourceTexts(int coincidenceSource);

// The source list position of registers 16 and 96, and the registers with a
// position written in (other bits kept).
int CoincidenceSource(std::uint16_t control, std::uint16_t coincidenceInput);
void WriteCoincidenceSource(RegisterImage& registers, int source);

// Delay edits, in ticks. Delay, MCA STO delay and window width are clamped
// to 1..their maximum on every change.
inline constexpr int kMaxCoincidenceDelay = 16250;
inline constexpr int kMaxStrobeDelay = 8125;
inline constexpr int kMaxWindowWidth = 4095;
int ClampTicks(int ticks, int maximum);

// TDCR S1 and S2 delays, 80..70625 ticks, kept in two registers each: the
// first holds 79 up to a delay of 8204 and the part above 8125 beyond it,
// the second the rest (at most 8125).
inline constexpr int kMinTdcrDelay = 80;
inline constexpr int kMaxTdcrDelay = 70625;
inline constexpr int kTdcrDelaySecondPart = 8125;
struct TdcrDelayRegisters {
  std::uint16_t first = 0;
  std::uint16_t second = 0;
};
// A delay outside 80..70625 is taken at the nearest limit, so a value being
// typed can never reach the registers as a wrapped-around part.
TdcrDelayRegisters SplitTdcrDelay(int ticks);
int TdcrDelay(std::uint16_t first, std::uint16_t second);
// A TDCR delay being typed, against `extension`, the TDCR measurement's
// dead-time extension of the same signal (80..62500 ticks): 80 or more is
// applied within 80..extension + 8125; less is not applied yet.
std::optional<int> TypedTdcrDelay(int ticks, int extension);
// The same edit losing the focus: a value below 80 becomes 80.
int FinishedTdcrDelay(int ticks, int extension);

// The read-only microsecond value beside a delay edit, "%8.4f".
std::string MicrosecondText(int ticks);

}  // namespace korva
