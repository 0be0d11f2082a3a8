#include "sim/beta_pulse_source.h"

namespace korva::sim {

namespace {

constexpr double kTubes = 3.0;

// Sum of `photoelectrons` single-electron charges of mean 1: a gamma
// distribution of shape photoelectrons / variance and scale variance.
double PulseHeight(int photoelectrons, std::mt19937& random) {
  if (photoelectrons <= 0) return 0.0;
  constexpr double variance = BetaPulseSource::kSingleElectronVariance;
  return std::gamma_distribution<double>(photoelectrons / variance, variance)(random);
}

}  // namespace

BetaPulseSource::BetaPulseSource(const SpectrumSourceOptions& options)
    : options_(options), spectrum_(options.nuclide), quenching_(options.kB, spectrum_.EndpointKeV()) {}

PmtPulses BetaPulseSource::Decay(std::mt19937& random) const {
  PmtPulses pulses;
  pulses.energyKeV = spectrum_.Draw(random);
  pulses.quenchedKeV = quenching_.QuenchedKeV(pulses.energyKeV);
  const double meanPerTube = pulses.quenchedKeV * options_.photoelectronsPerKeV / kTubes;
  for (double& height : pulses.heights) {
    const int photoelectrons = meanPerTube > 0.0 ? std::poisson_distribution<int>(meanPerTube)(random) : 0;
    height = PulseHeight(photoelectrons, random);
  }
  return pulses;
}

}  // namespace korva::sim
