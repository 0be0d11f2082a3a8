#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/birks_quenching.h"
#include "analysis/stopping_power.h"
#include "decay/fermi_function.h"

namespace korva {
namespace {

const StoppingPower kToluene{Toluene()};

TEST(StoppingPower, ReducesToTheNonRelativisticBetheFormulaForSlowElectrons) {
  // K/2 rho <Z/A> / beta^2 x 2 ln(1.166 E / I) at a few keV.
  const Scintillator t = Toluene();
  for (const double keV : {0.5, 1.0, 3.0}) {
    const double tau = keV / kElectronRestKeV;
    const double beta2 = tau * (tau + 2.0) / ((tau + 1.0) * (tau + 1.0));
    const double slow = 0.1535375 * t.densityGPerCm3 * t.electronsPerMass / beta2 * 2.0 *
                        std::log(1.166 * keV / (t.meanExcitationEv * 1e-3));
    EXPECT_NEAR(kToluene.MevPerCm(keV) / slow, 1.0, 0.005) << keV;
  }
}

TEST(StoppingPower, GoesToZeroBelowItsPeakAndFallsAboveIt) {
  const double peak = kToluene.PeakEnergyKeV();
  EXPECT_NEAR(peak, std::exp(1.0) * 0.0625 / 1.166, 0.01);
  // Proportional to the velocity below the peak: a quarter of the energy, half the stopping power.
  EXPECT_EQ(kToluene.MevPerCm(0.0), 0.0);
  EXPECT_NEAR(kToluene.MevPerCm(0.25 * peak) / kToluene.MevPerCm(peak), 0.5, 1e-12);
  EXPECT_NEAR(kToluene.MevPerCm(0.999 * peak) / kToluene.MevPerCm(1.001 * peak), 1.0, 1e-3) << "continuous";
  // Joy and Luo's modified Bethe formula, worked by hand for toluene: k =
  // 0.734 x 5.2^0.037 = 0.7802 (5.2 the electron-weighted mean Z of C7H8),
  // and non-relativistically K/2 rho <Z/A> / beta^2 x 2 ln(1.166 (E + k I) / I).
  const Scintillator t = Toluene();
  const StoppingPower joyLuo(t, LowEnergyStopping::kJoyLuo);
  const double k = 0.734 * std::pow(5.2, 0.037);
  EXPECT_NEAR(k, 0.7802, 1e-4);
  for (const double keV : {0.02, 0.1, 0.5}) {
    const double tau = keV / kElectronRestKeV;
    const double beta2 = tau * (tau + 2.0) / ((tau + 1.0) * (tau + 1.0));
    const double byHand = 0.1535375 * t.densityGPerCm3 * t.electronsPerMass / beta2 * 2.0 *
                          std::log(1.166 * (keV + k * 0.0625) / 0.0625);
    EXPECT_NEAR(joyLuo.MevPerCm(keV) / byHand, 1.0, 0.003) << keV;
  }
  // It vanishes at (0.858 - k) I = 4.8 eV, stays 0 below, and peaks near
  // 0.45 I = 28 eV, above the Bethe peak.
  EXPECT_EQ(joyLuo.MevPerCm(0.0047), 0.0);
  EXPECT_GT(joyLuo.MevPerCm(0.0050), 0.0);
  EXPECT_GT(joyLuo.MevPerCm(0.028), joyLuo.MevPerCm(0.015));
  EXPECT_GT(joyLuo.MevPerCm(0.028), joyLuo.MevPerCm(0.060));
  EXPECT_GT(joyLuo.MevPerCm(0.028), kToluene.MevPerCm(peak));
  // Fast electrons see the Bethe formula: the shift k I is under 1 % of the
  // logarithm above 2 keV and vanishes at high energies.
  EXPECT_GT(joyLuo.MevPerCm(2.0), kToluene.MevPerCm(2.0));
  EXPECT_LT(joyLuo.MevPerCm(2.0), 1.01 * kToluene.MevPerCm(2.0));
  EXPECT_NEAR(joyLuo.MevPerCm(200.0) / kToluene.MevPerCm(200.0), 1.0, 2e-4);
  double previous = kToluene.MevPerCm(peak);
  for (double keV = 1.1 * peak; keV < 1000.0; keV *= 1.3) {
    const double s = kToluene.MevPerCm(keV);
    EXPECT_LT(s, previous) << keV;
    previous = s;
  }
  // Near the minimum of ionisation the density effect keeps it from rising again.
  EXPECT_LT(kToluene.MevPerCm(1700.0), 1.02 * kToluene.MevPerCm(1000.0));
  EXPECT_GT(kToluene.MevPerCm(1700.0), 0.9 * kToluene.MevPerCm(1000.0));
}

TEST(BirksQuenching, WithoutKbTheLightIsTheEnergyAndWithItLessForSlowElectrons) {
  const std::vector<double> energies = {0.0, 0.05, 0.2, 1.0, 5.0, 18.6, 150.0, 1700.0};
  EXPECT_EQ(QuenchedEnergiesKeV(kToluene, 0.0, energies), energies);
  const std::vector<double> q = QuenchedEnergiesKeV(kToluene, 0.010, energies);
  const std::vector<double> harder = QuenchedEnergiesKeV(kToluene, 0.020, energies);
  EXPECT_EQ(q[0], 0.0);
  for (std::size_t i = 1; i < energies.size(); ++i) {
    SCOPED_TRACE(energies[i]);
    EXPECT_LT(q[i], energies[i]);
    EXPECT_GT(q[i], q[i - 1]);
    EXPECT_LT(harder[i], q[i]);
    if (i > 2) {
      EXPECT_GT(q[i] / energies[i], q[i - 1] / energies[i - 1]) << "fast electrons are quenched less";
    }
  }
  // Below the stopping power's peak (0.15 keV) it falls to zero, so the
  // slowest electrons are quenched less again: Q(E)/E goes back towards 1 as
  // E goes to 0 (A. Grau Malonda and A. Grau Carles, Appl. Radiat. Isot. 51
  // (1999) 183).
  EXPECT_GT(q[1] / energies[1], q[2] / energies[2]);
  // Piecewise integration from 0 and the running sum over the grid agree.
  EXPECT_NEAR(QuenchedEnergyKeV(kToluene, 0.010, 18.6), q[5], 1e-9);
  // A 1 keV electron gives under half its energy as light at kB 0.010, a
  // 1.7 MeV one nearly all.
  EXPECT_LT(q[3], 0.5);
  EXPECT_GT(q[3], 0.25);
  EXPECT_GT(q[7] / energies[7], 0.97);
}

TEST(BirksQuenching, KbOutsideTheAcceptedRangeIsRefusedNotClamped) {
  EXPECT_FALSE(KbRangeError(kMinKb));
  EXPECT_FALSE(KbRangeError(kMaxKb));
  EXPECT_FALSE(KbRangeError(kDefaultKb));
  for (const double kb : {0.0049, 0.0201, 0.0, -0.01, std::nan("")}) {
    const auto error = KbRangeError(kb);
    ASSERT_TRUE(error) << kb;
    EXPECT_NE(error->find("outside the accepted range 0.005 to 0.020 cm/MeV"), std::string::npos) << *error;
  }
}

}  // namespace
}  // namespace korva
