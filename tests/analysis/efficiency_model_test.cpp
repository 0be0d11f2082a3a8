#include "analysis/efficiency_model.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/bracketed_root.h"
#include "analysis/efficiency_curve.h"
#include "analysis/nuclide_library.h"
#include "analysis/tdcr_solver.h"

namespace korva {
namespace {

const EfficiencyModel& Tritium() {
  static const EfficiencyModel model(*FindNuclide("H-3"), 0.010, Toluene());
  return model;
}

TEST(SymmetricModel, ReachesFullEfficiencyAndARatioOfOneForAbundantLight) {
  const SymmetricEfficiency bright = Tritium().Symmetric(kMaxLambda);
  EXPECT_GT(bright.doubles, 0.999);
  EXPECT_GT(bright.triples, 0.998);
  // Not quite 1: tritium's electrons of a few eV, which the exchange
  // correction makes about three times likelier, stay too faint for three
  // tubes even at the highest yield.
  EXPECT_GT(bright.Ratio(), 0.998);
  const SymmetricEfficiency dark = Tritium().Symmetric(kMinLambda);
  EXPECT_LT(dark.doubles, 1e-5);
  EXPECT_LT(dark.Ratio(), 0.01);
  double previousRatio = 0.0;
  for (double lambda = 0.01; lambda < 100.0; lambda *= 1.5) {
    const SymmetricEfficiency e = Tritium().Symmetric(lambda);
    EXPECT_LE(e.triples, e.doubles);
    EXPECT_GT(e.Ratio(), previousRatio) << "T/D rises with lambda";
    previousRatio = e.Ratio();
  }
}

TEST(SymmetricModel, SlopesAgreeWithFiniteDifferences) {
  for (const double lambda : {0.2, 1.0, 4.0}) {
    const double h = 1e-5;
    const SymmetricEfficiency up = Tritium().Symmetric(lambda * std::exp(h));
    const SymmetricEfficiency down = Tritium().Symmetric(lambda * std::exp(-h));
    const SymmetricEfficiency at = Tritium().Symmetric(lambda);
    EXPECT_NEAR(at.doublesSlope, (up.doubles - down.doubles) / (2 * h), 1e-7);
    EXPECT_NEAR(at.triplesSlope, (up.triples - down.triples) / (2 * h), 1e-7);
  }
}

TEST(AsymmetricModel, SlopesAgreeWithFiniteDifferencesForEveryTube) {
  const std::array<double, 3> lambdas = {0.6, 1.1, 1.9};
  const AsymmetricEfficiency at = Tritium().Asymmetric(lambdas);
  for (std::size_t tube = 0; tube < 3; ++tube) {
    const double h = 1e-5;
    auto up = lambdas;
    auto down = lambdas;
    up[tube] *= std::exp(h);
    down[tube] *= std::exp(-h);
    const AsymmetricEfficiency u = Tritium().Asymmetric(up);
    const AsymmetricEfficiency d = Tritium().Asymmetric(down);
    EXPECT_NEAR(at.abSlope[tube], (u.ab - d.ab) / (2 * h), 1e-7) << tube;
    EXPECT_NEAR(at.bcSlope[tube], (u.bc - d.bc) / (2 * h), 1e-7) << tube;
    EXPECT_NEAR(at.acSlope[tube], (u.ac - d.ac) / (2 * h), 1e-7) << tube;
    EXPECT_NEAR(at.triplesSlope[tube], (u.triples - d.triples) / (2 * h), 1e-7) << tube;
  }
}

TEST(SymmetricSolver, FindsTheLambdaBackFromItsRatioForEveryNuclide) {
  for (const Nuclide& n : KnownNuclides()) {
    const EfficiencyModel model(n, 0.012, Toluene());
    for (const double lambda : {0.01, 0.1, 0.5, 1.0, 2.0, 8.0}) {
      // After a capture, the L cascade alone (under 1 keV) starts to be
      // counted only at high yields, with a low T/D of its own: the curve
      // of an electron-capture nuclide turns back above T/D 0.95 (Fe-55:
      // past 5 photoelectrons per keV), and a ratio there has two yields.
      if (!n.captures.empty() && lambda > 1.0) continue;
      SCOPED_TRACE(::testing::Message() << n.name << " lambda " << lambda);
      const double ratio = model.Symmetric(lambda).Ratio();
      const Checked<SymmetricSolution> solved = SolveSymmetric(model, ratio);
      ASSERT_TRUE(solved) << solved.error;
      EXPECT_NEAR(solved->lambda / lambda, 1.0, 1e-7);
      EXPECT_NEAR(solved->efficiency.doubles, model.Symmetric(lambda).doubles, 1e-9);
    }
  }
}

TEST(BracketedRoot, ConvergesWhereNewtonAloneWouldRunAway) {
  // Newton on atan overshoots further at every step from |x - root| > 1.39.
  int calls = 0;
  const auto f = [&](double x) {
    ++calls;
    return ValueAndSlope{std::atan(x - 0.3), 1.0 / (1.0 + (x - 0.3) * (x - 0.3))};
  };
  EXPECT_NEAR(FindBracketedRoot(f, -10.0, 10.0, 1e-12, 5.0), 0.3, 1e-12);
  EXPECT_NEAR(FindBracketedRoot(f, 10.0, -10.0, 1e-12), 0.3, 1e-12);
  EXPECT_NEAR(FindBracketedRoot(f, -10.0, 10.0, 1e-12, 42.0), 0.3, 1e-12) << "a start outside is ignored";
  calls = 0;
  EXPECT_NEAR(FindBracketedRoot(f, -10.0, 10.0, 1e-12, 0.31), 0.3, 1e-12);
  EXPECT_LT(calls, 8) << "a start near the root saves the bisections";
}

TEST(SymmetricSolver, RefusesRatiosTheModelCannotReachAndSaysWhichItCan) {
  for (const double ratio : {0.0, -0.2, 1.0, 1.3, 0.9999999, std::nan("")}) {
    const Checked<SymmetricSolution> solved = SolveSymmetric(Tritium(), ratio);
    EXPECT_FALSE(solved) << ratio;
    EXPECT_NE(solved.error.find("outside the range"), std::string::npos) << solved.error;
    EXPECT_NE(solved.error.find("H-3 with kB 0.0100 cm/MeV"), std::string::npos) << solved.error;
  }
}

TEST(AsymmetricSolver, WithThreeEqualRatiosFindsTheSymmetricSolution) {
  for (const double lambda : {0.3, 0.83, 2.5}) {
    const SymmetricEfficiency symmetric = Tritium().Symmetric(lambda);
    const AsymmetricEfficiency same = Tritium().Asymmetric({lambda, lambda, lambda});
    const double ratio = same.triples / same.ab;
    const Checked<AsymmetricSolution> solved = SolveAsymmetric(Tritium(), {ratio, ratio, ratio});
    ASSERT_TRUE(solved) << solved.error;
    for (const double l : solved->lambdas) EXPECT_NEAR(l / lambda, 1.0, 1e-7);
    EXPECT_NEAR(solved->efficiency.Doubles(), symmetric.doubles, 1e-9);
    EXPECT_NEAR(solved->efficiency.triples, symmetric.triples, 1e-9);
  }
}

TEST(AsymmetricSolver, FindsUnequalTubesBackFromTheirPairRatios) {
  for (const Nuclide* n : {FindNuclide("H-3"), FindNuclide("C-14"), FindNuclide("Ni-63")}) {
    const EfficiencyModel model(*n, 0.010, Toluene());
    const std::array<double, 3> lambdas = {0.45, 0.9, 1.6};
    const AsymmetricEfficiency e = model.Asymmetric(lambdas);
    const Checked<AsymmetricSolution> solved =
        SolveAsymmetric(model, {e.triples / e.ab, e.triples / e.bc, e.triples / e.ac});
    ASSERT_TRUE(solved) << n->name << ": " << solved.error;
    for (std::size_t tube = 0; tube < 3; ++tube)
      EXPECT_NEAR(solved->lambdas[tube] / lambdas[tube], 1.0, 1e-6);
    EXPECT_NEAR(solved->efficiency.Doubles(), e.ab + e.bc + e.ac - 2 * e.triples, 1e-9);
  }
  // A start far off still ends at the solution.
  const AsymmetricEfficiency e = Tritium().Asymmetric({0.45, 0.9, 1.6});
  const Checked<AsymmetricSolution> fromAfar =
      SolveAsymmetric(Tritium(), {e.triples / e.ab, e.triples / e.bc, e.triples / e.ac},
                      std::array<double, 3>{900.0, 0.002, 50.0});
  ASSERT_TRUE(fromAfar) << fromAfar.error;
  EXPECT_NEAR(fromAfar->lambdas[1], 0.9, 1e-6);
  EXPECT_FALSE(SolveAsymmetric(Tritium(), {0.7, 1.0, 0.7}));
  EXPECT_FALSE(SolveAsymmetric(Tritium(), {0.7, 0.0, 0.7}));
}

TEST(EfficiencyCurve, GivesTheSamePointByLambdaAndByItsRatio) {
  const Checked<EfficiencyPoint> byLambda = EfficiencyCurvePoint("C-14", 0.010, CurveInput::kLambda, 0.7);
  ASSERT_TRUE(byLambda) << byLambda.error;
  const Checked<EfficiencyPoint> byRatio =
      EfficiencyCurvePoint("c-14", 0.010, CurveInput::kTdRatio, byLambda->tdRatio);
  ASSERT_TRUE(byRatio) << byRatio.error;
  EXPECT_NEAR(byRatio->lambda, 0.7, 1e-7);
  EXPECT_NEAR(byRatio->doubles, byLambda->doubles, 1e-9);
  EXPECT_NEAR(byLambda->triples / byLambda->doubles, byLambda->tdRatio, 1e-12);

  EXPECT_NE(
      EfficiencyCurvePoint("Co-60", 0.010, CurveInput::kLambda, 1.0).error.find("unknown nuclide \"Co-60\""),
      std::string::npos);
  EXPECT_NE(
      EfficiencyCurvePoint("H-3", 0.03, CurveInput::kLambda, 1.0).error.find("outside the accepted range"),
      std::string::npos);
  EXPECT_FALSE(EfficiencyCurvePoint("H-3", 0.010, CurveInput::kLambda, 0.0));
  EXPECT_FALSE(EfficiencyCurvePoint("H-3", 0.010, CurveInput::kTdRatio, 1.2));
}

}  // namespace
}  // namespace korva
