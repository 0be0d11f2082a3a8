#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <random>

#include "sim/analyser_settings.h"
#include "sim/beta_pulse_source.h"
#include "sim/instrument_process.h"

namespace korva::sim {

// The multichannel analyser and its rate meters, looking at the vial of
// `SpectrumSourceOptions`.
//
// Decays arrive as a Poisson process of the vial's activity, one at a time.
// A decay whose pulse on the selected input (AnalyserSettings) reaches the
// fast threshold comes in; the processor takes it unless it is still busy
// with the last one (a non-extending dead time of one slow pulse). A taken
// pulse is put through when its slow pulse ends, and while the run bit
// (register 16 bit 0) is set a pulse put through above the slow threshold
// goes to its channel of the selected half. Channels are the pulse height
// times the gain, plus the slow shaper's noise. The digital pulser's pulses
// (digital_pulser.h) join the decays on their own time grid and take the
// same road. A pulse that comes in while
// one is being shaped piles up on it: without the rejector the two leave as
// one pulse of their summed height; with it both are dropped and the
// processor stays busy until the later one's slow pulse has ended.
//
// While running the real time counts and the live time counts whenever the
// processor is not busy; both are published in registers 56-61 (10 ms units
// and the rest in 16-tick units, the fine count held at 65535 when the rest
// exceeds what 16 bits hold). The run stops itself on the instant the
// stop-timer preset (registers 42/43, 10 ms units, 0 for none) is reached
// on the timer register 16 bit 3 chooses: live (set) or real.
//
// The rate meters count, always, the pulses put through (register 44) and
// those that came in (register 45) in gates of 6104 x 2048 ticks (about
// 100 ms; registers 46 and 47), published at the end of each gate. The
// shapers' threshold estimates are published in registers 48/49 and 52/53,
// in the units of the threshold registers.
//
// An erase request (register 16 bit 2 in a host write) clears both halves
// and the times, then completes the handshake: bits 2 and 5 cleared, bit 4
// set. The start date and time (registers 22, 23) are the host's; the
// analyser keeps them as written.
class SpectrumAcquisition : public InstrumentProcess {
 public:
  static constexpr std::uint16_t kRateGateUnits = 6104;
  static constexpr std::int64_t kRateGateNs = std::int64_t{kRateGateUnits} * 2048 * 8;

  explicit SpectrumAcquisition(std::uint32_t seed, const SpectrumSourceOptions& source = {});

  void OnRegistersWritten(InstrumentMemory& memory, RegisterRange written) override;
  void Advance(InstrumentMemory& memory, std::chrono::microseconds elapsed) override;

  const BetaPulseSource& Source() const { return source_; }

 private:
  using Nanoseconds = std::int64_t;

  void Erase(InstrumentMemory& memory);
  void RunClockTo(InstrumentMemory& memory, Nanoseconds until);
  void CountRunTime(InstrumentMemory& memory, Nanoseconds until);
  void CloseRateGate(InstrumentMemory& memory);
  // A pulse taken by the processor, put through when its slow pulse ends.
  struct ShapedPulse {
    Nanoseconds end = 0;
    double height = 0.0;
    double slowThreshold = 0.0;
    std::size_t firstEntry = 0;
  };

  void Detect(const AnalyserSettings& settings);
  // A pulse of `height` channels, before the noise, reaching the processor.
  void Arrive(const AnalyserSettings& settings, double height);
  void PutThrough(InstrumentMemory& memory);
  Nanoseconds DecayGap();
  void PublishTimes(InstrumentMemory& memory) const;
  void PublishEstimates(InstrumentMemory& memory, const AnalyserSettings& settings) const;

  std::mt19937 random_;
  BetaPulseSource source_;
  Nanoseconds now_ = 0;
  Nanoseconds nextDecay_ = 0;
  Nanoseconds busyUntil_ = 0;
  std::optional<ShapedPulse> shaping_;
  Nanoseconds realTime_ = 0;
  Nanoseconds liveTime_ = 0;
  Nanoseconds gateEnd_ = kRateGateNs;
  std::uint32_t throughputCounts_ = 0;
  std::uint32_t incomingCounts_ = 0;
};

}  // namespace korva::sim
