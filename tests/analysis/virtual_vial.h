#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

#include "../sim/tdcr_test_support.h"
#include "tdcr/tdcr_run_record.h"

namespace korva::test {

// Windows N 40 ns and M 200 ns, extensions 0.640 and 8.016 us, both IDT.
inline constexpr std::uint16_t kWindowsN40M200 = 3 | 15 << 4;
inline constexpr std::uint16_t kExtension1At640ns = 78;
inline constexpr std::uint16_t kExtension2At8us = 1000;

// The run records of a sequence the virtual instrument counts for a vial.
inline std::vector<TdcrRunRecord> MeasureVial(const sim::TdcrOptions& vial, int runs, std::uint32_t runMs,
                                              std::uint32_t seed, std::uint16_t windows = kWindowsN40M200) {
  using namespace korva::sim::testing;
  sim::VirtualInstrument instrument(sim::InstrumentIdentity{}, seed, vial);
  SetUpSequence(instrument, runs, runMs, 0);
  WriteRegisters(instrument, 84, {kExtension1At640ns, kExtension2At8us});
  WriteRegisters(instrument, 90, {windows});
  WriteControl(instrument, kStartWord);
  AdvanceBy(instrument, std::chrono::milliseconds(runs * runMs + 100), std::chrono::milliseconds(50));
  std::vector<TdcrRunRecord> records;
  for (int run = 1; run <= runs; ++run) {
    const sim::TdcrRunRecord counted = RecordOf(instrument, run);
    TdcrRunRecord record;
    std::copy(counted.begin(), counted.end(), record.counters.begin());
    records.push_back(record);
  }
  return records;
}

}  // namespace korva::test
