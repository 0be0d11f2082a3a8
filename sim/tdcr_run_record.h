#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "sim/instrument_memory.h"
#include "sim/tdcr_settings.h"

namespace korva::sim {

// The 64 unsigned 64-bit counters of one TDCR run, as the instrument keeps
// them from entry 8192 + 128 x run index, each as two 32-bit entries, low
// half first. Timers count 1 ms ticks, the clock counters 10 MHz periods.
using TdcrRunRecord = std::array<std::uint64_t, 64>;

inline constexpr std::size_t kTdcrRecordArea = kSpectrumAreaEntries;
inline constexpr std::size_t kTdcrRecordEntries = 128;

// Where each counter sits in the record. `channel` is 0..2 for A, B, C,
// `extension` 0 or 1, `window` 0 for N and 1 for M.
namespace tdcr_counter {
inline constexpr std::size_t kRealTime = 43;
inline constexpr std::size_t kInternalClock = 44;
inline constexpr std::size_t kInternalReference = 45;
inline constexpr std::size_t kExternalReference = 46;

constexpr std::size_t Raw(std::size_t channel) { return 3 * channel; }
constexpr std::size_t Single(std::size_t channel, std::size_t extension) {
  return 3 * channel + 1 + extension;
}
// Live time of a channel set; only single channels, AB, AC, BC and ABC have timers.
std::size_t LiveTime(ChannelSet set, std::size_t extension);
// Coincidence counts of AB, BC, AC or ABC (T).
std::size_t Coincidence(ChannelSet set, std::size_t window, std::size_t extension);
constexpr std::size_t Double(std::size_t window, std::size_t extension) {
  return 39 + extension + 2 * window;
}
}  // namespace tdcr_counter

void WriteTdcrRunRecord(InstrumentMemory& memory, int runIndex, const TdcrRunRecord& record);
void ClearTdcrRunRecords(InstrumentMemory& memory);

}  // namespace korva::sim
