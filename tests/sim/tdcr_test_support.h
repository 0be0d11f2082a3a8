#pragma once

#include <chrono>
#include <cstdint>

#include "sim/tdcr_run_record.h"
#include "sim/virtual_instrument.h"
#include "sim_test_support.h"

namespace korva::sim::testing {

// Control words as the program writes them, from the power-on word 0x0210.
inline constexpr std::uint16_t kStartWord = 0x0014;          // run set, idle cleared
inline constexpr std::uint16_t kStopWord = 0x0110;           // run cleared, interrupted set
inline constexpr std::uint16_t kResetWord = 0x0320;          // after STOP: idle and reset request set
inline constexpr std::uint16_t kResetAndStartWord = 0x0024;  // RESET during a run, then START at once

inline void WriteControl(VirtualInstrument& instrument, std::uint16_t control) {
  WriteRegisters(instrument, 83, {control});
}

// Runs, time per run and gap, the other settings as the instrument has them.
inline void SetUpSequence(VirtualInstrument& instrument, int runs, std::uint32_t presetMs,
                          std::uint32_t gapMs) {
  WriteRegisters(instrument, 88,
                 {static_cast<std::uint16_t>(presetMs), static_cast<std::uint16_t>(presetMs >> 16)});
  WriteRegisters(instrument, 98,
                 {static_cast<std::uint16_t>(gapMs), static_cast<std::uint16_t>(gapMs >> 16)});
  WriteRegisters(instrument, 91, {static_cast<std::uint16_t>(runs - 1)});
}

// Lets `total` pass in steps, as the pseudo-terminal server does.
inline void AdvanceBy(VirtualInstrument& instrument, std::chrono::milliseconds total,
                      std::chrono::milliseconds step = std::chrono::milliseconds(10)) {
  for (std::chrono::milliseconds done{0}; done < total; done += step) instrument.Advance(step);
}

// The record of run `run` (1..64) as it stands in the data memory.
inline TdcrRunRecord RecordOf(VirtualInstrument& instrument, int run) {
  const auto& data = instrument.Memory().data;
  const std::size_t first = kTdcrRecordArea + kTdcrRecordEntries * static_cast<std::size_t>(run - 1);
  TdcrRunRecord record{};
  for (std::size_t i = 0; i < record.size(); ++i) {
    record[i] = data[first + 2 * i] | static_cast<std::uint64_t>(data[first + 2 * i + 1]) << 32;
  }
  return record;
}

inline int RunIndex(VirtualInstrument& instrument) { return (ReadRegister(instrument, 91) >> 8) & 0x3F; }

inline bool Running(VirtualInstrument& instrument) { return ReadRegister(instrument, 83) & (1u << 2); }

}  // namespace korva::sim::testing
