#pragma once

#include <array>
#include <cstdint>

namespace korva {

// The instrument's four digital I/O lines: Din (always the slow ADC input),
// Rin, and the outputs Rout, S and T. Register 75 holds their drive flags,
// register 76 the function each output carries.

inline constexpr std::array<const char*, 1> kDinFunctionTexts = {"SLOW ADC"};
inline constexpr std::array<const char*, 4> kRinFunctionTexts = {"NONE", "10MHz REF CLK", "COINCIDENCE",
                                                                 "INV COINCIDENCE"};
inline constexpr std::array<const char*, 5> kDriveTexts = {"DISABLED", "PUSH-PULL", "OPEN_DRAIN",
                                                           "INV PUSH-PULL", "INV OPEN DRAIN"};
inline constexpr std::array<const char*, 4> kRoutFunctionTexts = {"PMT_A", "PMT_A_EXT1", "PMTA_A_W_N",
                                                                  "5MHz INT CLK"};
inline constexpr std::array<const char*, 4> kSFunctionTexts = {"PMT_B", "PMT_B_EXT1", "PMTA_B_W_N",
                                                               "10MHz INT REF"};
inline constexpr std::array<const char*, 4> kTFunctionTexts = {"PMT_C", "PMT_C_EXT1", "PMTA_C_W_N",
                                                               "PEAK DET"};

enum class OutputLine { kRout, kS, kT };
inline constexpr std::array<OutputLine, 3> kOutputLines = {OutputLine::kRout, OutputLine::kS, OutputLine::kT};

// Register 75 as the amplifier writes it: the thirteen flag bits it keeps
// (the three flags of each line, bits 15..4, and bit 3, which the form does
// not show and carries over from the last read-back); bits 2..0 are 0.
std::uint16_t ComposeRegister75(std::uint16_t flags);

// DRIVE list of an output. Position 0 (DISABLED) clears only the enable bit,
// so the open-drain and invert bits the line had survive a disable and come
// back when it is enabled again; positions 1..4 set all three flags.
int DrivePosition(std::uint16_t flags, OutputLine line);
std::uint16_t WithDrivePosition(std::uint16_t flags, OutputLine line, int position);

// Rin FUNC list: enable (bit 15), coincidence (bit 4) and invert (bit 11).
int RinPosition(std::uint16_t flags);
std::uint16_t WithRinPosition(std::uint16_t flags, int position);

// FUNC lists of the outputs in register 76: Rout bits 5..4, S bits 3..2,
// T bits 1..0; the other bits are written 0.
int FunctionPosition(std::uint16_t register76, OutputLine line);
std::uint16_t ComposeRegister76(const std::array<int, 3>& functions);

}  // namespace korva
