#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace korva {

// The counters of one run record, by their number in the record. Timers
// count 1 ms ticks; the three clock counters count 10 MHz periods.
// clang-format off
enum class TdcrCounter : std::size_t {
  kRawA, kExt1A, kExt2A, kRawB, kExt1B, kExt2B, kRawC, kExt1C, kExt2C,  // 0-8
  kAbN1, kBcN1, kAcN1, kTN1,                                            // 9-12
  kLiveA1, kLiveA2, kLiveB1, kLiveB2, kLiveC1, kLiveC2,                 // 13-18
  kLiveAb1, kLiveAc1, kLiveBc1, kLiveT1,                                // 19-22
  kAbM1, kBcM1, kAcM1, kTM1,                                            // 23-26
  kLiveAb2, kLiveAc2, kLiveBc2, kLiveT2,                                // 27-30
  kAbN2, kBcN2, kAcN2, kTN2,                                            // 31-34
  kAbM2, kBcM2, kAcM2, kTM2,                                            // 35-38
  kDN1, kDN2, kDM1, kDM2,                                               // 39-42
  kRealTime,                                                            // 43
  kInt10MHz, kIntRef10MHz, kExtRef10MHz,                                // 44-46
};
// clang-format on

// The instrument keeps one record per run in data memory entries
// 8192-16383: run n (1..64) starts at entry 8192 + 128 (n - 1) and holds 64
// unsigned 64-bit counters, each as two 32-bit entries, low half first.
inline constexpr std::size_t kRunCount = 64;
inline constexpr std::size_t kFirstRunRecordEntry = 8192;
inline constexpr std::size_t kRunRecordEntries = 128;

struct TdcrRunRecord {
  std::array<std::uint64_t, kRunRecordEntries / 2> counters{};

  // The record of the run with 0-based index `runIndex` (0..63) from the
  // image of the data memory.
  static TdcrRunRecord Read(std::span<const std::uint32_t> memory, std::size_t runIndex);
};

// The shared copy of counters 0..47 of the run the TDCR views show; both
// views and the measurement files read it.
struct DisplayedRun {
  static constexpr std::size_t kCounterCount = 48;
  std::array<std::uint64_t, kCounterCount> counters{};

  DisplayedRun() = default;
  explicit DisplayedRun(const TdcrRunRecord& record);
  std::uint64_t operator[](TdcrCounter counter) const { return counters[static_cast<std::size_t>(counter)]; }
};

// The VIEW RUN list: 0 "In Progress", then the runs "1".."64".
inline constexpr int kViewRunInProgress = 0;
inline constexpr int kLastViewRun = 64;

// The 0-based index of the run shown for a VIEW RUN selection: "In
// Progress" follows the instrument's current run index (register 91 bits
// 8-13), n shows run n; the result is limited to 0..63.
std::size_t ShownRunIndex(int viewRun, std::uint16_t runsRegister);

// The real-time counters of all 64 records added up in 64-bit arithmetic.
std::uint64_t TotalRealTimeTicks(std::span<const std::uint32_t> memory);

}  // namespace korva
