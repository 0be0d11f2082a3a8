// The headless spectrum acquisition against a virtual instrument: a timed
// run to its files, a Ctrl-C that still saves, and refused options.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>

#include "../support/unpaced_instrument.h"
#include "cli_tool.h"
#include "formats/kts_reader.h"
#include "sim/pty_server.h"

namespace korva {
namespace {

using test::Finished;
using test::Outcome;
using test::RunTool;

std::uint64_t TotalCounts(const CSpectrum& spectrum) {
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < CSpectrum::kChannels; ++i) total += spectrum.Channel(i);
  return total;
}

TEST(HeadlessSpectrum, ATimedRunIsSavedAndReadsBackWithItsSummary) {
  sim::PtyServer instrument(test::UnpacedInstrument());
  instrument.Start();
  QTemporaryDir folder;
  const QString kts = folder.filePath("tritium.kts");
  const QString csv = folder.filePath("tritium.csv");
  const Outcome outcome =
      RunTool({"spectrum", "--port", QString::fromStdString(instrument.DevicePath()), "--out", kts, "--csv",
               csv, "--soft-size", "1024", "--time", "2", "--coarse", "2", "--tag", "Tritium vial"});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.out.contains("START TIME: SYSTEM  ")) << outcome.out.toStdString();
  EXPECT_TRUE(outcome.out.contains(QRegularExpression("Real \\[s\\]: +2\\.00\\n")))
      << outcome.out.toStdString();
  EXPECT_TRUE(outcome.out.contains(QRegularExpression("Dead %: \\d+\\.\\d\\n")));
  const QRegularExpressionMatch total = QRegularExpression("Total counts: (\\d+)\\n").match(outcome.out);
  ASSERT_TRUE(total.hasMatch()) << outcome.out.toStdString();
  EXPECT_TRUE(outcome.out.contains(QRegularExpression("Maximum at channel: \\d+\\n")));
  EXPECT_TRUE(outcome.err.contains(">> Start Spectrum Acquisition\n"));
  // Progress lines go to standard error, apart from the results.
  EXPECT_TRUE(outcome.err.contains(QRegularExpression("elapsed +\\d+\\.\\d s  real")));
  EXPECT_FALSE(outcome.out.contains("elapsed"));

  CSpectrum loaded;
  ASSERT_EQ(LoadSpectrumFile(loaded, kts.toStdString()), SpectrumFileStatus::kDone);
  EXPECT_EQ(loaded.tag, "Tritium vial");
  EXPECT_GT(TotalCounts(loaded), 1000u) << "a 5 kBq vial over 2 s";
  EXPECT_EQ(TotalCounts(loaded), total.captured(1).toULongLong()) << "the file holds the counts printed";
  EXPECT_EQ(loaded.image.registers[18] & 3, 2) << "the coarse gain the run was made with";
  EXPECT_EQ(loaded.image.registers[16] & 1, 0) << "stopped at the preset";

  QFile table(csv);
  ASSERT_TRUE(table.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = table.readAll().split('\n');
  int rows = 0;
  for (const QByteArray& line : lines) rows += QRegularExpression("^\\d+, \\d+$").match(line).hasMatch();
  EXPECT_EQ(rows, 1024) << "one row per sum at soft size 1024";
}

TEST(HeadlessSpectrum, CtrlCStopsTheRunAndSavesWhatWasAcquired) {
  sim::PtyServer instrument(test::UnpacedInstrument());
  instrument.Start();
  QTemporaryDir folder;
  const QString kts = folder.filePath("open-ended.kts");
  QProcess tool;
  tool.start(QStringLiteral(KORVA_CLI_PATH),
             {"spectrum", "--port", QString::fromStdString(instrument.DevicePath()), "--out", kts});
  ASSERT_TRUE(test::WaitForErrorText(tool, "elapsed ", 20000));  // a progress line: running
  ::kill(static_cast<pid_t>(tool.processId()), SIGINT);
  const Outcome outcome = Finished(tool, 30000);
  EXPECT_EQ(outcome.exitCode, 130) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.err.contains(">> Stop Spectrum Acquisition\n"));
  CSpectrum loaded;
  ASSERT_EQ(LoadSpectrumFile(loaded, kts.toStdString()), SpectrumFileStatus::kDone);
  EXPECT_GT(TotalCounts(loaded), 0u);
}

TEST(HeadlessSpectrum, BadOptionsAndAnExistingFileAreRefusedBeforeTheInstrumentIsTouched) {
  sim::PtyServer instrument(test::UnpacedInstrument());
  instrument.Start();
  QTemporaryDir folder;
  const QString port = QString::fromStdString(instrument.DevicePath());
  const QString kts = folder.filePath("x.kts");
  for (const QStringList& bad :
       {QStringList{"--soft-size", "1000", "--csv", folder.filePath("x.csv")}, QStringList{"--input", "9"},
        QStringList{"--coarse", "4"}, QStringList{"--fine", "1.25"}, QStringList{"--live"},
        QStringList{"--time", "0"}, QStringList{"--reference", "gps"}, QStringList{"--csv", kts},
        QStringList{"--csv", folder.path() + "/../" + QFileInfo(folder.path()).fileName() + "/x.kts"}}) {
    const Outcome outcome = RunTool(QStringList{"spectrum", "--port", port, "--out", kts} << bad);
    EXPECT_EQ(outcome.exitCode, 2) << bad.join(' ').toStdString();
  }
  QFile existing(kts);
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.write("keep me");
  existing.close();
  const Outcome outcome = RunTool({"spectrum", "--port", port, "--out", kts, "--time", "1"});
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_TRUE(outcome.err.contains("File already exists")) << outcome.err.toStdString();
  EXPECT_FALSE(outcome.err.contains("Connected to")) << "refused before connecting";
  ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
  EXPECT_EQ(existing.readAll(), "keep me");
}

}  // namespace
}  // namespace korva
