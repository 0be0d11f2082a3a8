#pragma once

#include <chrono>
#include <cstdint>
#include <random>

#include "sim/instrument_process.h"
#include "sim/pulse_height_source.h"

namespace korva::sim {

// The multichannel analyser. While the run bit (register 16 bit 0) is set it
// counts the source's events into one spectrum half (entries 0-4095 when
// register 18 bit 15 is set, else 4096-8191) and keeps the real and live
// times of registers 56-59 in 10 ms units; it clears the run bits when the
// stop-timer preset (registers 42/43, real or live time by register 16 bit 3)
// is reached. An erase request (register 16 bit 2 in a host write) clears
// both halves and the times, then completes the handshake in register 16:
// bits 2 and 5 cleared, bit 4 set.
class SpectrumAcquisition : public InstrumentProcess {
 public:
  explicit SpectrumAcquisition(std::uint32_t seed);

  void OnRegistersWritten(InstrumentMemory& memory, RegisterRange written) override;
  void Advance(InstrumentMemory& memory, std::chrono::microseconds elapsed) override;

 private:
  void Erase(InstrumentMemory& memory);
  void CountEvents(InstrumentMemory& memory, std::chrono::microseconds elapsed);
  void PublishTimes(InstrumentMemory& memory) const;
  void StopAtPreset(InstrumentMemory& memory) const;

  std::mt19937 random_;
  PulseHeightSource source_;
  std::chrono::microseconds realTime_{0};
};

}  // namespace korva::sim
