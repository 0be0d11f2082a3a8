#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace korva {

// The instrument's coarse gain has four steps of a factor sqrt(2):
// 1.00, 1.41, 2.00, 2.83.
inline constexpr int kCoarseGainSteps = 4;

// What a spectrum record keeps for the amplifier besides its register copy:
// the buffer spectrum's describe the instrument's current input, the file
// spectrum's the input the spectrum was recorded with.
struct AmplifierSpectrumFields {
  int coarseSteps = kCoarseGainSteps;
  // The coarse index last used with DPP inputs and with PHA inputs, so
  // switching the input class brings back that class's gain.
  std::array<int, 2> rememberedCoarse{};
  bool pha = false;
  bool inputE = false;
  // Register 18 as last decoded or composed; a read-back that differs from
  // it means the instrument's input or gain changed.
  std::uint16_t register18Shadow = 0;
  std::string inputLabel;

  int& RememberedCoarse(bool phaMode) { return rememberedCoarse[phaMode ? 1 : 0]; }
  int RememberedCoarse(bool phaMode) const { return rememberedCoarse[phaMode ? 1 : 0]; }
};

}  // namespace korva
