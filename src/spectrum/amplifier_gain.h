#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "spectrum/amplifier_spectrum_fields.h"

namespace korva {

// One entry of the COARSE list: the code stored in register 18 bits 0-1
// and the gain factor it gives.
struct CoarseGainEntry {
  std::uint16_t code = 0;
  double factor = 1.0;
};

// The list keeps at most this many entries; a remembered index beyond it
// reads as the first entry.
inline constexpr int kMaxCoarseGainEntries = 32;

// Codes 0..3 with factors starting at exactly 1.0 and multiplied by sqrt(2)
// from one entry to the next.
std::vector<CoarseGainEntry> BuildCoarseGainTable();
// The list text of a factor, "%10.2f".
std::string CoarseGainText(double factor);

// The coarse entry register 18 selects: the last entry whose code equals
// the register's bits (steps - 1), 0 when none does.
int CoarseIndexOfRegister(const std::vector<CoarseGainEntry>& table, std::uint16_t register18, int steps);

// Register 18 after the amplifier's compose: bits 0-1 and 5-7 cleared and
// the coarse code put in, bit 15 input E and bit 14 PHA mode; bits 2-4 and
// 8-13 kept.
std::uint16_t ComposeRegister18(std::uint16_t register18, std::uint16_t coarseCode, int steps, bool inputE,
                                bool pha);

// Fine gain: an integer 0..4095 giving the factor 1.0 .. 1.2, stored in
// register 17 as (4095 - fine) x 16.
inline constexpr int kMaxFine = 4095;
int ClampFine(int fine);
double FineFactor(int fine);
std::uint16_t FineRegister(int fine);
int FineOfRegister(std::uint16_t register17);
// The FINE and TOTAL texts, "%5.5f".
std::string GainText(double factor);

// A typed fine factor: accepted when it reads as a number with
// 1.0 <= x < 1.2000001, and turned into the fine value it encodes (the
// spin position (x - 1) x 4095 / 0.2, truncated). Anything else is refused.
std::optional<int> FineOfTypedFactor(std::string_view text);

}  // namespace korva
