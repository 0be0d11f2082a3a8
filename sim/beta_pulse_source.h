#pragma once

#include <array>
#include <random>

#include "sim/beta_scintillation.h"
#include "sim/spectrum_source_options.h"

namespace korva::sim {

// One photoelectron's mean pulse at the tubes' standard voltage is 50 mV:
// the pulse height the TDCR counter's discriminators count photoelectrons
// by (tdcr_settings.h), and what a fast tube at a gain of about 3e7 gives
// into 50 ohm (4.8 pC in a pulse of about 5 ns; the gains and pulse widths
// of Hamamatsu Photonics, "Photomultiplier Tubes: Basics and Applications",
// 4th ed., 2017, ch. 4). The analyser digitises a 1 V input range into its
// 4096 channels at gain 1, so one photoelectron lands at channel 204.8.
inline constexpr double kSinglePhotoelectronMillivolts = 50.0;
inline constexpr double kAnalyserRangeMillivolts = 1000.0;
inline constexpr double kChannelsPerPhotoelectron =
    kSinglePhotoelectronMillivolts / kAnalyserRangeMillivolts * 4096.0;

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
// The tubes run at their standard voltage unless the vial's electrons
// would run off the analyser's axis: as a lab does with a hard emitter, the
// voltage is then lowered until the most energetic electron's mean light,
// in all three tubes together, lands at kTopChannel at gain 1 (TubeGain).
// A tritium vial stays at the standard voltage; a Bi-207 vial's 976 keV K
// line then stands near channel 2830 of the A+B+C input at coarse gain 1.00
// and a third as high on one tube.
class BetaPulseSource {
 public:
  static constexpr double kSingleElectronVariance = 0.3;
  // Three quarters of the 4096 channels: room above for the statistics'
  // spread of the highest line.
  static constexpr double kTopChannel = 3072.0;

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
