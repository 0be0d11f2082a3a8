#include "analysis/efficiency_variation.h"

#include <gtest/gtest.h>

#include <cmath>

#include "synthetic_measurement.h"

namespace korva {
namespace {

// eps_D for an inefficiency x = (1 - eps) / eps: eps = 1 / (1 + x).
VariationPoint At(double x, double activity) {
  return {"x" + std::to_string(x), 1.0 / (1.0 + x), activity, 1.0};
}

TEST(EfficiencyVariation, TheWeightedLineMatchesTheHandWorkedFit) {
  // x = 0.5, 1, 1.5, u = 1: S = 3, Sx = 3, Sxx = 3.5, Delta = 3 x 3.5 - 3^2 = 1.5,
  // u(b) = sqrt(S / Delta) = sqrt(2) = 1.41421, u(a) = sqrt(3.5 / 1.5) = 1.52753.
  // A = 100, 102, 104 lies on 98 + 4 x: slope 4 = 2.83 u(b), flagged.
  const Checked<VariationStudy> trend = FitVariation({At(0.5, 100.0), At(1.0, 102.0), At(1.5, 104.0)});
  ASSERT_TRUE(trend) << trend.error;
  EXPECT_NEAR(trend->slope, 4.0, 1e-9);
  EXPECT_NEAR(trend->intercept, 98.0, 1e-9);
  EXPECT_NEAR(trend->slopeUncertainty, 1.41421356, 1e-8);
  EXPECT_NEAR(trend->interceptUncertainty, 1.52752523, 1e-8);
  EXPECT_NEAR(trend->slopeSigmas, 2.82842712, 1e-8);
  EXPECT_TRUE(trend->slopeSignificant);
  ASSERT_EQ(trend->warnings.size(), 1u);
  EXPECT_NEAR(trend->mean.weightedMean, 102.0, 1e-9);

  // A = 100, 101, 100: Sy = 301, Sxy = 50 + 101 + 150 = 301, b = (3 x 301 - 3 x 301) / 1.5 = 0,
  // a = (3.5 x 301 - 3 x 301) / 1.5 = 100.3333; residuals -1/3, 2/3, -1/3, chi^2 = 2/3 on
  // one degree of freedom: Birge ratio 0.81650, below 1, so u(b) stays sqrt(2).
  const Checked<VariationStudy> flat = FitVariation({At(0.5, 100.0), At(1.0, 101.0), At(1.5, 100.0)});
  ASSERT_TRUE(flat) << flat.error;
  EXPECT_NEAR(flat->slope, 0.0, 1e-9);
  EXPECT_NEAR(flat->intercept, 100.333333, 1e-6);
  EXPECT_NEAR(flat->birgeRatio, 0.81649658, 1e-8);
  EXPECT_NEAR(flat->slopeUncertainty, 1.41421356, 1e-8);
  EXPECT_FALSE(flat->slopeSignificant);
  EXPECT_TRUE(flat->warnings.empty());

  // A = 100, 104, 100: chi^2 = 4^2 x 2/3 = 32/3, Birge ratio sqrt(32/3) = 3.26599 widens u(b).
  const Checked<VariationStudy> scattered = FitVariation({At(0.5, 100.0), At(1.0, 104.0), At(1.5, 100.0)});
  ASSERT_TRUE(scattered);
  EXPECT_NEAR(scattered->slopeUncertainty, 1.41421356 * 3.26598632, 1e-7);
}

TEST(EfficiencyVariation, TooFewPointsOrOneEfficiencyAreRefused) {
  EXPECT_FALSE(FitVariation({At(0.5, 100.0), At(1.0, 101.0)}));
  const Checked<VariationStudy> same = FitVariation({At(1.0, 100.0), At(1.0, 101.0), At(1.0, 99.0)});
  ASSERT_FALSE(same);
  EXPECT_NE(same.error.find("same efficiency"), std::string::npos);
}

// A 5000 Bq tritium vial (kB 0.010) whose counts the analysis's model
// predicts exactly, at four light yields (eps_D about 0.55 down to 0.35),
// 5 runs of 100 s each: with the right kB every activity is the vial's and
// the line is flat; with kB 0.005 the efficiencies come out too high the
// more the lower they are, and the slope is flagged.
TEST(EfficiencyVariation, AWrongKbShowsAsASlopeOnTheVialsOwnModel) {
  std::vector<VariationInput> inputs;
  for (const double lambda : {1.1, 0.75, 0.55, 0.42}) {
    test::SyntheticVial vial;
    vial.lambdas = {lambda, lambda, lambda};
    inputs.push_back({"lambda " + std::to_string(lambda), test::MakeMeasurement(vial)});
  }
  AnalysisSettings settings;
  const Checked<VariationStudy> right = StudyVariation(inputs, settings);
  ASSERT_TRUE(right) << right.error;
  EXPECT_GT(right->points.front().doublesEfficiency, 0.5);
  EXPECT_LT(right->points.back().doublesEfficiency, 0.4);
  EXPECT_NEAR(right->slope, 0.0, 0.01 * right->slopeUncertainty);
  EXPECT_NEAR(right->intercept, 5000.0, 0.01 * right->interceptUncertainty);
  EXPECT_FALSE(right->slopeSignificant);
  settings.kb = 0.005;
  const Checked<VariationStudy> wrong = StudyVariation(inputs, settings);
  ASSERT_TRUE(wrong) << wrong.error;
  EXPECT_TRUE(wrong->slopeSignificant) << wrong->slopeSigmas;
  EXPECT_EQ(wrong->warnings.size(), 1u);
  RecordProperty("slope_sigmas_wrong_kb", std::to_string(wrong->slopeSigmas));
}

}  // namespace
}  // namespace korva
