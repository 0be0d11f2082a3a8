// The pieces of the virtual vial's beta spectrum against closed forms and
// numbers worked by hand from the published formulas.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <numbers>
#include <random>

#include "sim/beta_spectrum.h"
#include "sim/fast_draws.h"
#include "sim/fermi_function.h"
#include "sim/gamma_modulus.h"
#include "sim/k_shell_exchange.h"
#include "sim/physical_constants.h"
#include "sim/shell_exchange.h"
#include "sim/slater_atom.h"

namespace korva::sim {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(GammaModulusTest, MatchesTheClosedFormsOnTheLinesOneAndOneHalf) {
  // |Gamma(1 + i y)|^2 = pi y / sinh(pi y), |Gamma(1/2 + i y)|^2 = pi / cosh(pi y)
  // (Abramowitz and Stegun 6.1.31 and 6.1.30).
  for (const double y : {0.01, 1.0, 7.5, 40.0}) {
    EXPECT_NEAR(LogGammaModulusSquared(1.0, y), std::log(kPi * y / std::sinh(kPi * y)), 1e-10) << y;
    EXPECT_NEAR(LogGammaModulusSquared(0.5, y), std::log(kPi / std::cosh(kPi * y)), 1e-10) << y;
  }
  // Far out, sinh(pi y) = exp(pi y) / 2: an electron of a few meV next to a helium nucleus.
  const double y = 1e6;
  EXPECT_NEAR(LogGammaModulusSquared(1.0, y), std::log(2.0 * kPi * y) - kPi * y, 1e-6);
  // On the real axis: Gamma(4.5) = 3.5 * 2.5 * 1.5 * 0.5 * sqrt(pi) = 11.631728.
  EXPECT_NEAR(LogGammaModulusSquared(4.5, 0.0), 2.0 * std::log(11.631728), 1e-6);
}

TEST(FermiFunctionTest, ReducesToTheNonRelativisticFormForLightDaughters) {
  // Z = 1: g - 1 = -2.7e-5, so F0 = 2 pi y / (1 - exp(-2 pi y)) to about 1e-3.
  const double radius = NuclearRadius(3);
  EXPECT_NEAR(radius, 1.2 * std::cbrt(3.0) / 386.159, 1e-8);
  for (const double w : {1.00002, 1.01, 1.3}) {
    const double p = std::sqrt(w * w - 1.0);
    const double twoPiY = 2.0 * kPi * kFineStructure * w / p;
    EXPECT_NEAR(PointFermiFunction(1, radius, w) / (twoPiY / -std::expm1(-twoPiY)), 1.0, 1e-3) << w;
  }
}

TEST(FermiFunctionTest, FiniteSizeCorrectionIsSmallAndFallsWithEnergy) {
  // Tritium's daughter: every term is of order alpha Z R or (alpha Z)^2, below 2e-4.
  for (const double w : {1.001, 1.036}) EXPECT_NEAR(FiniteSizeL0(2, NuclearRadius(3), w), 1.0, 2e-4);
  // Pm-147's: 13/60 (alpha Z)^2 = 0.044 raises it; the energy terms, led by
  // -alpha Z R (41 - 26 g) / (15 (2 g - 1)) = -0.0113 per electron mass,
  // lower it over the spectrum by a few 1e-3.
  const double radius = NuclearRadius(147);
  const double low = FiniteSizeL0(62, radius, 1.01);
  const double high = FiniteSizeL0(62, radius, 1.43);
  EXPECT_GT(high, 1.0);
  EXPECT_LT(low, 1.05);
  EXPECT_GT(low - high, 0.001);
  EXPECT_LT(low - high, 0.0113 * 0.42);
}

TEST(SlaterAtomTest, PotentialAtTheNucleusFollowsSlatersRules) {
  const double hartree = kFineStructure * kFineStructure;  // in electron masses
  // Hydrogen: one 1s electron, <1/r> = 1.
  EXPECT_NEAR(PotentialAtNucleus(1) / hartree, 1.0, 1e-12);
  EXPECT_NEAR(PotentialAtNucleus(1) * kElectronRestKeV * 1e3, 27.211, 0.001) << "eV";
  // Carbon 1s2 2s2 2p2: 2 x 5.70 / 1 + 4 x 3.25 / 4.
  EXPECT_NEAR(PotentialAtNucleus(6) / hartree, 14.65, 1e-9);
  // Phosphorus [Ne] 3s2 3p3: 2 x 14.70 + 8 x 10.85 / 4 + 5 x 4.80 / 9.
  EXPECT_NEAR(PotentialAtNucleus(15) / hartree, 29.4 + 21.7 + 24.0 / 9.0, 1e-9);
  // Nickel [Ar] 3d8 4s2: 1s 27.70, 2sp 23.85, 3sp 16.75, 3d 7.55 (n* 3), 4s 4.05 (n* 3.7).
  const double nickel = 2 * 27.70 + 8 * 23.85 / 4 + 8 * 16.75 / 9 + 8 * 7.55 / 9 + 2 * 4.05 / (3.7 * 3.7);
  EXPECT_NEAR(PotentialAtNucleus(28) / hartree, nickel, 1e-9);

  EXPECT_DOUBLE_EQ(KShellCharge(2, 1), 2.0) << "He+ right after tritium's decay";
  EXPECT_DOUBLE_EQ(KShellCharge(7, 6), 6.7);
}

TEST(KShellExchangeTest, AmplitudeHasItsClosedFormLimits) {
  // Tritium at rest: 8 (1 x 2)^(3/2) (2 - 1) exp(-4) = 0.414434.
  EXPECT_NEAR(KShellExchangeAmplitude(1.0, 2.0, 1e-4), 0.414434, 1e-5);
  // Orbitals of one charge: the continuum is orthogonal to the bound state.
  EXPECT_DOUBLE_EQ(KShellExchangeAmplitude(6.7, 6.7, 3.0), 0.0);
  // Worked by hand: tritium at 100 eV (k = 2.7112, atan k = 1.2172, T = 0.053865)
  // and C-14 at 1 keV (k = 8.5774, zeta 5.7, Z' 6.7, T = 0.036067).
  EXPECT_NEAR(KShellExchange(1, 0.1), 1.0 + 0.053865 + 0.053865 * 0.053865, 2e-4);
  EXPECT_NEAR(KShellExchange(6, 1.0), 1.036067 * 1.036067, 3e-4);
  // It fades with energy.
  EXPECT_LT(KShellExchange(6, 10.0), KShellExchange(6, 1.0));
  EXPECT_NEAR(KShellExchange(6, 150.0), 1.0, 1e-4);
}

TEST(FastDrawsTest, PoissonNumbersFollowTheirDistributionOnBothSidesOfTheInversionLimit) {
  std::mt19937 random(11);
  constexpr int kDraws = 200000;
  // Mean 3: P(0) = exp(-3) = 0.049787, P(1) = 0.149361, P(2) = 0.224042.
  std::array<int, 3> low{};
  double sum = 0.0;
  for (int i = 0; i < kDraws; ++i) {
    const int n = DrawPoisson(3.0, std::exp(-3.0), random);
    if (n < 3) ++low[static_cast<std::size_t>(n)];
    sum += n;
  }
  const std::array<double, 3> expected = {0.049787, 0.149361, 0.224042};
  for (std::size_t k = 0; k < 3; ++k) {
    const double sigma = std::sqrt(expected[k] * (1.0 - expected[k]) / kDraws);
    EXPECT_NEAR(static_cast<double>(low[k]) / kDraws, expected[k], 4.0 * sigma) << k;
  }
  EXPECT_NEAR(sum / kDraws, 3.0, 4.0 * std::sqrt(3.0 / kDraws));
  // Mean 90, past the inversion: mean and variance 90.
  double s1 = 0.0;
  double s2 = 0.0;
  for (int i = 0; i < kDraws; ++i) {
    const double n = DrawPoisson(90.0, std::exp(-90.0), random);
    s1 += n;
    s2 += n * n;
  }
  EXPECT_NEAR(s1 / kDraws, 90.0, 4.0 * std::sqrt(90.0 / kDraws));
  EXPECT_NEAR(s2 / kDraws - (s1 / kDraws) * (s1 / kDraws), 90.0, 2.0);
  EXPECT_EQ(DrawPoisson(0.0, 1.0, random), 0);
}

// The mean energy of `spectrum` with its density divided by `divisor`, by
// the midpoint rule on nodes E = E0 u^2 (fine where the spectrum is steep).
double MeanOf(const BetaSpectrum& spectrum, const std::function<double(double)>& divisor) {
  constexpr int kNodes = 20000;
  double weight = 0.0;
  double moment = 0.0;
  for (int i = 0; i < kNodes; ++i) {
    const double u = (i + 0.5) / kNodes;
    const double e = spectrum.EndpointKeV() * u * u;
    const double w = spectrum.Density(e) / divisor(e) * u;
    weight += w;
    moment += w * e;
  }
  return moment / weight;
}

TEST(BetaSpectrumTest, MeanEnergiesAgreeWithTheEvaluatedData) {
  // Mean beta energies of the evaluated decay data (LNHB/DDEP tables),
  // computed with spectra that leave the atomic exchange effect out: the
  // spectra's physics without it must reproduce them within the
  // evaluations' model spread. The exchange of every s shell then lowers
  // the mean, by under 3 % (2.7 % for Ni-63, whose spectrum lies lowest).
  struct Case {
    Nuclide nuclide;
    double meanKeV;
  };
  for (const Case c : {Case{Nuclide::kH3, 5.68}, Case{Nuclide::kNi63, 17.43}, Case{Nuclide::kS35, 48.76},
                       Case{Nuclide::kP33, 76.4}, Case{Nuclide::kP32, 695.0}, Case{Nuclide::kPm147, 61.96}}) {
    SCOPED_TRACE(std::string(NuclideName(c.nuclide)));
    const BetaSpectrum spectrum(c.nuclide);
    const ShellExchange& exchange = ShellExchangeOf(EmitterOf(c.nuclide).daughterZ - 1);
    const double withoutExchange = MeanOf(spectrum, [&](double e) { return exchange.At(e); });
    EXPECT_NEAR(withoutExchange / c.meanKeV, 1.0, 0.015);
    const double withExchange = MeanOf(spectrum, [](double) { return 1.0; });
    EXPECT_LT(withExchange, withoutExchange);
    EXPECT_GT(withExchange / withoutExchange, 0.97);
    EXPECT_NEAR(spectrum.MeanKeV() / withExchange, 1.0, 1e-3);
  }
}

}  // namespace
}  // namespace korva::sim
