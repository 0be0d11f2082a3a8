#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "devicelink/register_map.h"
#include "tdcr/start_time_source.h"

namespace korva {

// Register 83: the state of the TDCR measurement and the commands the
// application gives the instrument. Bits 0 and 1 belong to the amplifier
// set-up and pass through every change made here.
class TdcrControlWord {
 public:
  static constexpr std::uint16_t kRun = reg::tdcr_control::kRun;
  static constexpr std::uint16_t kResetCleared = reg::tdcr_control::kResetDone;  // cleared by RESET
  static constexpr std::uint16_t kResetSet = reg::tdcr_control::kResetRequest;   // set by RESET
  static constexpr std::uint16_t kSaved = reg::tdcr_control::kSaved;
  static constexpr std::uint16_t kInterrupted = reg::tdcr_control::kInterrupted;
  static constexpr std::uint16_t kIdle = reg::tdcr_control::kIdle;
  static constexpr std::uint16_t kUtcStamp = reg::tdcr_control::kUtcStamp;
  static constexpr std::uint16_t kSystemStamp = reg::tdcr_control::kSystemStamp;
  static constexpr std::uint16_t kStopTimerMask = reg::tdcr_control::kStopTimerMask;

  explicit TdcrControlWord(std::uint16_t value) : value_(value) {}
  std::uint16_t Value() const { return value_; }

  bool Running() const { return Has(kRun); }
  bool Idle() const { return Has(kIdle); }
  bool Saved() const { return Has(kSaved); }
  bool Interrupted() const { return Has(kInterrupted); }

  // START: running, neither saved, interrupted nor idle, the start time
  // stamped in `reference` (bit 10 UTC, bit 11 SYSTEM, neither for LOCAL).
  TdcrControlWord Started(StartReference reference) const;
  // STOP: interrupted, no longer running, saved or idle.
  TdcrControlWord Stopped() const;
  // RESET: idle and not saved, with the instrument's reset handshake bits.
  TdcrControlWord Reset() const;
  TdcrControlWord MarkedSaved() const { return TdcrControlWord(value_ | kSaved); }

  // The STOP TIMER list index in bits 12-15. Only four bits are kept, so
  // the list's blank 17th entry stores 0 (REAL).
  int StopTimer() const { return value_ >> reg::tdcr_control::kStopTimerShift; }
  TdcrControlWord WithStopTimer(int listIndex) const;

  // "Reset - Idle", "In Progress - RUN n", or how the last sequence ended.
  // `currentRunIndex` is the 0-based run index of register 91.
  std::string StatusText(int currentRunIndex) const;
  // Runs finished: the current run index, plus the run that just ended
  // normally when the sequence is over and was neither stopped nor reset.
  int CompletedRuns(int currentRunIndex) const;
  // "START TIME: UTC", "START TIME: SYSTEM" or "START TIME: LOCAL".
  std::string StartReferenceLabel() const;

 private:
  bool Has(std::uint16_t bits) const { return (value_ & bits) != 0; }
  TdcrControlWord With(std::uint16_t set, std::uint16_t cleared) const;

  std::uint16_t value_;
};

// The STOP TIMER list of the form, exactly as listed (the leading blanks are
// part of the texts the measurement files write).
inline constexpr std::array<const char*, 17> kStopTimerTexts = {
    "REAL",      " LIVE A1",  " LIVE A2",  " LIVE B1",  " LIVE B2", " LIVE C1",
    " LIVE C2",  "LIVE AB1",  " LIVE AC1", " LIVE BC1", " LIVE T1", " LIVE AB2",
    " LIVE AC2", " LIVE BC2", " LIVE T2",  " REAL",     ""};

}  // namespace korva
