#pragma once

#include <algorithm>
#include <array>
#include <chrono>

namespace korva {

// How far one repeat of a held spin arrow of the TDCR form moves: the step
// of the last entry whose holding time has passed, 1 before the first.
struct SpinAcceleration {
  std::chrono::milliseconds held;
  int step;
};

inline constexpr std::array<SpinAcceleration, 4> kTdcrSpinAccelerations = {{
    {std::chrono::seconds(2), 1},
    {std::chrono::seconds(4), 10},
    {std::chrono::seconds(6), 100},
    {std::chrono::seconds(8), 1000},
}};

// The shaper and PHA forms follow the same acceleration, up to 100: the
// step by which one repeat of their spin arrows moves a field.
inline int SetupSpinStep(int step) {
  constexpr int kLargest = 100;
  return std::clamp(step, -kLargest, kLargest);
}

// The step of a spin arrow held for `held`.
inline int AcceleratedSpinStep(std::chrono::milliseconds held) {
  int step = 1;
  for (const SpinAcceleration& acceleration : kTdcrSpinAccelerations) {
    if (held >= acceleration.held) step = acceleration.step;
  }
  return step;
}

}  // namespace korva
