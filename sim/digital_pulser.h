#pragma once

#include <cstdint>

namespace korva::sim {

// The analyser's digital pulser. While it is on (register 16 bit 9 clear)
// it feeds the analyser, behind the tubes and ahead of the amplifier, one
// pulse of a fixed height every millisecond on a fixed time grid. The pulse
// takes the gain and the slow shaper's noise like a tube pulse, so the
// pulser makes one narrow Gaussian peak at kPulserChannel x gain, as wide as
// that noise (2 channels rms at gain 1 with the power-on shaper); the rate
// meters, the dead time, the pile-up and the thresholds treat it like any
// other pulse. Channel 2000 lies in the middle of a half at gain 1 and still
// inside it at coarse gain 2.
inline constexpr std::int64_t kPulserPeriodNs = 1'000'000;  // 1000 pulses per second
inline constexpr double kPulserChannel = 2000.0;            // at gain 1

// The first pulser pulse at or after `nowNs` (>= 0).
constexpr std::int64_t NextPulserPulse(std::int64_t nowNs) {
  return (nowNs + kPulserPeriodNs - 1) / kPulserPeriodNs * kPulserPeriodNs;
}

}  // namespace korva::sim
