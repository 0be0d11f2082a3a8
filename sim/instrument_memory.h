#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "devicelink/wire_frame.h"
#include "sim/register_bank.h"

namespace korva::sim {

// Layout of the data memory: two 4096-channel spectrum halves, then from
// entry 8192 the 64 TDCR run records of 128 entries each.
inline constexpr std::size_t kSpectrumHalfEntries = 4096;
inline constexpr std::size_t kSpectrumAreaEntries = 2 * kSpectrumHalfEntries;

// Everything the host can read: registers, the 16384-entry data memory and
// the last captured trace record.
struct InstrumentMemory {
  RegisterBank registers;
  std::vector<std::uint32_t> data = std::vector<std::uint32_t>(wire::kSpectrumEntries, 0);
  std::array<std::uint8_t, wire::kTraceBytes> trace{};
};

}  // namespace korva::sim
