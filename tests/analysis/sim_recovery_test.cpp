// The virtual instrument measures a tritium vial event by event with its own
// physics; its run records go through the program's .tdc writer and reader
// into the analysis, which must find the vial's activity again.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "../sim/tdcr_test_support.h"
#include "analysis/measurement_analysis.h"
#include "measurement_snapshot_builder.h"
#include "tdcr/measurement_files.h"
#include "tdcr/measurement_tdc_reader.h"

namespace korva {
namespace {

using namespace korva::sim::testing;

constexpr int kRuns = 5;
constexpr std::uint32_t kRunMs = 2000;
constexpr std::uint16_t kWindowsN40M200 = 3 | 15 << 4;
constexpr std::uint16_t kExtension1At640ns = 78;
constexpr std::uint16_t kExtension2At8us = 1000;

std::vector<TdcrRunRecord> MeasureTritium(double activityBq, std::uint32_t seed) {
  sim::VirtualInstrument instrument(sim::InstrumentIdentity{}, seed,
                                    sim::TdcrOptions{.activityBq = activityBq});
  SetUpSequence(instrument, kRuns, kRunMs, 0);
  WriteRegisters(instrument, sim::tdcr_reg::kExtension1, {kExtension1At640ns, kExtension2At8us});
  WriteRegisters(instrument, sim::tdcr_reg::kWindows, {kWindowsN40M200});
  WriteControl(instrument, kStartWord);
  AdvanceBy(instrument, std::chrono::milliseconds(kRuns * kRunMs + 100), std::chrono::milliseconds(50));
  EXPECT_FALSE(Running(instrument));
  std::vector<TdcrRunRecord> records;
  for (int run = 1; run <= kRuns; ++run) {
    const sim::TdcrRunRecord counted = RecordOf(instrument, run);
    TdcrRunRecord record;
    std::copy(counted.begin(), counted.end(), record.counters.begin());
    records.push_back(record);
  }
  return records;
}

TEST(SimRecovery, TheAnalysisFindsTheVirtualVialsActivityWithinItsExpandedUncertainty) {
  test::SnapshotSettings settings;
  settings.windows = {"40", "200"};
  settings.extensionsUs = {0.640, 8.016};
  settings.timePerRun = kRunMs / 1000.0;
  const std::string file = TdcFileText(test::SnapshotOf(MeasureTritium(5000.0, 17), settings));
  const TdcReadResult read = ReadTdcText(file);
  ASSERT_TRUE(read.measurement) << read.error;

  for (std::size_t extension = 0; extension < 2; ++extension) {
    AnalysisSettings choice;
    choice.extension = extension;
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
