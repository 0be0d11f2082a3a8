// End to end at a high count rate: the headless tool measures a 100 kBq
// C-14 vial of the virtual instrument running five times faster than real
// time, then analyses its own file.

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <memory>

#include "cli_tool.h"
#include "sim/pty_server.h"

namespace korva {
namespace {

std::unique_ptr<sim::PtyServer> StartCarbonVial(double activityBq, double timeScale) {
  sim::ServerOptions options;
  options.baud = 0;
  options.tdcr.nuclide = "C-14";
  options.tdcr.activityBq = activityBq;
  options.tdcr.timeScale = timeScale;
  auto instrument = std::make_unique<sim::PtyServer>(options);
  instrument->Start();
  return instrument;
}

// Each decay costs the instrument's event loop about a microsecond, so on a
// loaded machine the vial's physics can fall behind the clock; the line must
// still answer every request, and the sequence must end with its runs whole.
TEST(BusyVial, AHundredKilobecquerelCarbonVialIsMeasuredAndFoundAgain) {
  const auto instrument = StartCarbonVial(1e5, 5.0);
  QTemporaryDir folder;
  const QString base = folder.filePath("carbon");
  const test::Outcome measured = test::RunTool(
      {"measure", "--port", QString::fromStdString(instrument->DevicePath()), "--out", base, "--runs", "3",
       "--time", "1", "--gap", "0.1", "--window-n", "40", "--window-m", "200", "--mode1", "CDT"});
  ASSERT_EQ(measured.exitCode, 0) << measured.err.toStdString();
  EXPECT_FALSE(measured.err.contains("Time Out")) << measured.err.toStdString();

  const test::Outcome analysed = test::RunTool({"analyze", base + ".tdc", "--nuclide", "C-14", "--window",
                                                "M", "--extension", "1", "--mode1", "CDT", "--json"});
  ASSERT_EQ(analysed.exitCode, 0) << analysed.err.toStdString();
  const QJsonObject result = QJsonDocument::fromJson(analysed.out.toUtf8()).object()["result"].toObject();
  EXPECT_EQ(result["runsUsed"].toInt(), 3);
  EXPECT_NEAR(result["activity"].toDouble(), 1e5, result["expandedUncertainty"].toDouble());
  RecordProperty("activity", std::to_string(result["activity"].toDouble()));
}

}  // namespace
}  // namespace korva
