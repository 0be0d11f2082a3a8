#include "spectrum/calibration_fit.h"

#include <gtest/gtest.h>

#include <cmath>

#include "spectrum/plain_number.h"

namespace korva {
namespace {

using Rows = std::vector<CalibrationRow>;

CalibrationRow Row(double channel, double energy, bool checked) {
  CalibrationRow row = MakeCalibrationRow(std::to_string(channel), std::to_string(energy));
  row.checked = checked;
  return row;
}

struct Sets {
  CalibrationRecord set1;
  CalibrationRecord set2;
};

TEST(CalibrationLine, UsesTheFirstAndLastUsablePoints) {
  Sets sets;
  // Two points at one channel cannot give a slope: the line gets slope 1
  // through the first point.
  CalibrationFit fit = FitCalibration(sets.set1, sets.set2, {Row(100, 50, false), Row(100, 60, false)}, 1, 1);
  EXPECT_EQ(fit.outcome, FitOutcome::kFitted);
  EXPECT_EQ(fit.caption, "CALIBRATION w/ ALL");
  EXPECT_EQ(fit.coefficientTexts,
            (std::array<std::string, 3>{"a =   0.00000000", "b =   1.00000000", "c = -50.00000000"}));

  // With selected points only the checked two count, whatever lies between.
  const Rows rows = {Row(10, 100, true), Row(20, 999, false), Row(30, 300, true)};
  fit = FitCalibration(sets.set1, sets.set2, rows, 1, 0);
  EXPECT_EQ(fit.caption, "CALIBRATION w/ SELECTED");
  EXPECT_DOUBLE_EQ(sets.set2.a, 0.0);
  EXPECT_DOUBLE_EQ(sets.set2.b, 10.0);
  EXPECT_NEAR(sets.set2.c, 0.0, 1e-12);
  EXPECT_EQ(sets.set2.pointCount, 3);
  EXPECT_EQ(sets.set1.useAll, 0);
}

TEST(CalibrationLine, TooFewPointsKeepTheCoefficients) {
  Sets sets;
  sets.set2.a = 0.5;
  sets.set2.b = 2.0;
  sets.set2.c = -1.0;
  const CalibrationFit fit =
      FitCalibration(sets.set1, sets.set2, {Row(10, 1, true), Row(20, 2, false), Row(30, 3, false)}, 1, 0);
  EXPECT_EQ(fit.outcome, FitOutcome::kTooFewPoints);
  EXPECT_EQ(fit.message, "Calibration requires at least two points");
  EXPECT_EQ(fit.caption, "CALIBRATION");
  EXPECT_EQ(fit.coefficientTexts[1], "b =   2.00000000");
  EXPECT_DOUBLE_EQ(sets.set2.a, 0.5);
  EXPECT_DOUBLE_EQ(sets.set2.c, -1.0);
}

TEST(CalibrationPoints, NewestFirstAtMostTenAndTheSoftSizeFactor) {
  Rows rows;
  ASSERT_TRUE(AddCalibrationRow(rows, MakeCalibrationRow("100", "661.657")));
  ASSERT_TRUE(AddCalibrationRow(rows, MakeCalibrationRow(" 300.004x", "1460.8")));
  EXPECT_EQ(rows[0].channel, "  300.00") << "the last point added comes first";
  EXPECT_EQ(rows[0].energy, "1460.8000");
  Rows full = rows;
  for (int i = 2; i < 10; ++i) ASSERT_TRUE(AddCalibrationRow(full, MakeCalibrationRow("1", "1")));
  EXPECT_FALSE(AddCalibrationRow(full, MakeCalibrationRow("1", "1")));
  EXPECT_EQ(full.size(), 10u);

  // Soft size 1024 of 4096: the files carry full-resolution channels.
  Sets sets;
  ASSERT_EQ(FitCalibration(sets.set1, sets.set2, rows, 4, 1).outcome, FitOutcome::kFitted);
  EXPECT_DOUBLE_EQ(sets.set1.channel[1], 400.0);
  EXPECT_DOUBLE_EQ(sets.set2.channel[1], 100.0);
  EXPECT_DOUBLE_EQ(sets.set1.b, 1.0) << "set 1 is never fitted";

  sets.set1.units = 37;  // out of the unit list
  sets.set1.enabled = 1;
  CalibrationRecord reloaded;
  const LoadedCalibration loaded = LoadPointsIntoView(sets.set1, reloaded, 4);
  ASSERT_EQ(loaded.rows.size(), 2u);
  EXPECT_EQ(loaded.rows[1].channel, "  100.00");
  EXPECT_EQ(loaded.rows[1].energy, "661.6570");
  EXPECT_TRUE(loaded.fitted);
  EXPECT_EQ(loaded.fit.caption, "CALIBRATION w/ ALL");
  EXPECT_DOUBLE_EQ(reloaded.b, sets.set2.b);
  EXPECT_EQ(reloaded.units, 0);
  EXPECT_EQ(sets.set1.units, 0);
  EXPECT_EQ(reloaded.enabled, 1);
}

// A record whose points give no curve shows channels again, not the curve
// of points it held before (a file read into the same record, say).
TEST(CalibrationPoints, ReloadWithoutTwoUsablePointsDropsTheEarlierCurve) {
  CalibrationRecord set1;
  set1.pointCount = 2;
  set1.channel[0] = 10;
  set1.use[0] = 1;
  CalibrationRecord set2;
  set2.a = 0.5;
  set2.b = 3.0;
  set2.c = 7.0;
  const LoadedCalibration loaded = LoadPointsIntoView(set1, set2, 1);
  EXPECT_FALSE(loaded.fitted);
  EXPECT_TRUE(loaded.rows[0].checked);
  EXPECT_FALSE(loaded.rows[1].checked);
  EXPECT_EQ(loaded.fit.caption, "Not Calibrated");
  EXPECT_EQ(loaded.fit.coefficientTexts[1], "b = ?");
  EXPECT_DOUBLE_EQ(set2.a, 0.0);
  EXPECT_DOUBLE_EQ(set2.b, 1.0);
  EXPECT_DOUBLE_EQ(set2.c, 0.0);

  // Three points on two channels: no parabola, and no earlier curve either.
  set1.pointCount = 3;
  set1.useAll = 1;
  set1.channel = {10, 10, 20};
  set1.energy = {1, 2, 3};
  set2.b = 3.0;
  const LoadedCalibration undefined = LoadPointsIntoView(set1, set2, 1);
  EXPECT_EQ(undefined.fit.outcome, FitOutcome::kUndefinedCurve);
  EXPECT_EQ(undefined.fit.caption, "CALIBRATION");
  EXPECT_DOUBLE_EQ(set2.b, 1.0);
}

void ExpectParabola(const CalibrationRecord& record, double a, double b, double c) {
  EXPECT_NEAR(record.a, a, 1e-12);
  EXPECT_NEAR(record.b, b, 1e-9);
  EXPECT_NEAR(record.c, c, 1e-6);
}

TEST(CalibrationParabola, PassesThroughThreePoints) {
  const auto energy = [](double x) { return 1e-6 * x * x + 0.5 * x + 3.0; };
  for (const std::array<double, 3> channels : {std::array<double, 3>{100, 2000, 4000},
                                               // Close together at the top of the range the raw
                                               // normal equations lose the curvature entirely.
                                               std::array<double, 3>{4090, 4093, 4095}}) {
    SCOPED_TRACE(channels[0]);
    Rows rows;
    for (double x : channels) rows.push_back({FixedText(x, 8, 2), std::to_string(energy(x)), true});
    Sets sets;
    // Energies pass through "%f" text; compare against the texts' values.
    ASSERT_EQ(FitCalibration(sets.set1, sets.set2, rows, 1, 0).outcome, FitOutcome::kFitted);
    for (std::size_t i = 0; i < 3; ++i) {
      const double x = channels[i];
      EXPECT_NEAR((sets.set2.a * x + sets.set2.b) * x + sets.set2.c, std::stod(rows[i].energy), 1e-8);
    }
  }
}

TEST(CalibrationParabola, LeastSquaresOverMorePoints) {
  // Points on a parabola fit it exactly; the lone unchecked outlier only
  // counts with all points.
  Rows rows;
  for (double x : {50.0, 400.0, 1200.0, 2500.0, 3900.0}) {
    rows.push_back({FixedText(x, 8, 2), FixedText(-2e-5 * x * x + 0.25 * x + 12.0, 14, 8), true});
  }
  rows.push_back(Row(1000, 0, false));
  Sets sets;
  ASSERT_EQ(FitCalibration(sets.set1, sets.set2, rows, 1, 0).outcome, FitOutcome::kFitted);
  ExpectParabola(sets.set2, -2e-5, 0.25, 12.0);
  ASSERT_EQ(FitCalibration(sets.set1, sets.set2, rows, 1, 1).outcome, FitOutcome::kFitted);
  EXPECT_GT(std::fabs(sets.set2.a + 2e-5), 1e-6);
}

TEST(CalibrationParabola, PointsThatDefineNoCurveKeepTheCoefficients) {
  const std::vector<Rows> cases = {
      {Row(100, 1, true), Row(100, 2, true), Row(200, 3, true)},  // two channels only
      {Row(7, 1, true), Row(7, 2, true), Row(7, 3, true)},
      {Row(1, 1, true), Row(2, 2, true), {"3", "nan", true}},  // a non-finite energy
  };
  for (const Rows& rows : cases) {
    Sets sets;
    sets.set2.a = 1e-3;
    const CalibrationFit fit = FitCalibration(sets.set1, sets.set2, rows, 1, 1);
    EXPECT_EQ(fit.outcome, FitOutcome::kUndefinedCurve);
    EXPECT_EQ(fit.caption, "CALIBRATION");
    EXPECT_EQ(fit.message, "The calibration points do not define a curve");
    EXPECT_EQ(fit.coefficientTexts[0], "a =   0.00100000");
    EXPECT_DOUBLE_EQ(sets.set2.b, 1.0);
  }
}

}  // namespace
}  // namespace korva
