#pragma once

#include <chrono>
#include <cstdint>
#include <random>

#include "sim/instrument_process.h"
#include "sim/pulse_height_source.h"

namespace korva::sim {

// The trace unit. A write of the trace settings (registers 24-28) captures a
// trace at once with the new settings. Otherwise, once the trace-ready flag
// (register 16 bit 15) has been cleared, by the host's write or by a read of
// the trace record, the next pulse is captured after kRearmTime. Each capture
// replaces the trace record and sets the flag.
class TraceCapture : public InstrumentProcess {
 public:
  static constexpr std::chrono::milliseconds kRearmTime{20};

  explicit TraceCapture(std::uint32_t seed);

  void OnRegistersWritten(InstrumentMemory& memory, RegisterRange written) override;
  void Advance(InstrumentMemory& memory, std::chrono::microseconds elapsed) override;

 private:
  void Capture(InstrumentMemory& memory);

  std::mt19937 random_;
  PulseHeightSource source_;
  std::chrono::microseconds armedFor_{0};
};

}  // namespace korva::sim
