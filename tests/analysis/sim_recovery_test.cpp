// The virtual instrument measures a tritium vial event by event with its own
// physics; its run records go through the program's .tdc writer and reader
// into the analysis, which must find the vial's activity again.

#include <gtest/gtest.h>

#include "analysis/measurement_analysis.h"
#include "measurement_snapshot_builder.h"
#include "tdcr/measurement_files.h"
#include "tdcr/measurement_tdc_reader.h"
#include "virtual_vial.h"

namespace korva {
namespace {

constexpr int kRuns = 5;
constexpr std::uint32_t kRunMs = 2000;

TEST(SimRecovery, TheAnalysisFindsTheVirtualVialsActivityWithinItsExpandedUncertainty) {
  test::SnapshotSettings settings;
  settings.windows = {"40", "200"};
  settings.extensionsUs = {0.640, 8.016};
  settings.timePerRun = kRunMs / 1000.0;
  const std::vector<TdcrRunRecord> records = test::MeasureVial({.activityBq = 5000.0}, kRuns, kRunMs, 17);
  const TdcReadResult read = ReadTdcText(TdcFileText(test::SnapshotOf(records, settings)));
  ASSERT_TRUE(read.measurement) << read.error;

  for (std::size_t extension = 0; extension < 2; ++extension) {
    AnalysisSettings choice;
    choice.extension = extension;
    choice.deadTimeModes = {DeadTimeMode::kIndividual, DeadTimeMode::kIndividual};
    const Checked<MeasurementAnalysis> a = AnalyzeMeasurement(*read.measurement, nullptr, choice);
    ASSERT_TRUE(a) << a.error;
    SCOPED_TRACE(::testing::Message() << "extension " << extension + 1 << ": " << a->activity << " Bq +- "
                                      << a->budget.expanded << " (k = 2)");
    EXPECT_NEAR(a->activity, 5000.0, a->budget.expanded);
    // Sim and analysis share kB, so no kB bias is allowed for: counting alone covers the difference.
    EXPECT_NEAR(a->activity, 5000.0, 3.0 * a->budget.components[0].standardUncertainty);
    EXPECT_LT(a->budget.Relative(a->budget.expanded), 0.04);
    EXPECT_EQ(a->Main().doubles.count, kRuns);
    for (const RunAnalysis& r : a->Main().runs) EXPECT_NEAR(r.tdRatio, 0.50, 0.03) << r.run;
    RecordProperty("activity_extension_" + std::to_string(extension + 1), std::to_string(a->activity));
  }
}

}  // namespace
}  // namespace korva
