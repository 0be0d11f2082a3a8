#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "devicelink/register_map.h"
#include "devicelink/wire_frame.h"

namespace korva::sim {

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
