#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace korva {

// Seconds from the measurement start to the start of the run with 0-based
// index `runIndex`: every earlier run's real time plus one gap after it,
// each in that run's own time base (K of the `source` reference). Runs of
// unequal length (a STOP, a LIVE stop timer) therefore keep true offsets;
// for runs of equal length this is (gap x K x 1000 + RT) x i.
// The gap the offsets count after each run: the preset gap time, a gap of
// 0 counting as 0.0001 s.
double GapSecondsForOffsets(const std::array<std::uint16_t, 128>& registers);

double RunStartOffset(std::span<const std::uint32_t> memory, std::size_t runIndex, int source,
                      double gapSeconds);

}  // namespace korva
