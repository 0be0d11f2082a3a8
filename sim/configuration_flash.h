#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "devicelink/wire_frame.h"

namespace korva::sim {

inline constexpr std::size_t kDefaultFlashBytes = std::size_t{2} << 20;

// Length of the FPGA transfer frame that starts with `command` (its first
// byte): 521 for an upload (210), 11 for a verify (215), 9 for the
// configure command (246); 0 for any other byte.
std::size_t FpgaFrameLength(std::uint8_t command);

// The configuration flash the instrument loads its FPGA from, erased (all
// 0xFF) at power-on, and its answers to the FPGA transfer frames:
//   upload     512 bytes written at the address; reply: the frame's
//              command, length 9, the address, checksum
//   verify     reply: 215, length 523, the address, 512, the 512 flash
//              bytes there, checksum
//   configure  reply: 246, length 9, the two fixed words, checksum
// A frame whose block does not lie inside the flash gets no reply, as does
// one whose length field is wrong.
class ConfigurationFlash {
 public:
  explicit ConfigurationFlash(std::size_t bytes = kDefaultFlashBytes);

  // The reply to a whole frame whose checksum holds (see FpgaFrameLength);
  // empty when the instrument leaves it unanswered.
  std::optional<wire::Frame> Answer(std::span<const std::uint8_t> frame);

  std::span<std::uint8_t> Bytes() { return bytes_; }
  std::span<const std::uint8_t> Bytes() const { return bytes_; }
  // How often the FPGA was loaded from the flash.
  unsigned Configurations() const { return configurations_; }

 private:
  std::optional<wire::Frame> Upload(std::span<const std::uint8_t> frame);
  std::optional<wire::Frame> Verify(std::span<const std::uint8_t> frame);
  wire::Frame Configure();
  bool HoldsBlock(std::uint32_t address) const;

  std::vector<std::uint8_t> bytes_;
  unsigned configurations_ = 0;
};

}  // namespace korva::sim
