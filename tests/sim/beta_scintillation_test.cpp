#include "sim/beta_scintillation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "sim/tdcr_options.h"
#include "sim/tdcr_sequence.h"

namespace korva::sim {
namespace {

const BetaEmitter& Emitter(std::string_view name) {
  const BetaEmitter* emitter = FindBetaEmitter(name);
  EXPECT_NE(emitter, nullptr) << name;
  return *emitter;
}

double TdRatio(const BetaScintillation& light, double lambda) {
  const auto fires = [lambda](double q) { return -std::expm1(-lambda * q / 3.0); };
  const double t = light.Average([&](double q) { return std::pow(fires(q), 3.0); });
  const double d = light.Average([&](double q) { return fires(q) * fires(q) * (3.0 - 2.0 * fires(q)); });
  return t / d;
}

TEST(BetaScintillation, WithoutQuenchingTheLightIsTheSpectrumsMeanEnergy) {
  // Mean beta energies of the nuclear data tables: H-3 5.7 keV, C-14 49.2 keV,
  // P-32 695 keV; the non-relativistic Fermi factor stays within 1.5 %.
  const std::vector<std::pair<std::string_view, double>> means = {
      {"H-3", 5.68}, {"C-14", 49.16}, {"P-32", 695.0}};
  for (const auto& [name, mean] : means) {
    const BetaScintillation light(Emitter(name), 0.0);
    EXPECT_NEAR(light.Average([](double q) { return q; }) / mean, 1.0, 0.015) << name;
  }
}

TEST(BetaScintillation, QuenchingDimsSlowElectronsMostAndDrawsFollowTheTables) {
  const BetaScintillation bright(Emitter("H-3"), 0.0);
  const BetaScintillation quenched(Emitter("H-3"), 0.010);
  const double brightMean = bright.Average([](double q) { return q; });
  const double quenchedMean = quenched.Average([](double q) { return q; });
  EXPECT_LT(quenchedMean, 0.8 * brightMean);
  EXPECT_GT(quenchedMean, 0.5 * brightMean);

  std::mt19937 random(5);
  double sum = 0.0;
  constexpr int kDraws = 200000;
  for (int i = 0; i < kDraws; ++i) {
    const double q = quenched.DrawQuenchedKeV(random);
    ASSERT_GE(q, 0.0);
    ASSERT_LT(q, 18.59);
    sum += q;
  }
  EXPECT_NEAR(sum / kDraws / quenchedMean, 1.0, 0.01);
}

TEST(BetaScintillation, TheDefaultYieldGivesTritiumATdcrRatioOfOneHalf) {
  EXPECT_NEAR(TdRatio(BetaScintillation(Emitter("H-3"), 0.010), kDefaultPhotoelectronsPerKeV), 0.50, 0.005);
  // Harder spectra reach far higher ratios with the same optics.
  EXPECT_GT(TdRatio(BetaScintillation(Emitter("C-14"), 0.010), kDefaultPhotoelectronsPerKeV), 0.93);
  EXPECT_GT(TdRatio(BetaScintillation(Emitter("P-32"), 0.010), kDefaultPhotoelectronsPerKeV), 0.99);
}

TEST(BetaScintillation, ASequenceRefusesAnUnknownEmitter) {
  TdcrOptions options;
  options.nuclide = "Co-60";
  EXPECT_THROW(TdcrSequence(options, 1), std::invalid_argument);
}

}  // namespace
}  // namespace korva::sim
