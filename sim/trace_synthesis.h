#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "devicelink/wire_frame.h"
#include "sim/register_bank.h"
#include "sim/trace_lines.h"

namespace korva::sim {

inline constexpr std::size_t kTraceRecordSamples = wire::kTraceBytes / 4;
// ADC units of a pulse one spectrum channel high.
inline constexpr double kAdcPerChannel = 8.0;

// Builds the trace record of the pulses as the trace unit records them
// with the settings in `registers`: 256 samples of (signed analog value,
// logic lines), 4 bytes each, little-endian. Sample i spans register 24 + 1
// ticks from `windowStart` + i x that span.
//
// The analog line is the selected input (register 26 bits 0-1): SLOW and
// FAST sum the trapezoids of registers 2-5, scaled by their rise time and
// shifted right by the display shift of register 26 bits 8-11 and 12-15
// (two more for the inputs A/B/C, register 18 bit 15 clear), so the
// viewer's division by the rise time shows twice the pulse's ADC height as
// it does for ADC, the preamplifier's decaying steps on a baseline; AUX is
// a quarter of SLOW. Within a decimated sample each pulse shows at its
// largest value, as a peak-detecting decimation does. A logic line is set
// in a sample when it was set at any time within it.
std::array<std::uint8_t, wire::kTraceBytes> SynthesizeTrace(const RegisterBank& registers,
                                                            const std::vector<TracePulse>& pulses,
                                                            const LineIntervals& lines, double windowStart,
                                                            std::mt19937& random);

// Ticks one recorded sample spans: register 24 + 1.
double TicksPerSample(const RegisterBank& registers);

}  // namespace korva::sim
