#pragma once

#include <cstdint>
#include <vector>

#include "tdcr/tdcr_run_record.h"

namespace korva::test {

// Stores `value` as the instrument does: counter c of run n (1..64) in data
// memory entries 8192 + 128 (n - 1) + 2c (low half) and the one after it.
inline void PutCounter(std::vector<std::uint32_t>& memory, std::size_t run, TdcrCounter counter,
                       std::uint64_t value) {
  const std::size_t entry = 8192 + 128 * (run - 1) + 2 * static_cast<std::size_t>(counter);
  memory[entry] = static_cast<std::uint32_t>(value & 0xFFFFFFFFu);
  memory[entry + 1] = static_cast<std::uint32_t>(value >> 32);
}

}  // namespace korva::test
