#pragma once

#include <cstdint>
#include <span>

namespace korva {

// The configuration flash takes design bytes with their bit order reversed:
// bit 7 becomes bit 0, bit 6 bit 1, and so on (0x01 -> 0x80, 0x03 -> 0xC0).
constexpr std::uint8_t ReverseBits(std::uint8_t byte) {
  unsigned in = byte;
  unsigned out = 0;
  for (int bit = 0; bit < 8; ++bit) {
    out = (out << 1) | (in & 1u);
    in >>= 1;
  }
  return static_cast<std::uint8_t>(out);
}

void ReverseBits(std::span<std::uint8_t> bytes);

}  // namespace korva
