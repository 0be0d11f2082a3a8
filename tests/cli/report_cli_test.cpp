// The tool's variation study, characteristic limits and PDF reports on
// measurements of the virtual instrument.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <fstream>

#include "../analysis/measurement_snapshot_builder.h"
#include "../analysis/virtual_vial.h"
#include "cli_tool.h"
#include "tdcr/measurement_files.h"

namespace korva {
namespace {

using test::Outcome;

// A .tdc of the virtual tritium vial: two runs of 1 s at `light` of its light.
QString SavedVial(const QTemporaryDir& dir, const QString& name, double activity, double light) {
  test::SnapshotSettings snapshot;
  snapshot.timePerRun = 1.0;
  const sim::TdcrOptions vial{.activityBq = activity, .photoelectronsPerKeV = 0.83 * light};
  const QString path = dir.filePath(name);
  std::ofstream(path.toStdString()) << TdcFileText(
      test::SnapshotOf(test::MeasureVial(vial, 2, 1000, 7), snapshot));
  return path;
}

QJsonObject JsonOf(const Outcome& output) { return QJsonDocument::fromJson(output.out.toUtf8()).object(); }

TEST(ReportCommands, VariationFitsTheMeasurementsAndWritesItsReport) {
  QTemporaryDir dir;
  const QStringList files = {SavedVial(dir, "a.tdc", 5000.0, 1.0), SavedVial(dir, "b.tdc", 5000.0, 0.7),
                             SavedVial(dir, "c.tdc", 5000.0, 0.5)};
  const Outcome json =
      test::RunTool(QStringList{"variation"} + files + QStringList{"--nuclide", "H-3", "--json"});
  ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
  const QJsonObject study = JsonOf(json);
  EXPECT_EQ(study["points"].toArray().size(), 3);
  EXPECT_GT(study["points"].toArray()[0].toObject()["doublesEfficiency"].toDouble(),
            study["points"].toArray()[2].toObject()["doublesEfficiency"].toDouble());
  EXPECT_TRUE(study["slopeUncertainty"].toDouble() > 0.0);

  const QString pdf = dir.filePath("study.pdf");
  const Outcome text =
      test::RunTool(QStringList{"variation"} + files + QStringList{"--nuclide", "H-3", "--report", pdf});
  ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
  EXPECT_TRUE(text.out.contains("Slope:"));
  EXPECT_TRUE(QFile::exists(pdf));

  const Outcome two = test::RunTool({"variation", files[0], files[1], "--nuclide", "H-3"});
  EXPECT_EQ(two.exitCode, 1);
  EXPECT_TRUE(two.err.contains("at least three"));
}

TEST(ReportCommands, AnalyzeWithABackgroundGivesLimitsAndAReport) {
  QTemporaryDir dir;
  const QString sample = SavedVial(dir, "vial.tdc", 5000.0, 1.0);
  const QString background = SavedVial(dir, "blank.tdc", 0.0, 1.0);
  const QString pdf = dir.filePath("vial.pdf");
  const Outcome output = test::RunTool({"analyze", sample, "--nuclide", "H-3", "--background", background,
                                        "--json", "--report", pdf, "--gamma", "0.1"});
  ASSERT_EQ(output.exitCode, 0) << output.err.toStdString();
  const QJsonObject limits = JsonOf(output)["result"].toObject()["characteristicLimits"].toObject();
  EXPECT_TRUE(limits["detected"].toBool());
  EXPECT_EQ(limits["gamma"].toDouble(), 0.1);
  EXPECT_LT(limits["coverageLower"].toDouble(), limits["coverageUpper"].toDouble());
  EXPECT_TRUE(QFile::exists(pdf));

  const std::vector<std::pair<QStringList, QString>> wrong = {
      {{"analyze", sample, "--nuclide", "H-3", "--efficiency", "0.5"}, "--efficiency goes with --background"},
      {{"analyze", sample, "--nuclide", "H-3", "--gamma", "1.5"}, "gamma"},
      {{"analyze", sample, "--nuclide", "H-3", "--k-alpha", "x"}, "--k-alpha is a number"},
  };
  for (const auto& [arguments, message] : wrong) {
    const Outcome refused = test::RunTool(arguments);
    EXPECT_EQ(refused.exitCode, 2) << arguments.join(' ').toStdString();
    EXPECT_TRUE(refused.err.contains(message)) << refused.err.toStdString();
  }
  const Outcome unwritable =
      test::RunTool({"analyze", sample, "--nuclide", "H-3", "--report", "/nonexistent-folder/r.pdf"});
  EXPECT_EQ(unwritable.exitCode, 1);
  EXPECT_TRUE(unwritable.err.contains("/nonexistent-folder/r.pdf"));
}

}  // namespace
}  // namespace korva
