#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "sim/beta_pulse_source.h"
#include "sim/instrument_process.h"
#include "sim/spectrum_source_options.h"
#include "sim/trace_lines.h"

namespace korva::sim {

// The trace unit. It is armed while the trace-ready flag (register 16
// bit 15) is clear: cleared by a read of the trace record, by a host write
// of register 16 with the bit clear, and by a write of the trace settings
// (registers 24-28), so the next trace follows the new settings.
//
// Armed, it looks at the decays of the vial the spectrum acquisition sees
// (same source, same gain and thresholds). With the normal trigger a decay
// that raises the trigger line (register 26 bits 3-5; its falling edge
// with bit 6) captures a trace with that edge at the trigger delay
// (register 25); a decay that does not raise it is passed over. With the
// random trigger (bit 7) a trace is captured after a random wait, wherever
// the pulses then fall. The digital pulser's pulses, while it is on, show
// among the decays; the normal trigger waits for a decay. Each capture replaces the trace record and sets
// the flag.
class TraceCapture : public InstrumentProcess {
 public:
  // Longest look for a trigger within one Advance, so a line that never
  // rises costs bounded time.
  static constexpr int kMaxCandidatesPerAdvance = 64;
  static constexpr double kRandomWaitTicks = 125000.0;  // 1 ms on average

  TraceCapture(std::uint32_t seed, const SpectrumSourceOptions& source = {});

  void OnRegistersWritten(InstrumentMemory& memory, RegisterRange written) override;
  void Advance(InstrumentMemory& memory, std::chrono::microseconds elapsed) override;

  // Builds the pulses around a trigger candidate of `height` arriving at 0
  // and returns where the window starts when the candidate fires the
  // trigger; the pulses include the candidate. Exposed for tests.
  struct Capture {
    double windowStart = 0.0;
    std::vector<TracePulse> pulses;
    LineIntervals lines;
  };
  std::optional<Capture> TryTrigger(const RegisterBank& registers, const AnalyserSettings& analyser,
                                    double height);
  Capture RandomWindow(const RegisterBank& registers, const AnalyserSettings& analyser);

 private:
  double NextHeight(const AnalyserSettings& analyser);
  double DecayGapTicks();
  // Decays, besides the candidate, arriving within [from, to).
  void AddBackground(std::vector<TracePulse>& pulses, const AnalyserSettings& analyser, double from,
                     double to);
  // The pulser's pulses within [from, to), while it is on.
  void AddPulser(std::vector<TracePulse>& pulses, const AnalyserSettings& analyser, double from, double to);
  void Store(InstrumentMemory& memory, const Capture& capture);
  void Rearm();

  std::mt19937 random_;
  BetaPulseSource source_;
  double activityPerTick_;
  double waitTicks_ = 0.0;  // until the next decay (normal) or the capture (random)
  bool waiting_ = false;
};

}  // namespace korva::sim
