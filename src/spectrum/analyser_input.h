#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "devicelink/wire_frame.h"

namespace korva {

// The analyser inputs by name, in the order of the amplifier's MCA INPUT
// list. The leading blanks belong to the texts: they are also the
// spectrum's input label and the first part of the window's caption.
inline constexpr std::array<const char*, 9> kMcaInputTexts = {
    "PMT A - DPP",  " PMT B - DPP", " PMT C - DPP",   " PMT A+B+C-DPP", " PMT A - PHA",
    " PMT B - PHA", " PMT C - PHA", " PMT A+B+C-PHA", "PMT E - DPP"};

// Which analyser input a register set selects, as the amplifier set-up
// decodes it: the index into its nine-entry input list. Register 18 bit 15
// selects input E (index 8); otherwise register 83 bits 0-1 give the PMT
// (A, B, C, A+B+C), moved to the "- PHA" entries 4-7 when register 18 bit 14
// (PHA mode) is set. The spectrum's calibration records are indexed by it.
std::size_t AnalyserInputIndex(const std::array<std::uint16_t, wire::kRegisterCount>& registers);

// Selects input `index` (into kMcaInputTexts) the way AnalyserInputIndex
// reads it back; an index beyond the list changes nothing.
void SelectAnalyserInput(std::array<std::uint16_t, wire::kRegisterCount>& registers, std::size_t index);

// The index of the input named `name` (leading blanks ignored on both
// sides), or none.
std::optional<std::size_t> AnalyserInputNamed(std::string_view name);

// The half of the analyser memory a register set's spectrum lives in: the
// lower half (channels 0-4095) with input E, the upper half otherwise.
bool SelectsLowerHalf(const std::array<std::uint16_t, wire::kRegisterCount>& registers);

}  // namespace korva
