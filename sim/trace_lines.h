#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/analyser_settings.h"
#include "sim/register_bank.h"

namespace korva::sim {

// One pulse as the trace unit sees it: when it arrives (in clock ticks)
// and its height in spectrum channels, on the gain the spectrum uses.
struct TracePulse {
  double arrival = 0.0;
  double height = 0.0;
};

// The shapers and the analyser as the logic lines follow them, in ticks
// and channels.
struct TraceShapes {
  double slowRise = 1.0;
  double slowFlat = 0.0;
  double fastRise = 1.0;
  double fastFlat = 0.0;
  double slowThreshold = 0.0;
  double fastThreshold = 0.0;
  std::uint16_t roiLow = 0;  // registers 27-28, full-resolution channels
  std::uint16_t roiHigh = 0;

  double SlowLength() const { return 2.0 * slowRise + slowFlat; }
  double FastLength() const { return 2.0 * fastRise + fastFlat; }
};

// A shaper time register's value in ticks, never below one.
double ShaperTicks(std::uint16_t value);

// The shapes of registers 2-5 and 27-28 with the analyser's thresholds.
TraceShapes ReadTraceShapes(const RegisterBank& registers, const AnalyserSettings& analyser);

// A stretch of time [start, end) during which a logic line is set.
struct LineInterval {
  double start = 0.0;
  double end = 0.0;
};
using LineIntervals = std::array<std::vector<LineInterval>, 8>;

// The logic lines the pulses (sorted by arrival) raise:
//   0 F LLD    while the fast trapezoid lies above the fast threshold;
//   1 S LLD    while the slow trapezoid lies above the slow threshold;
//   2 PKDT     on the slow flat top of each pulse the processor takes (one
//              above the fast threshold arriving while it is not busy);
//   3 STORE    briefly after the flat top of a taken pulse that goes into
//              the spectrum: above the slow threshold, below channel 4096
//              and not piled up;
//   4 PUR      from a second pulse's arrival while a taken one is still
//              being shaped until that one's end (neither is stored);
//   5 INHIBIT  while the processor is busy with a taken pulse;
//   6 INPUT R  never: nothing drives the external input;
//   7 ROI-SCA  with STORE when the stored channel lies within 27-28.
// Overlapping stretches of one line are merged.
LineIntervals TraceLineIntervals(const std::vector<TracePulse>& pulses, const TraceShapes& shapes);

inline constexpr double kStoreTicks = 8.0;

// The first rising edge at or after `from` and before `until` of `line`
// (its falling edge when `inverted`, where the inverted line rises).
std::optional<double> TriggerEdge(const std::vector<LineInterval>& line, bool inverted, double from,
                                  double until);

// Whether any stretch of `line` overlaps [start, end).
bool LineSetWithin(const std::vector<LineInterval>& line, double start, double end);

}  // namespace korva::sim
