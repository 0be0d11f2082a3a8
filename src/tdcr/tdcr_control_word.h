#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "tdcr/start_time_source.h"

namespace korva {

// Register 83: the state of the TDCR measurement and the commands the
// application gives the instrument. Bits 0 and 1 belong to the amplifier
// set-up and pass through every change made here.
class TdcrControlWord {
 public:
  static constexpr std::uint16_t kRun = 0x0004;           // a measurement is in progress
  static constexpr std::uint16_t kResetCleared = 0x0010;  // cleared by RESET
  static constexpr std::uint16_t kResetSet = 0x0020;      // set by RESET
  static constexpr std::uint16_t kSaved = 0x0080;
  static constexpr std::uint16_t kInterrupted = 0x0100;  // ended by STOP
  static constexpr std::uint16_t kIdle = 0x0200;         // reset, ready for START
  static constexpr std::uint16_t kUtcStamp = 0x0400;
  static constexpr std::uint16_t kSystemStamp = 0x0800;
  static constexpr std::uint16_t kStopTimerMask = 0xF000;

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
  int StopTimer() const { return value_ >> 12; }
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
