#include "analysis/window_consistency.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "analysis/efficiency_model.h"
#include "analysis/nuclide_library.h"
#include "analysis/tdcr_solver.h"

namespace korva {
namespace {

// Counts of nested windows drawn as the instrument makes them: every decay
// that is a triple or a double in N is one in M too. A tritium vial gives
// its doubles and triples in M at yield lambda 1; window N, shorter, sees
// the light of yield lambda_N, so its expected D and T lie on the same
// efficiency curve and give the same activity. The events split into four
// independent Poisson classes: triples in both windows, triples in M that
// are doubles in N, doubles in both, and doubles in M that N misses. A loss
// in N beyond the curve (a slow component that N cuts) moves a further
// fraction of N's triples to its doubles.
class NestedWindows {
 public:
  NestedWindows() : model_(*FindNuclide("H-3"), 0.010, Toluene()) {}

  // Expected counts for `decays` decays, with `lost` of N's triples turned into doubles.
  NestedWindowCounts Expected(double decays, double lambdaN, double lost) const {
    const SymmetricEfficiency m = model_.Symmetric(1.0);
    const SymmetricEfficiency n = model_.Symmetric(lambdaN);
    const double triplesN = decays * n.triples * (1.0 - lost);
    return {decays * n.doubles, triplesN, decays * m.doubles, decays * m.triples};
  }

  NestedWindowCounts Draw(const NestedWindowCounts& e, std::mt19937_64& random) const {
    const auto poisson = [&](double mean) {
      return static_cast<double>(std::poisson_distribution<long long>(mean)(random));
    };
    const double bothTriples = poisson(e.triplesN);
    const double tripleThenDouble = poisson(e.triplesM - e.triplesN);
    const double bothDoubles = poisson(e.doublesN - e.triplesN - (e.triplesM - e.triplesN));
    const double onlyM = poisson(e.doublesM - e.doublesN);
    const double doublesN = bothTriples + tripleThenDouble + bothDoubles;
    return {doublesN, bothTriples, doublesN + onlyM, bothTriples + tripleThenDouble};
  }

  double Activity(double doubles, double triples) const {
    const auto s = SolveSymmetric(model_, triples / doubles, 1.0);
    return s ? doubles / s->efficiency.doubles : 0.0;
  }

  double Kappa(const NestedWindowCounts& c) const {
    const auto s = SolveSymmetric(model_, c.triplesM / c.doublesM, 1.0);
    return s ? s->efficiency.DoublesPerRatio() : 0.0;
  }

  // How often |A_N - A_M| exceeds twice the uncertainty of the difference.
  double FiringRate(const NestedWindowCounts& expected, int measurements, std::uint64_t seed) const {
    std::mt19937_64 random(seed);
    int fired = 0;
    for (int i = 0; i < measurements; ++i) {
      const NestedWindowCounts c = Draw(expected, random);
      const double aN = Activity(c.doublesN, c.triplesN);
      const double aM = Activity(c.doublesM, c.triplesM);
      fired += std::abs(aN - aM) > 2.0 * aM * NestedWindowDifference(c, Kappa(c));
    }
    return static_cast<double>(fired) / measurements;
  }

 private:
  EfficiencyModel model_;
};

constexpr double kDecays = 6e5;    // 5000 Bq for two minutes: 3.3e5 doubles
constexpr double kLambdaN = 0.97;  // N sees 3 % less light than M

TEST(NestedWindowDifference, FiresInAbout5PerCentOfConsistentMeasurements) {
  const NestedWindows w;
  const double rate = w.FiringRate(w.Expected(kDecays, kLambdaN, 0.0), 300, 5);
  RecordProperty("firingRate", std::to_string(rate));
  EXPECT_GE(rate, 0.02);
  EXPECT_LE(rate, 0.10);
}

// A further loss of N's triples that makes A_N read 0.5 % high without noise.
TEST(NestedWindowDifference, FiresOnAHalfPerCentWindowLoss) {
  const NestedWindows w;
  double low = 0.0;
  double high = 0.05;
  for (int i = 0; i < 40; ++i) {
    const double lost = 0.5 * (low + high);
    const NestedWindowCounts e = w.Expected(kDecays, kLambdaN, lost);
    const double ratio = w.Activity(e.doublesN, e.triplesN) / w.Activity(e.doublesM, e.triplesM);
    (ratio > 1.005 ? high : low) = lost;
  }
  const double rate = w.FiringRate(w.Expected(kDecays, kLambdaN, low), 200, 6);
  RecordProperty("firingRate", std::to_string(rate));
  EXPECT_GE(rate, 0.90);
}

// Hand-worked: kappa 2, T/D 0.5, D_M 1e6; M has 1e4 more doubles and 4e3
// more triples than N: u^2 = (2^2 x 4e3 + 2^2 x 1e4) / 1e12.
TEST(NestedWindowDifference, WeighsTheExtraDoublesAndTriplesOfM) {
  const NestedWindowCounts c{990000.0, 496000.0, 1000000.0, 500000.0};
  EXPECT_NEAR(NestedWindowDifference(c, 2.0), std::sqrt(4.0 * 4e3 + 4.0 * 1e4) / 1e6, 1e-12);
  EXPECT_EQ(NestedWindowDifference({}, 2.0), 0.0);
}

}  // namespace
}  // namespace korva
