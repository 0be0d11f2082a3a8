// The efficiency-variation dialog and the pane's limit choices, offscreen.

#include "analysis/variation_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <fstream>

#include "analysis/analysis_view.h"
#include "measurement_snapshot_builder.h"
#include "tdcr/measurement_files.h"
#include "virtual_vial.h"

namespace korva {
namespace {

// A .tdc of the virtual vial at `light` of its light: two runs of 1 s.
std::filesystem::path SavedVial(const QTemporaryDir& dir, double light, std::uint32_t seed) {
  test::SnapshotSettings snapshot;
  snapshot.timePerRun = 1.0;
  const sim::TdcrOptions vial{.activityBq = 5000.0, .photoelectronsPerKeV = 0.83 * light};
  const std::filesystem::path path = dir.filePath(QStringLiteral("f%1.tdc").arg(light)).toStdString();
  std::ofstream(path) << TdcFileText(test::SnapshotOf(test::MeasureVial(vial, 2, 1000, seed), snapshot));
  return path;
}

TEST(VariationDialog, AddedMeasurementsGiveTheStudyAndItsReport) {
  QTemporaryDir dir;
  std::vector<std::filesystem::path> chosen;
  VariationDialog dialog({}, {"Lab", "Op"}, [&](bool) { return chosen; });
  EXPECT_FALSE(dialog.Study());
  EXPECT_TRUE(dialog.AddFiles({SavedVial(dir, 1.0, 1), SavedVial(dir, 0.7, 2)}));
  EXPECT_FALSE(dialog.Study()) << "two measurements are too few";
  EXPECT_TRUE(dialog.Summary().text().contains(QStringLiteral("at least three")));
  EXPECT_TRUE(dialog.AddFiles({SavedVial(dir, 0.5, 3)}));
  ASSERT_TRUE(dialog.Study()) << dialog.Study().error;
  EXPECT_EQ(dialog.Study()->points.size(), 3u);
  EXPECT_TRUE(dialog.Summary().text().startsWith(QStringLiteral("Slope:")));
  const std::filesystem::path pdf = dir.filePath(QStringLiteral("study.pdf")).toStdString();
  EXPECT_FALSE(dialog.ExportReport(pdf));
  EXPECT_TRUE(QFile::exists(QString::fromStdString(pdf.string())));

  const std::filesystem::path broken = dir.filePath(QStringLiteral("broken.tdc")).toStdString();
  std::ofstream(broken) << "not a measurement";
  EXPECT_FALSE(dialog.AddFiles({broken}));
  EXPECT_TRUE(dialog.Summary().text().contains(QString::fromStdString(broken.string())));
}

TEST(AnalysisView, TheLimitChoicesReachTheSettings) {
  AnalysisView view;
  AnalysisSettings settings;
  settings.limits = {2.326, 1.282, 0.1};
  settings.givenEfficiency = 0.45;
  view.ShowSettings(settings);
  const AnalysisSettings shown = view.Settings();
  EXPECT_DOUBLE_EQ(shown.limits.kAlpha, 2.326);
  EXPECT_DOUBLE_EQ(shown.limits.kBeta, 1.282);
  EXPECT_DOUBLE_EQ(shown.limits.gamma, 0.1);
  ASSERT_TRUE(shown.givenEfficiency);
  EXPECT_DOUBLE_EQ(*shown.givenEfficiency, 0.45);
  settings.givenEfficiency.reset();
  view.ShowSettings(settings);
  EXPECT_FALSE(view.Settings().givenEfficiency) << "0 on the field is none";
}

}  // namespace
}  // namespace korva
