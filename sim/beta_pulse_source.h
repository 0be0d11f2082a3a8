#pragma once

#include <array>
#include <random>

#include "sim/beta_spectrum.h"
#include "sim/ionisation_quenching.h"
#include "sim/spectrum_source_options.h"

namespace korva::sim {

// One decay as the three photomultipliers see it: each tube's pulse height
// in units of the mean single-photoelectron pulse; 0 when the tube caught no
// photoelectron.
struct PmtPulses {
  double energyKeV = 0.0;
  double quenchedKeV = 0.0;
  std::array<double, 3> heights{};
};

// The vial of the spectrum acquisition. Each decay deposits a beta energy of
// the nuclide's spectrum; ionisation quenching turns it into light; each
// tube sees a Poisson number of photoelectrons, a third of the light's mean
// each; and each photoelectron's charge varies from one to the next (a
// gamma-distributed single-electron response of relative variance 0.3), so
// a tube's pulse height is a sum of that many charges.
class BetaPulseSource {
 public:
  static constexpr double kSingleElectronVariance = 0.3;

  explicit BetaPulseSource(const SpectrumSourceOptions& options);

  const SpectrumSourceOptions& Options() const { return options_; }
  const BetaSpectrum& Spectrum() const { return spectrum_; }
  const IonisationQuenching& Quenching() const { return quenching_; }

  PmtPulses Decay(std::mt19937& random) const;

 private:
  SpectrumSourceOptions options_;
  BetaSpectrum spectrum_;
  IonisationQuenching quenching_;
};

}  // namespace korva::sim
