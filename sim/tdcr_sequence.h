#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <random>

#include "sim/beta_scintillation.h"
#include "sim/instrument_process.h"
#include "sim/tdcr_options.h"
#include "sim/tdcr_run_counters.h"
#include "sim/tdcr_scintillation_source.h"
#include "sim/tdcr_settings.h"

namespace korva::sim {

// The TDCR run sequence, driven by the host through control word 83.
//
// START: a host write that sets bit 2 while the instrument is idle (powered
// on or reset since the last sequence) runs (register 91 bits 0-5) + 1 runs
// of the time per run (88/89, ms), separated by the gap (98/99, ms). Run n
// counts into the record at entry 8192 + 128 (n - 1), published after every
// step of time and final at the run's end, and register 91 bits 8-13 hold
// n - 1 from the run's start on. After the last run the instrument clears
// bit 2. A write that sets bit 2 after a sequence has ended, without a RESET
// in between, comes from a host image older than the end: it is refused by
// clearing bit 2 again, so a finished measurement is never overwritten.
// The counting settings (thresholds, windows, extensions, IDT/CDT) are taken
// at the start of each run; the STOP TIMER (bits 12-15) picks the timer
// that must reach the time per run.
//
// STOP: a host write that clears bit 2 during the sequence (the program's
// STOP also sets bit 8) ends it at once; the current run's record stays as
// far as it got.
//
// RESET: bit 5 in a host write clears the run records (entries 8192-16383)
// and the run index and makes the instrument idle; the instrument answers by
// clearing bit 5 and setting bit 4. If the same write sets bit 2 (the
// program's RESET during a sequence starts a new one at once), the new
// sequence starts after the reset.
//
// From START to the next RESET the run index belongs to the instrument:
// host writes to register 91 change only its other bits. While idle the
// field holds no run, so the host may write it; START sets it to 0.
//
// Instrument time runs `timeScale` times faster than the time passed to Advance.
class TdcrSequence : public InstrumentProcess {
 public:
  // Throws std::invalid_argument when the options name no known emitter.
  TdcrSequence(const TdcrOptions& options, std::uint32_t seed);
  // A run's source keeps a reference to the sequence's light tables.
  TdcrSequence(const TdcrSequence&) = delete;
  TdcrSequence& operator=(const TdcrSequence&) = delete;

  void OnRegistersWritten(InstrumentMemory& memory, RegisterRange written) override;
  void Advance(InstrumentMemory& memory, std::chrono::microseconds elapsed) override;

 private:
  enum class Phase { kIdle, kRun, kGap, kEnded };

  struct Run {
    TdcrScintillationSource source;
    TdcrRunCounters counters;
  };

  bool Running() const { return phase_ == Phase::kRun || phase_ == Phase::kGap; }
  void Reset(InstrumentMemory& memory);
  void Stop(InstrumentMemory& memory);
  void BeginRun(InstrumentMemory& memory, int runIndex);
  void EndRun(InstrumentMemory& memory);
  double CountFor(InstrumentMemory& memory, double availableNs);
  double WaitFor(InstrumentMemory& memory, double availableNs);
  double TimeToRunEnd(const TdcrSettings& settings) const;
  void Publish(InstrumentMemory& memory) const;
  void ShowRunIndex(InstrumentMemory& memory) const;

  TdcrOptions options_;
  BetaScintillation light_;
  std::mt19937 random_;
  Phase phase_ = Phase::kIdle;
  int runIndex_ = 0;
  double gapLeftNs_ = 0.0;
  std::optional<Run> run_;
};

}  // namespace korva::sim
