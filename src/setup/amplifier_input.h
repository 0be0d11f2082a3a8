#pragma once

#include <array>
#include <cstdint>

#include "spectrum/analyser_input.h"

namespace korva {

inline constexpr int kInputEListIndex = 8;
inline constexpr int kFirstPhaListIndex = 4;

// What one MCA INPUT entry selects: the input number of register 83
// bits 0-1 (0 A, 1 B, 2 C, 3 A+B+C), pulse-height-analysis mode (register 18
// bit 14) and input E (register 18 bit 15).
struct McaInput {
  int number = 0;
  bool pha = false;
  bool inputE = false;

  friend bool operator==(const McaInput&, const McaInput&) = default;
};

// The selection of list entry `listIndex` (0..8); an index outside the list
// selects the first entry.
McaInput McaInputOfListIndex(int listIndex);

// The list entry that shows a selection: input E first, then the PHA
// entries, then the DPP entries.
int ListIndexOfMcaInput(const McaInput& input);

// Register 83 with bits 0-1 set to the input number, the other bits kept.
std::uint16_t WithMcaInputNumber(std::uint16_t register83, int number);
int McaInputNumber(std::uint16_t register83);

}  // namespace korva
