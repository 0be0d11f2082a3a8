#include "tdcr/tdcr_run_record.h"

#include <algorithm>

#include "tdcr/tdcr_settings.h"

namespace korva {

TdcrRunRecord TdcrRunRecord::Read(std::span<const std::uint32_t> memory, std::size_t runIndex) {
  TdcrRunRecord record;
  const std::span<const std::uint32_t> entries =
      memory.subspan(kFirstRunRecordEntry + kRunRecordEntries * runIndex, kRunRecordEntries);
  for (std::size_t i = 0; i < record.counters.size(); ++i) {
    record.counters[i] = static_cast<std::uint64_t>(entries[2 * i + 1]) << 32 | entries[2 * i];
  }
  return record;
}

DisplayedRun::DisplayedRun(const TdcrRunRecord& record) {
  std::copy_n(record.counters.begin(), kCounterCount, counters.begin());
}

std::size_t ShownRunIndex(int viewRun, std::uint16_t runsRegister) {
  const int index = viewRun == kViewRunInProgress ? CurrentRunIndex(runsRegister) : viewRun - 1;
  return static_cast<std::size_t>(std::clamp(index, 0, static_cast<int>(kRunCount) - 1));
}

std::uint64_t TotalRealTimeTicks(std::span<const std::uint32_t> memory) {
  std::uint64_t total = 0;
  for (std::size_t run = 0; run < kRunCount; ++run) {
    total += TdcrRunRecord::Read(memory, run).counters[static_cast<std::size_t>(TdcrCounter::kRealTime)];
  }
  return total;
}

}  // namespace korva
