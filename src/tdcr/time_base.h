#pragma once

#include "tdcr/tdcr_run_record.h"

namespace korva {

// Seconds per timer tick when the time base is taken as exact.
inline constexpr double kNominalTimeBase = 0.001;

// TimeBaseFactor K of the shown run: 0.001 s per tick, corrected by the
// ratio of a 10 MHz reference count to the internal 10 MHz count when that
// ratio lies strictly within 1 +- 25 ppm. `source` is the SOURCE entry the
// counters view shows: 1 takes the internal reference (counter 45), 2 the
// external one (counter 46), anything else the internal count itself. A
// zero internal count, or a ratio outside the band, leaves K nominal.
double TimeBaseFactor(const DisplayedRun& run, int source);

}  // namespace korva
