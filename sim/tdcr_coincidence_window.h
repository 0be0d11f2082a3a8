#pragma once

#include <cstdint>

namespace korva::sim {

struct CoincidenceCounts {
  std::uint64_t ab = 0;
  std::uint64_t bc = 0;
  std::uint64_t ac = 0;
  std::uint64_t t = 0;  // ABC
  std::uint64_t d = 0;  // at least two channels: AB + BC + AC - 2T
};

// The coincidence logic for one window behind one dead-time extension. The
// first accepted pulse opens an event; the pulses of other channels within
// the window after it join it. When the window has passed, the event counts
// once for every pair it holds, as T when it holds all three channels and as
// D when it holds at least two. Pulses arrive in time order, times in ns.
class TdcrCoincidenceWindow {
 public:
  explicit TdcrCoincidenceWindow(double windowNs) : windowNs_(windowNs) {}

  void Add(double timeNs, int channel);
  // Counts the open event if its window has passed by `timeNs`.
  void CloseBefore(double timeNs);
  // Counts the open event now: the run ends.
  void Close();
  const CoincidenceCounts& Counts() const { return counts_; }

 private:
  double windowNs_;
  double openedAt_ = 0.0;
  std::uint8_t channels_ = 0;  // bit 0 A, 1 B, 2 C; 0: no event open
  CoincidenceCounts counts_;
};

}  // namespace korva::sim
