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
    : options_(options), light_(EmitterOf(options.nuclide), options.kB) {
  const double topChannel =
      light_.QuenchedKeV(light_.HighestKeV()) * options_.photoelectronsPerKeV * kChannelsPerPhotoelectron;
  if (topChannel > kTopChannel) tubeGain_ = kTopChannel / topChannel;
}

PmtPulses BetaPulseSource::Decay(std::mt19937& random) const {
  PmtPulses pulses;
  const BetaScintillation::Deposit deposit = light_.Draw(random);
  pulses.energyKeV = deposit.energyKeV;
  pulses.quenchedKeV = deposit.quenchedKeV;
  const double meanPerTube = pulses.quenchedKeV * options_.photoelectronsPerKeV / kTubes;
  for (double& height : pulses.heights) {
    const int photoelectrons = meanPerTube > 0.0 ? std::poisson_distribution<int>(meanPerTube)(random) : 0;
    height = tubeGain_ * PulseHeight(photoelectrons, random);
  }
  return pulses;
}

}  // namespace korva::sim
