// The virtual instrument measures a 5 kBq Fe-55 vial event by event with
// its own capture physics (the atom's rearrangement, the K X-rays' escape
// from the vial); the analysis, with its own model of the capture, must
// find the vial's activity again within its expanded uncertainty.

#include <gtest/gtest.h>

#include "analysis/measurement_analysis.h"
#include "measurement_snapshot_builder.h"
#include "tdcr/measurement_files.h"
#include "tdcr/measurement_tdc_reader.h"
#include "virtual_vial.h"

namespace korva {
namespace {

constexpr int kRuns = 10;
constexpr std::uint32_t kRunMs = 5000;

// The vial's quarter of a million decays take about a second in the
// optimised tree and some forty times that under the address sanitizer,
// whose tree runs the capture physics' own tests instead.
TEST(LibraryVial, TheAnalysisFindsAnIronVialsActivityWithinItsExpandedUncertainty) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the vial is measured end to end in the optimised tree";
#endif
  test::SnapshotSettings settings;
  settings.record = {"J. Doe", "Fe-55", "toluene", "1350 V"};  // the virtual vial's cocktail
  settings.timePerRun = kRunMs / 1000.0;
  const std::vector<TdcrRunRecord> records =
      test::MeasureVial({.activityBq = 5000.0, .nuclide = "Fe-55"}, kRuns, kRunMs, 23);
  const TdcReadResult read = ReadTdcText(TdcFileText(test::SnapshotOf(records, settings)));
  ASSERT_TRUE(read.measurement) << read.error;

  for (std::size_t extension = 0; extension < 2; ++extension) {
    AnalysisSettings choice;
    choice.nuclide = "Fe-55";
    choice.extension = extension;
    choice.deadTimeModes = {DeadTimeMode::kIndividual, DeadTimeMode::kIndividual};
    const Checked<MeasurementAnalysis> a = AnalyzeMeasurement(*read.measurement, nullptr, choice);
    ASSERT_TRUE(a) << a.error;
    SCOPED_TRACE(::testing::Message() << "extension " << extension + 1 << ": " << a->activity << " Bq +- "
                                      << a->budget.expanded << " (k = 2)");
    EXPECT_NEAR(a->activity, 5000.0, a->budget.expanded);
    EXPECT_EQ(a->Main().doubles.count, kRuns);
    // The capture's light is faint: an efficiency for D of about 0.6 to 0.8
    // leaves the triples well below the doubles.
    for (const RunAnalysis& r : a->Main().runs) {
      EXPECT_GT(r.tdRatio, 0.3) << r.run;
      EXPECT_LT(r.tdRatio, 0.8) << r.run;
    }
    RecordProperty("activity_extension_" + std::to_string(extension + 1), std::to_string(a->activity));
  }
}

}  // namespace
}  // namespace korva
