#pragma once

#include <cstdint>
#include <random>

namespace korva::sim {

// The radioactive source the virtual instrument looks at: one line (a
// Gaussian photopeak) on a falling continuum, spread over 4096 channels.
class PulseHeightSource {
 public:
  static constexpr double kEventRate = 2500.0;       // detected events per second
  static constexpr double kDeadTimePerEvent = 4e-6;  // seconds the analyser is busy per event
  static constexpr double kPeakChannel = 1100.0;

  // Channel (0-4095) of the next detected event.
  std::uint32_t SampleChannel(std::mt19937& random) const;

  // Fraction of real time the analyser is busy at this source's rate.
  static constexpr double DeadFraction() { return kEventRate * kDeadTimePerEvent; }
};

}  // namespace korva::sim
