#include "sim/pulse_height_source.h"

#include "sim/instrument_memory.h"

namespace korva::sim {

namespace {
constexpr double kPeakFraction = 0.65;
constexpr double kPeakSigma = 45.0;
constexpr double kContinuumMean = 700.0;
}  // namespace

std::uint32_t PulseHeightSource::SampleChannel(std::mt19937& random) const {
  std::bernoulli_distribution inPeak(kPeakFraction);
  std::normal_distribution<double> peak(kPeakChannel, kPeakSigma);
  std::exponential_distribution<double> continuum(1.0 / kContinuumMean);
  const double top = static_cast<double>(kSpectrumHalfEntries);
  for (;;) {
    const double channel = inPeak(random) ? peak(random) : continuum(random);
    if (channel >= 0.0 && channel < top) return static_cast<std::uint32_t>(channel);
  }
}

}  // namespace korva::sim
