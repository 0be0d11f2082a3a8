#include "sim/tdcr_run_record.h"

#include <algorithm>

namespace korva::sim {

namespace tdcr_counter {

std::size_t LiveTime(ChannelSet set, std::size_t extension) {
  switch (set) {
    case ChannelSet::kA:
      return 13 + extension;
    case ChannelSet::kB:
      return 15 + extension;
    case ChannelSet::kC:
      return 17 + extension;
    case ChannelSet::kAB:
      return 19 + 8 * extension;
    case ChannelSet::kAC:
      return 20 + 8 * extension;
    case ChannelSet::kBC:
      return 21 + 8 * extension;
    case ChannelSet::kABC:
      return 22 + 8 * extension;
  }
  return 0;
}

std::size_t Coincidence(ChannelSet set, std::size_t window, std::size_t extension) {
  // The blocks of AB, BC, AC, T start at 9 (N1), 23 (M1), 31 (N2) and 35 (M2).
  constexpr std::size_t kBlock[2][2] = {{9, 31}, {23, 35}};
  const std::size_t base = kBlock[window][extension];
  switch (set) {
    case ChannelSet::kAB:
      return base;
    case ChannelSet::kBC:
      return base + 1;
    case ChannelSet::kAC:
      return base + 2;
    default:
      return base + 3;
  }
}

}  // namespace tdcr_counter

void WriteTdcrRunRecord(InstrumentMemory& memory, int runIndex, const TdcrRunRecord& record) {
  const std::size_t first = kTdcrRecordArea + kTdcrRecordEntries * static_cast<std::size_t>(runIndex);
  for (std::size_t i = 0; i < record.size(); ++i) {
    memory.data[first + 2 * i] = static_cast<std::uint32_t>(record[i]);
    memory.data[first + 2 * i + 1] = static_cast<std::uint32_t>(record[i] >> 32);
  }
}

void ClearTdcrRunRecords(InstrumentMemory& memory) {
  std::fill(memory.data.begin() + kTdcrRecordArea, memory.data.end(), 0u);
}

}  // namespace korva::sim
