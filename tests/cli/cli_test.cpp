#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <memory>

#include "../support/qt_application.h"
#include "sim/pty_server.h"

namespace korva {
namespace {

[[maybe_unused]] const auto* const kApplication =
    ::testing::AddGlobalTestEnvironment(new test::QtApplication<QCoreApplication>);

struct Outcome {
  int exitCode = -1;
  QString out;
  QString err;
};

Outcome RunTool(const QStringList& arguments, int timeoutMs = 60000) {
  QProcess tool;
  tool.start(QStringLiteral(KORVA_CLI_PATH), arguments);
  EXPECT_TRUE(tool.waitForFinished(timeoutMs));
  return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()),
          QString::fromUtf8(tool.readAllStandardError())};
}

TEST(HeadlessTool, InfoPrintsTheAboutHardwareText) {
  sim::ServerOptions options;
  options.identity.serialNumber = 321;
  options.baud = 0;
  sim::PtyServer instrument(options);
  instrument.Start();
  const Outcome outcome = RunTool({"info", "--port", QString::fromStdString(instrument.DevicePath())});
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
  EXPECT_EQ(outcome.out,
            "Veltra RQ3102\nSerial Number:\t00321\nFirmware Version:\t2.15\nFPGA Version:\t  3.1\n\n"
            "TDCR Thresholds:\tCalibrated\nCalibration Date:\t14-MAR-2024\n");
  // Every event-log line reaches standard error as it is appended.
  EXPECT_TRUE(outcome.err.contains(QRegularExpression(">> Connected to: /dev/pts/\\d+\n")));
  EXPECT_TRUE(outcome.err.contains(">> Disconnected from hardware\n"));
}

TEST(HeadlessTool, InfoGivesUpOnASilentInstrument) {
  sim::ServerOptions options;
  options.faults.silent = true;
  sim::PtyServer instrument(options);
  instrument.Start();
  const Outcome outcome = RunTool({"info", "--port", QString::fromStdString(instrument.DevicePath())}, 60000);
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_TRUE(outcome.err.contains(">> Max Number of Repeat Read Reached\n"));
  EXPECT_TRUE(outcome.err.contains(">> Communication Time Out- Timer\n"));
  EXPECT_TRUE(outcome.out.isEmpty());
}

TEST(HeadlessTool, FailuresAndUsageErrorsHaveTheirExitCodes) {
  Outcome outcome = RunTool({"info", "--port", "/dev/no-such-port"});
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_TRUE(outcome.err.contains("Unable to open COM-port\n"));

  for (const QStringList& arguments :
       {QStringList{}, QStringList{"measure-all"}, QStringList{"info"}, QStringList{"info", "--port"},
        QStringList{"info", "--bogus", "1"}, QStringList{"info", "--port", "x", "--baud", "fast"}}) {
    outcome = RunTool(arguments);
    EXPECT_EQ(outcome.exitCode, 2) << arguments.join(' ').toStdString();
    EXPECT_TRUE(outcome.err.contains("usage: korva-tdcr-cli")) << arguments.join(' ').toStdString();
  }
}

}  // namespace
}  // namespace korva
