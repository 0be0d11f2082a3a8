#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "devicelink/wire_frame.h"

namespace korva::sim {

// Register numbers the instrument itself acts on.
namespace reg {
inline constexpr std::size_t kModel = 15;           // bits 12-15 model code
inline constexpr std::size_t kControl = 16;         // control word, bits in control_bit
inline constexpr std::size_t kAmplifierInput = 18;  // bit 15: acquire into entries 0-4095
inline constexpr std::size_t kTraceDecimation = 24;
inline constexpr std::size_t kTraceDelay = 25;
inline constexpr std::size_t kTraceSetup = 26;
inline constexpr std::size_t kRoiScaLow = 27;
inline constexpr std::size_t kRoiScaHigh = 28;
inline constexpr std::size_t kPresetTimeLow = 42;  // 42/43: preset in 10 ms units
inline constexpr std::size_t kRealTimeLow = 56;    // 56/57: real time in 10 ms units
inline constexpr std::size_t kLiveTimeLow = 58;    // 58/59: live time in 10 ms units
inline constexpr std::size_t kRealTimeFine = 60;
inline constexpr std::size_t kLiveTimeFine = 61;
inline constexpr std::size_t kFpgaVersion = 63;
}  // namespace reg

namespace control_bit {
inline constexpr std::uint16_t kRun = 1u << 0;
inline constexpr std::uint16_t kRunCompanion = 1u << 1;
inline constexpr std::uint16_t kEraseRequest = 1u << 2;
inline constexpr std::uint16_t kLiveTimer = 1u << 3;
inline constexpr std::uint16_t kEraseDone = 1u << 4;
inline constexpr std::uint16_t kEraseArmed = 1u << 5;
inline constexpr std::uint16_t kTraceReady = 1u << 15;
}  // namespace control_bit

// The instrument's 128 registers. The host writes through HostWrite, which
// leaves alone what only the instrument may change: the model code, the FPGA
// version, the rate meters, the estimated thresholds and the acquisition times. The trace-ready
// flag can be cleared by the host but is set only by a capture.
class RegisterBank {
 public:
  std::uint16_t operator[](std::size_t index) const { return words_[index]; }
  bool Test(std::size_t index, std::uint16_t mask) const { return (words_[index] & mask) != 0; }
  std::uint32_t Get32(std::size_t lowIndex) const;

  void Set(std::size_t index, std::uint16_t value) { words_[index] = value; }
  void SetBits(std::size_t index, std::uint16_t mask);
  void ClearBits(std::size_t index, std::uint16_t mask);
  void Set32(std::size_t lowIndex, std::uint32_t value);

  void HostWrite(std::size_t index, std::uint16_t value);

 private:
  static std::uint16_t HostWritableMask(std::size_t index);

  std::array<std::uint16_t, wire::kRegisterCount> words_{};
};

}  // namespace korva::sim
