#include "sim/beta_pulse_source.h"

#include <algorithm>

namespace korva::sim {

namespace {

constexpr double kTubes = 3.0;
// The standard voltage is set for the C-14 endpoint.
constexpr double kStandardTopKeV = 156.476;

// Sum of `photoelectrons` single-electron charges of mean 1: a gamma
// distribution of shape photoelectrons / variance and scale variance.
double PulseHeight(int photoelectrons, std::mt19937& random) {
  if (photoelectrons <= 0) return 0.0;
  constexpr double variance = BetaPulseSource::kSingleElectronVariance;
  return std::gamma_distribution<double>(photoelectrons / variance, variance)(random);
}

}  // namespace

BetaPulseSource::BetaPulseSource(const SpectrumSourceOptions& options)
    : options_(options),
      spectrum_(options.nuclide),
      conversion_(ConversionTransitionsOf(NuclideName(options.nuclide))),
      quenching_(options.kB, std::max(spectrum_.EndpointKeV(), HighestConversionKeV(conversion_))) {
  const double top = std::max(spectrum_.EndpointKeV(), HighestConversionKeV(conversion_));
  if (top > kStandardTopKeV) {
    tubeGain_ = quenching_.QuenchedKeV(kStandardTopKeV) / quenching_.QuenchedKeV(top);
  }
}

PmtPulses BetaPulseSource::Decay(std::mt19937& random) const {
  PmtPulses pulses;
  pulses.energyKeV = spectrum_.Draw(random);
  pulses.quenchedKeV = pulses.energyKeV > 0.0 ? quenching_.QuenchedKeV(pulses.energyKeV) : 0.0;
  if (!conversion_.empty()) {
    const ConversionDeposit electrons = DrawConversionElectrons(
        conversion_, random, [this](double energyKeV) { return quenching_.QuenchedKeV(energyKeV); });
    pulses.energyKeV += electrons.energyKeV;
    pulses.quenchedKeV += electrons.quenchedKeV;
  }
  const double meanPerTube = pulses.quenchedKeV * options_.photoelectronsPerKeV / kTubes;
  for (double& height : pulses.heights) {
    const int photoelectrons = meanPerTube > 0.0 ? std::poisson_distribution<int>(meanPerTube)(random) : 0;
    height = tubeGain_ * PulseHeight(photoelectrons, random);
  }
  return pulses;
}

}  // namespace korva::sim
