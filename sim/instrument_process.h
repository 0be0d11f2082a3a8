#pragma once

#include <chrono>
#include <cstddef>

#include "sim/instrument_memory.h"

namespace korva::sim {

// Registers first .. first+count-1 of one host write.
struct RegisterRange {
  std::size_t first = 0;
  std::size_t count = 0;

  bool Covers(std::size_t index) const { return index >= first && index < first + count; }
  bool Overlaps(std::size_t low, std::size_t high) const { return low < first + count && high >= first; }
};

// One activity of the instrument (spectrum acquisition, trace capture, ...).
// It reacts to the host's register writes, after the written values are in
// place, and to the passing of time; it works only on the instrument memory.
class InstrumentProcess {
 public:
  virtual ~InstrumentProcess() = default;
  virtual void OnRegistersWritten(InstrumentMemory& memory, RegisterRange written) = 0;
  virtual void Advance(InstrumentMemory& memory, std::chrono::microseconds elapsed) = 0;
};

}  // namespace korva::sim
