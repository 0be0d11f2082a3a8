#include "analysis/characteristic_limits.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/gum_rounding.h"
#include "analysis/limits_report.h"
#include "analysis/measurement_analysis.h"
#include "synthetic_measurement.h"

namespace korva {
namespace {

// 1000 s of sample and 1000 s of background at 20 counts per second, an
// efficiency of 0.5 (w = 2 Bq s) known to 5 %.
LimitInputs Worked(double grossCounts) { return {grossCounts, 1000.0, 20000.0, 1000.0, 2.0, 0.05}; }

TEST(CharacteristicLimits, MatchTheHandWorkedThresholdLimitAndIntervals) {
  // u~(0) = w sqrt(r0 (1/t_g + 1/t_0)) = 2 sqrt(20 x 0.002) = 2 x 0.2 = 0.4 Bq
  // y* = 1.645 x 0.4 = 0.658 Bq
  // With k(1-alpha) = k(1-beta) = k the iteration's fixed point solves
  //   (y# - y*)^2 = k^2 (w y# / t_g + u~^2(0) + y#^2 u_rel^2), u~^2(0) = y*^2 / k^2,
  // so y# = (2 y* + k^2 w / t_g) / (1 - k^2 u_rel^2)
  //       = (1.316 + 2.706025 x 0.002) / (1 - 2.706025 x 0.0025)
  //       = 1.32141205 / 0.99323494 = 1.3304124 Bq.
  const CharacteristicLimits blank = ComputeCharacteristicLimits(Worked(20000.0), 0.0, {});
  EXPECT_NEAR(blank.decisionThreshold, 0.658, 0.658e-4);
  ASSERT_TRUE(blank.detectionLimit);
  EXPECT_NEAR(*blank.detectionLimit, 1.3304124, 1.33e-4);
  EXPECT_FALSE(blank.detected);
  EXPECT_EQ(DetectionText(blank), "not detected (below the decision threshold of 0.658 Bq)");

  // 50 Bq: n_g = (50/2 + 20) x 1000 = 45000;
  // u^2 = 4 (45000/1e6 + 20000/1e6) + (50 x 0.05)^2 = 0.26 + 6.25 = 6.51, u = 2.5514702 Bq;
  // omega = Phi(19.6) = 1, so p = q = 0.975, k_p = k_q = 1.9599640:
  // 50 -+ 1.9599640 x 2.5514702 = 44.999210 and 55.000790 Bq.
  const CharacteristicLimits strong = ComputeCharacteristicLimits(Worked(45000.0), 50.0, {});
  EXPECT_NEAR(strong.standardUncertainty, 2.5514702, 2.55e-4);
  EXPECT_TRUE(strong.detected);
  EXPECT_NEAR(strong.lowerLimit, 44.999210, 0.045);
  EXPECT_NEAR(strong.upperLimit, 55.000790, 0.055);

  // 1 Bq, just above the threshold: n_g = 20500;
  // u^2 = 4 (0.0205 + 0.0200) + 0.05^2 = 0.1645, u = 0.40558600 Bq;
  // omega = Phi(1 / 0.405586) = Phi(2.465565) = 0.99316020 (normal table);
  // p = 0.99316020 x 0.975 = 0.96833119, k_p = 1.8568140;
  // q = 1 - 0.99316020 x 0.025 = 0.97517100, k_q = 1.9628981;
  // y< = 1 - 1.8568140 x 0.405586 = 0.24690223, y> = 1 + 1.9628981 x 0.405586 = 1.7961240 Bq.
  const CharacteristicLimits weak = ComputeCharacteristicLimits(Worked(20500.0), 1.0, {});
  EXPECT_TRUE(weak.detected);
  EXPECT_NEAR(weak.lowerLimit, 0.24690223, 0.2469e-3);
  EXPECT_NEAR(weak.upperLimit, 1.7961240, 1.796e-3);
}

TEST(CharacteristicLimits, OtherQuantilesNoBackgroundAndALimitThatDoesNotExist) {
  // k(1-alpha) = 2.326 (alpha 1 %): y* = 2.326 x 0.4 = 0.9304 Bq.
  EXPECT_NEAR(ComputeCharacteristicLimits(Worked(20000.0), 0.0, {2.326, 1.645, 0.05}).decisionThreshold,
              0.9304, 1e-9);
  // No background: y* = 0 and y# = k^2 w / t_g / (1 - k^2 u_rel^2)
  // = 2.706025 x 0.002 / 0.99323494 = 0.0054489122 Bq, which the
  // iteration reaches although it cannot start from 2 y* = 0.
  const CharacteristicLimits clean =
      ComputeCharacteristicLimits({0.0, 1000.0, 0.0, 1000.0, 2.0, 0.05}, 0.0, {});
  EXPECT_EQ(clean.decisionThreshold, 0.0);
  ASSERT_TRUE(clean.detectionLimit);
  EXPECT_NEAR(*clean.detectionLimit, 0.0054489122, 5.4e-9);
  // k u_rel(w) = 1.645 x 0.7 > 1: no activity is detected with 95 % probability.
  EXPECT_FALSE(
      ComputeCharacteristicLimits({20000.0, 1000.0, 20000.0, 1000.0, 2.0, 0.7}, 0.0, {}).detectionLimit);
  EXPECT_NEAR(NormalQuantile(0.95), 1.6448536, 1e-7);
  EXPECT_NEAR(NormalQuantile(0.025), -1.9599640, 1e-7);
  EXPECT_TRUE(LimitSettingsError({0.0, 1.645, 0.05}));
  EXPECT_TRUE(LimitSettingsError({1.645, 1.645, 1.0}));
  EXPECT_FALSE(LimitSettingsError({}));
}

TEST(GumRounding, TheUncertaintyKeepsTwoSignificantDigitsAndTheValueItsPlace) {
  EXPECT_EQ(RoundedToUncertainty(5012.3456, 37.449).value, "5012");
  EXPECT_EQ(RoundedToUncertainty(5012.3456, 37.449).uncertainty, "37");
  EXPECT_EQ(RoundedToUncertainty(0.0123456, 0.000996).uncertainty, "0.0010");  // 9.96e-4 carries to 1.0e-3
  EXPECT_EQ(RoundedToUncertainty(0.0123456, 0.000996).value, "0.0123");
  EXPECT_EQ(RoundedToUncertainty(123456.0, 1234.0).value, "123500");
  EXPECT_EQ(RoundedToUncertainty(123456.0, 1234.0).uncertainty, "1200");
  EXPECT_EQ(SignificantText(0.6580, 3), "0.658");
  EXPECT_EQ(SignificantText(9.996, 3), "10.0");
  EXPECT_EQ(SignificantText(-0.0004, 1), "-0.0004");
}

// A tritium vial with 20 counts per second of D background (T none) in
// 5 runs of 100 s, and the background measured alone the same way.
struct LowLevel {
  test::SyntheticVial vial;
  test::SyntheticVial blank;
  LowLevel(double activity, bool poisson) {
    vial.activityBq = activity;
    vial.singlesRate = 0.0;
    vial.background = {20.0 / 3.0, 20.0 / 3.0, 20.0 / 3.0};
    vial.poisson = poisson;
    blank = vial;
    blank.activityBq = 0.0;
    blank.seed = 2;
  }
};

TEST(MeasurementLimits, AFiftyBecquerelVialOverTwentyCountsPerSecondIsDetected) {
  const LowLevel level(50.0, false);
  const TdcMeasurement sample = test::MakeMeasurement(level.vial);
  const TdcMeasurement background = test::MakeMeasurement(level.blank);
  const Checked<MeasurementAnalysis> a = AnalyzeMeasurement(sample, &background, {});
  ASSERT_TRUE(a) << a.error;
  ASSERT_TRUE(a->limits);
  const CharacteristicLimits& l = *a->limits;
  // y* = k w sqrt(r0 (1/t_g + 1/t_0)) with r0 = 20 cps, t_g = t_0 = 500 s
  // and w = 1 / eps_D (the decay of tritium over 500 s is below 1e-6).
  const double w = 1.0 / a->Main().runs[0].doublesEfficiency;
  EXPECT_NEAR(l.decisionThreshold, 1.645 * w * std::sqrt(20.0 * 2.0 / 500.0), 1e-3 * l.decisionThreshold);
  EXPECT_TRUE(l.detected);
  EXPECT_LT(l.lowerLimit, 50.0);
  EXPECT_GT(l.upperLimit, 50.0);
  EXPECT_NE(LimitsText(l).find("coverage interval (95 %)"), std::string::npos);
}

TEST(MeasurementLimits, ABlankVialReadsNotDetectedWithTheGivenEfficiency) {
  const LowLevel level(0.0, true);
  const TdcMeasurement sample = test::MakeMeasurement(level.vial);
  const TdcMeasurement background = test::MakeMeasurement(level.blank);
  AnalysisSettings settings;
  EXPECT_FALSE(AnalyzeMeasurement(sample, &background, settings)) << "T/D of a blank gives no efficiency";
  settings.givenEfficiency = 0.5;
  settings.givenEfficiencyUncertainty = 0.025;
  const Checked<MeasurementAnalysis> a = AnalyzeMeasurement(sample, &background, settings);
  ASSERT_TRUE(a) << a.error;
  ASSERT_TRUE(a->limits);
  EXPECT_TRUE(a->efficiencyGiven);
  // y* = 1.645 x 2 x sqrt(20 x 2 / 500) = 0.93055 Bq for counts at their means; the background's
  // 10000 drawn counts move it by about half a per cent.
  EXPECT_NEAR(a->limits->decisionThreshold, 0.93055, 0.02);
  EXPECT_FALSE(a->limits->detected);
  ASSERT_TRUE(a->limits->detectionLimit);
  EXPECT_GT(*a->limits->detectionLimit, 2.0 * a->limits->decisionThreshold);
  EXPECT_NE(LimitsText(*a->limits).find("not detected (below the decision threshold of"), std::string::npos);
}

}  // namespace
}  // namespace korva
