// The headless trace capture against a virtual instrument: averaged and
// single captures to their CSV files, and an existing file kept.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include "../support/unpaced_instrument.h"
#include "cli_tool.h"
#include "sim/pty_server.h"

namespace korva {
namespace {

using test::Outcome;
using test::RunTool;

QStringList Lines(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return QString::fromUtf8(file.readAll()).split('\n');
}

TEST(HeadlessTrace, CapturesAveragedAndSingleTracesIntoTheViewersExport) {
  sim::PtyServer instrument(test::UnpacedInstrument());
  instrument.Start();
  const QString port = QString::fromStdString(instrument.DevicePath());
  QTemporaryDir folder;
  const QString averaged = folder.filePath("adc.csv");
  Outcome outcome = RunTool({"trace", "--port", port, "--out", averaged, "--input", "adc", "--trigger", "1",
                             "--mode", "Av4", "--timebase", "0", "--position", "40"});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.out.contains("Traces captured: 4\n")) << outcome.out.toStdString();
  QStringList lines = Lines(averaged);
  ASSERT_EQ(lines.size(), 7 + 256 + 1);
  EXPECT_EQ(lines[1], "Digital Signal: ADC (RAW DATA)");
  EXPECT_EQ(lines[2], "Traces Averaged: 4");
  EXPECT_EQ(lines[3], "Trigger Source: S LLD");
  EXPECT_EQ(lines[4], "Trigger Delay: 10 samples (0.0800 us)") << "slider 40 at 4 points a sample";
  EXPECT_EQ(lines[6], "Sample,Time [us],ADC,F LLD,S LLD,PKDT,STORE,PUR,INHIBIT,INPUT R,ROI-SCA");
  EXPECT_TRUE(lines[7 + 10].startsWith("10,0.0000,"));
  // The mean ADC level rises after the trigger: every averaged trace has its
  // pulse there.
  const auto adc = [&](int sample) { return lines[7 + sample].split(',')[2].toInt(); };
  EXPECT_GT(adc(20), adc(5) + 20) << lines[7 + 5].toStdString() << " / " << lines[7 + 20].toStdString();

  const QString single = folder.filePath("single");
  outcome = RunTool({"trace", "--port", port, "--out", single, "--mode", "SGL", "--count", "2",
                     "--normalized", "--trigger", "0", "--invert"});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.out.contains("Traces captured: 2\n")) << outcome.out.toStdString();
  lines = Lines(single + ".csv");
  EXPECT_EQ(lines[1], "Digital Signal: SLOW (NORMALIZED DATA)");
  EXPECT_EQ(lines[2], "Traces Averaged: SINGLE TRACE");
}

TEST(HeadlessTrace, AnExistingFileIsKeptWithoutOverwriteAndBadOptionsAreRefused) {
  sim::PtyServer instrument(test::UnpacedInstrument());
  instrument.Start();
  const QString port = QString::fromStdString(instrument.DevicePath());
  QTemporaryDir folder;
  const QString path = folder.filePath("kept.csv");
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("earlier");
  }
  Outcome outcome = RunTool({"trace", "--port", port, "--out", path});
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_TRUE(outcome.err.contains("File already exists")) << outcome.err.toStdString();
  EXPECT_EQ(Lines(path), QStringList{"earlier"});

  outcome = RunTool({"trace", "--port", port, "--out", path, "--mode", "Av3"});
  EXPECT_EQ(outcome.exitCode, 2);
  EXPECT_TRUE(outcome.err.contains("--mode must be")) << outcome.err.toStdString();
  outcome = RunTool({"trace", "--port", port, "--out", path, "--trigger", "8"});
  EXPECT_EQ(outcome.exitCode, 2);
}

// An instrument that stops answering trace reads: the link gives up, and
// the tool says so rather than blaming the trigger.
TEST(HeadlessTrace, ALinkGivenUpIsReportedAsSuch) {
  sim::ServerOptions options = test::UnpacedInstrument();
  options.faults.silent = true;
  options.faults.only = sim::RequestKind::kTraceRead;
  sim::PtyServer instrument(options);
  instrument.Start();
  QTemporaryDir folder;
  test::WriteQuickLinkTimings(folder.path());
  const Outcome outcome = test::RunToolWithSettings(
      folder.path(), {"trace", "--port", QString::fromStdString(instrument.DevicePath()), "--out",
                      folder.filePath("lost.csv")});
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_TRUE(outcome.err.contains("No trace arrived: the link to the instrument was given up."))
      << outcome.err.toStdString();
  EXPECT_FALSE(outcome.err.contains("the trigger did not fire"));
}

}  // namespace
}  // namespace korva
