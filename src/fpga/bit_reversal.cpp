#include "fpga/bit_reversal.h"

#include <array>

namespace korva {

namespace {

constexpr std::array<std::uint8_t, 256> kReversed = [] {
  std::array<std::uint8_t, 256> table{};
  for (unsigned byte = 0; byte < table.size(); ++byte)
    table[byte] = ReverseBits(static_cast<std::uint8_t>(byte));
  return table;
}();

}  // namespace

void ReverseBits(std::span<std::uint8_t> bytes) {
  for (std::uint8_t& byte : bytes) byte = kReversed[byte];
}

}  // namespace korva
