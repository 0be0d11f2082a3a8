#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>

#include "sim/beta_pulse_source.h"
#include "sim/beta_scintillation.h"
#include "sim/conversion_electrons.h"
#include "sim/ionisation_quenching.h"

namespace korva::sim {
namespace {

constexpr double kK976 = 975.65;
constexpr double kL1048 = 1047.80;
constexpr double kK482 = 481.69;

// Share of decays with no conversion electron at all: neither transition converts.
constexpr double kNoElectron = (1.0 - 0.01537 - 0.00442 - 0.00111) * (1.0 - 0.0708 - 0.0184 - 0.0044);

TEST(ConversionSource, TheAnalysersVialEmitsTheLinesAtTheirRatesOneShellPerTransition) {
  const BetaPulseSource vial({Nuclide::kBi207, 0.010, 1.0, 1.0});
  std::mt19937 random(5);
  std::map<double, int> energies;
  constexpr int kDecays = 400000;
  for (int i = 0; i < kDecays; ++i) ++energies[std::round(vial.Decay(random).energyKeV * 100.0) / 100.0];

  EXPECT_NEAR(energies[0.0] / double{kDecays}, kNoElectron, 0.002) << "most decays deposit nothing";
  EXPECT_NEAR(energies[kK976] / double{kDecays}, 0.0708 * (1.0 - 0.021), 0.0015);
  EXPECT_NEAR(energies[kL1048] / double{kDecays}, 0.0184 * (1.0 - 0.021), 0.0008);
  EXPECT_NEAR(energies[kK482] / double{kDecays}, 0.01537 * (1.0 - 0.094), 0.0007);
  EXPECT_EQ(energies.count(std::round((kK976 + kL1048) * 100.0) / 100.0), 0u)
      << "a transition converts in one shell at most";
  EXPECT_GT(energies[std::round((kK976 + kK482) * 100.0) / 100.0], 0) << "the cascade can give both";
  for (const auto& [energy, count] : energies) EXPECT_LE(energy, 1059.81 + 565.85 + 0.01);
}

TEST(ConversionSource, BothPathsQuenchTheLinesAlikeAndTheTubesStayOnScale) {
  const BetaScintillation tdcr(*FindBetaEmitter("Bi-207"), 0.010);
  const IonisationQuenching spectrum(0.010, 1100.0);
  for (const double energy : {kK482, kK976, kL1048}) {
    SCOPED_TRACE(energy);
    EXPECT_NEAR(tdcr.QuenchedKeV(energy) / spectrum.QuenchedKeV(energy), 1.0, 0.01);
    EXPECT_LT(spectrum.QuenchedKeV(energy), energy);
    EXPECT_GT(spectrum.QuenchedKeV(energy), 0.95 * energy);
  }
  EXPECT_GT(spectrum.QuenchedKeV(kK976) / spectrum.QuenchedKeV(kK482), kK976 / kK482)
      << "the slower electron loses a larger share of its light";

  // The TDCR vial sees light only from the decays with an electron.
  std::mt19937 random(8);
  int dark = 0;
  for (int i = 0; i < 100000; ++i) dark += tdcr.DrawQuenchedKeV(random) == 0.0 ? 1 : 0;
  EXPECT_NEAR(dark / 100000.0, kNoElectron, 0.004);

  // The tubes are turned down so the most energetic line's mean light, in
  // all three tubes, lands at the top channel; tritium keeps the standard
  // voltage.
  const BetaPulseSource bismuth({Nuclide::kBi207, 0.010, 1.0, 1.0});
  const BetaPulseSource tritium({Nuclide::kH3, 0.010, 1.0});
  EXPECT_EQ(tritium.TubeGain(), 1.0);
  EXPECT_NEAR(bismuth.TubeGain() * bismuth.Quenching().QuenchedKeV(1059.81) * kChannelsPerPhotoelectron,
              BetaPulseSource::kTopChannel, 0.5);
  const BetaPulseSource phosphorus({Nuclide::kP32, 0.010, 1.0, 2.0});
  EXPECT_NEAR(
      phosphorus.TubeGain() * phosphorus.Quenching().QuenchedKeV(1710.7) * 2.0 * kChannelsPerPhotoelectron,
      BetaPulseSource::kTopChannel, 0.5)
      << "a hard beta emitter too, whatever its light yield";
}

}  // namespace
}  // namespace korva::sim
