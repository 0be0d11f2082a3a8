#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "analysis/run_statistics.h"

namespace korva {
namespace {

TEST(RunStatistics, WeighsRunsByTheirUncertaintiesAndMeasuresTheirScatter) {
  const std::vector<double> values = {10.0, 12.0};
  const std::vector<double> u = {1.0, 2.0};
  const RunStatistics s = ComputeRunStatistics(values, u);
  EXPECT_EQ(s.count, 2);
  EXPECT_DOUBLE_EQ(s.weightedMean, (10.0 + 12.0 / 4.0) / 1.25);
  EXPECT_DOUBLE_EQ(s.internalUncertainty, 1.0 / std::sqrt(1.25));
  const double chi2 = 0.4 * 0.4 + 1.6 * 1.6 / 4.0;
  EXPECT_DOUBLE_EQ(s.birgeRatio, std::sqrt(chi2));
  EXPECT_DOUBLE_EQ(s.externalUncertainty, s.internalUncertainty * s.birgeRatio);
  EXPECT_DOUBLE_EQ(s.Uncertainty(), s.internalUncertainty);
  EXPECT_DOUBLE_EQ(s.mean, 11.0);
  EXPECT_DOUBLE_EQ(s.standardDeviation, std::sqrt(2.0));

  const RunStatistics one = ComputeRunStatistics(std::vector<double>{7.0}, std::vector<double>{0.5});
  EXPECT_EQ(one.weightedMean, 7.0);
  EXPECT_EQ(one.birgeRatio, 0.0);
  EXPECT_EQ(one.Uncertainty(), 0.5);
  EXPECT_EQ(ComputeRunStatistics({}, {}).count, 0);
}

TEST(RunStatistics, TheBirgeRatioIsNearOneForHonestUncertaintiesAndGrowsForUnderstatedOnes) {
  std::mt19937 random(3);
  std::normal_distribution<double> noise(0.0, 2.0);
  std::vector<double> values;
  for (int i = 0; i < 400; ++i) values.push_back(100.0 + noise(random));
  const RunStatistics honest = ComputeRunStatistics(values, std::vector<double>(values.size(), 2.0));
  EXPECT_NEAR(honest.birgeRatio, 1.0, 0.1);
  EXPECT_NEAR(honest.weightedMean, 100.0, 4.0 * 2.0 / 20.0);
  const RunStatistics understated = ComputeRunStatistics(values, std::vector<double>(values.size(), 0.5));
  EXPECT_NEAR(understated.birgeRatio, 4.0, 0.4);
  EXPECT_DOUBLE_EQ(understated.Uncertainty(), understated.externalUncertainty);
}

TEST(RunStatistics, FlagsAStrayRunThatASampleDeviationWouldHide) {
  std::vector<double> values = {100.2, 99.7, 100.1, 99.9, 100.4, 99.8, 100.0, 100.3, 99.6, 106.0};
  const RunStatistics s = ComputeRunStatistics(values, std::vector<double>(values.size(), 1.0));
  for (std::size_t i = 0; i + 1 < values.size(); ++i) EXPECT_FALSE(s.flagged[i]) << i;
  EXPECT_TRUE(s.flagged.back());
  EXPECT_LT(values.back() - s.mean, 3.0 * s.standardDeviation) << "three sample deviations would not flag it";

  // Runs without an uncertainty take the smallest of the others.
  const RunStatistics zero =
      ComputeRunStatistics(std::vector<double>{1.0, 3.0}, std::vector<double>{0.0, 1.0});
  EXPECT_DOUBLE_EQ(zero.weightedMean, 2.0);
}

}  // namespace
}  // namespace korva
