#pragma once

#include <array>
#include <random>

#include "sim/beta_scintillation.h"
#include "sim/spectrum_source_options.h"

namespace korva::sim {

// One decay as the three photomultipliers see it: each tube's pulse height
// in units of the mean single-photoelectron pulse at the tubes' standard
// voltage; 0 when the tube caught no photoelectron.
struct PmtPulses {
  double energyKeV = 0.0;
  double quenchedKeV = 0.0;
  std::array<double, 3> heights{};
};

// The vial of the spectrum acquisition. Each decay deposits its electrons'
// energy and gives their light as the TDCR counter's vial does
// (BetaScintillation); each tube sees a Poisson number of
// photoelectrons, a third of the light's mean each; and each
// photoelectron's charge varies from one to the next (a gamma-distributed
// single-electron response of relative variance 0.3), so a tube's pulse
// height is a sum of that many charges.
//
// The tubes run at their standard voltage, where a C-14 spectrum fills the
// analyser at gain 1, unless the vial's electrons reach higher: then the
// voltage is lowered so that the most energetic one, at its mean light,
// lands at the same channel as the C-14 endpoint (TubeGain).
class BetaPulseSource {
 public:
  static constexpr double kSingleElectronVariance = 0.3;

  explicit BetaPulseSource(const SpectrumSourceOptions& options);

  const SpectrumSourceOptions& Options() const { return options_; }
  const BetaSpectrum& Spectrum() const { return light_.Spectrum(); }
  const IonisationQuenching& Quenching() const { return light_.Quenching(); }
  // The tubes' gain relative to their standard voltage, at most 1.
  double TubeGain() const { return tubeGain_; }

  PmtPulses Decay(std::mt19937& random) const;

 private:
  SpectrumSourceOptions options_;
  BetaScintillation light_;
  double tubeGain_ = 1.0;
};

}  // namespace korva::sim
