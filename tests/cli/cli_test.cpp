#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <memory>

#include "cli_tool.h"
#include "sim/pty_server.h"

namespace korva {
namespace {

using test::Finished;
using test::Outcome;
using test::RunTool;

// An instrument whose TDCR sequence runs ten times faster than real time.
std::unique_ptr<sim::PtyServer> FastInstrument() {
  sim::ServerOptions options;
  options.baud = 0;
  options.tdcr.timeScale = 10.0;
  auto instrument = std::make_unique<sim::PtyServer>(options);
  instrument->Start();
  return instrument;
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
  QTemporaryDir settings;
  test::WriteQuickLinkTimings(settings.path());
  const Outcome outcome = test::RunToolWithSettings(
      settings.path(), {"info", "--port", QString::fromStdString(instrument.DevicePath())});
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_TRUE(outcome.err.contains(">> Max Number of Repeat Read Reached\n"));
  EXPECT_TRUE(outcome.err.contains(">> Communication Time Out- Timer\n"));
  EXPECT_TRUE(outcome.out.isEmpty());
}

// find runs in a runtime folder that holds only the announcements a test
// writes, so the virtual instruments of other tests are not found, and
// with quick port probes.
Outcome FindIn(const QString& runtime) {
  QTemporaryDir settings;
  test::WriteQuickLinkTimings(settings.path());
  QProcess tool;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("XDG_RUNTIME_DIR", runtime);
  environment.insert("XDG_CONFIG_HOME", settings.path());
  tool.setProcessEnvironment(environment);
  tool.start(QStringLiteral(KORVA_CLI_PATH), {"find"});
  return Finished(tool, 60000);
}

TEST(HeadlessTool, FindSaysSoWhenNoInstrumentAnswers) {
  QTemporaryDir runtime;
  const Outcome none = FindIn(runtime.path());
  if (none.exitCode == 0) GTEST_SKIP() << "an instrument answers on this computer's own ports";
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_TRUE(none.err.contains("No instrument found on any serial port")) << none.err.toStdString();
  EXPECT_TRUE(none.out.isEmpty());
}

// Each instrument found comes with the device path --port takes.
TEST(HeadlessTool, FindPrintsTheDevicePathPortTakes) {
  sim::ServerOptions options;
  options.identity.serialNumber = 321;
  options.baud = 0;
  sim::PtyServer instrument(options);
  instrument.Start();
  const std::string device = instrument.DevicePath();
  QTemporaryDir runtime;
  ASSERT_TRUE(QDir(runtime.path()).mkpath("korva-tdcr/instruments"));
  QFile announcement(runtime.path() + "/korva-tdcr/instruments/" + QString::number(::getpid()) +
                     "-test.instrument");
  ASSERT_TRUE(announcement.open(QIODevice::WriteOnly));
  announcement.write(QByteArray("device=") + device.c_str() + "\npid=" + QByteArray::number(::getpid()) +
                     "\n");
  announcement.close();
  const Outcome found = FindIn(runtime.path());
  EXPECT_EQ(found.exitCode, 0) << found.err.toStdString();
  EXPECT_TRUE(
      found.out.contains(QString::fromStdString("(" + device.substr(5) + ") -> SN: 00321  --port " + device)))
      << found.out.toStdString();
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
  // A known command's mistake shows that command's usage alone; an unknown
  // command shows them all.
  outcome = RunTool({"info", "--bogus", "1"});
  EXPECT_TRUE(outcome.err.contains("usage: korva-tdcr-cli info --port DEVICE")) << outcome.err.toStdString();
  EXPECT_FALSE(outcome.err.contains("korva-tdcr-cli measure")) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.err.contains("korva-tdcr-cli --help lists every command."));
  EXPECT_TRUE(RunTool({"measure-all"}).err.contains("korva-tdcr-cli measure --port DEVICE"));
}

TEST(HeadlessTool, MeasureRunsTheSequenceAndSavesItsThreeFiles) {
  auto instrument = FastInstrument();
  QTemporaryDir folder;
  QDir(folder.path()).mkdir("H-3.batch");
  const QString base = folder.filePath("H-3.batch/vial");  // a dot in the folder, no extension
  const QStringList arguments = {"measure",    "--port", QString::fromStdString(instrument->DevicePath()),
                                 "--out",      base,     "--runs",
                                 "2",          "--time", "1",
                                 "--gap",      "0.5",    "--window-m",
                                 "40",         "--tag",  "H-3 <std> & blank",
                                 "--operator", "QA"};
  Outcome outcome = RunTool(arguments);
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
  // Progress lines go to standard error, apart from the run table.
  EXPECT_TRUE(outcome.err.contains("RUN 2 of 2  elapsed"));
  EXPECT_FALSE(outcome.out.contains("elapsed"));
  EXPECT_TRUE(outcome.out.contains(QRegularExpression("\\n   2      1\\.000 ")));
  for (const char* extension : {".tdc", ".csv", ".xml"})
    EXPECT_TRUE(QFile::exists(base + extension)) << extension;
  QFile xml(base + ".xml");
  ASSERT_TRUE(xml.open(QIODevice::ReadOnly));
  EXPECT_TRUE(xml.readAll().contains("<tag>H-3 &lt;std&gt; &amp; blank</tag>"));

  // The instrument now holds a saved measurement: a second run needs
  // --overwrite for the files but no --discard-unsaved.
  outcome = RunTool(arguments);
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_TRUE(outcome.err.contains("File already exists"));
  outcome = RunTool(QStringList(arguments) << "--overwrite"
                                           << "--runs"
                                           << "1");
  EXPECT_EQ(outcome.exitCode, 2);  // --runs twice
  QStringList once = arguments;
  once[once.indexOf("--runs") + 1] = "1";
  outcome = RunTool(once << "--overwrite");
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
}

double FileThreshold(const QByteArray& tdc, char input) {
  const QRegularExpression line(QStringLiteral("Threshold %1 \\[mV\\],\\s*(-?[0-9.]+)").arg(input));
  return line.match(QString::fromLatin1(tdc)).captured(1).toDouble();
}

// Millivolts are converted only once the instrument's threshold
// calibration is known, so the files show what was asked for, on both
// models; a chosen ".csv" is taken as the base of three distinct files.
TEST(HeadlessTool, MeasureWritesTheRequestedThresholdsOnBothModels) {
  for (const sim::Model model : {sim::Model::kRQ3101, sim::Model::kRQ3102}) {
    sim::ServerOptions options;
    options.identity.model = model;
    options.baud = 0;
    options.tdcr.timeScale = 10.0;
    sim::PtyServer instrument(options);
    instrument.Start();
    QTemporaryDir folder;
    const Outcome outcome = RunTool({"measure", "--port", QString::fromStdString(instrument.DevicePath()),
                                     "--out", folder.filePath("meas.CSV"), "--runs", "1", "--time", "0.5",
                                     "--threshold-a", "5", "--threshold-b", "0", "--threshold-c", "-1"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    QFile tdc(folder.filePath("meas.tdc"));
    ASSERT_TRUE(tdc.open(QIODevice::ReadOnly));
    const QByteArray text = tdc.readAll();
    const double step = -sim::NominalThresholdSlope(model) * 1.05;
    EXPECT_NEAR(FileThreshold(text, 'A'), 5.0, step) << sim::ModelName(model);
    EXPECT_NEAR(FileThreshold(text, 'B'), 0.0, step) << sim::ModelName(model);
    EXPECT_NEAR(FileThreshold(text, 'C'), -1.0, step) << sim::ModelName(model);
    EXPECT_TRUE(QFile::exists(folder.filePath("meas.csv")));
    EXPECT_TRUE(QFile::exists(folder.filePath("meas.xml")));
  }
}

// An unusable output folder is found before the instrument is touched;
// the save command writes the files of the measurement the instrument
// holds, once more if need be.
TEST(HeadlessTool, OutputIsCheckedFirstAndSaveWritesWhatTheInstrumentHolds) {
  auto instrument = FastInstrument();
  const QString port = QString::fromStdString(instrument->DevicePath());
  QElapsedTimer elapsed;
  elapsed.start();
  Outcome outcome = RunTool({"measure", "--port", port, "--out", "/nonexistent/m", "--time", "600"});
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_LT(elapsed.elapsed(), 2000);
  EXPECT_TRUE(outcome.err.contains("Unable to Save Files!\n/nonexistent/m.tdc: No such file or directory"))
      << outcome.err.toStdString();
  EXPECT_FALSE(outcome.err.contains("Connected to"));

  QTemporaryDir folder;
  outcome =
      RunTool({"measure", "--port", port, "--out", folder.filePath("first"), "--runs", "2", "--time", "0.5"});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
  outcome = RunTool({"save", "--port", port, "--out", folder.filePath("again"), "--tag", "copy"});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.out.contains(QRegularExpression("\\n   2      0\\.500 ")));
  QFile first(folder.filePath("first.csv"));
  QFile again(folder.filePath("again.csv"));
  ASSERT_TRUE(first.open(QIODevice::ReadOnly) && again.open(QIODevice::ReadOnly));
  EXPECT_EQ(first.readAll(), again.readAll());
  EXPECT_TRUE(QFile::exists(folder.filePath("again.tdc")));
}

TEST(HeadlessTool, MeasureStopsOnCtrlCAndSavesWhatWasMeasured) {
  auto instrument = FastInstrument();
  QTemporaryDir folder;
  const QString base = folder.filePath("stopped");
  QProcess tool;
  tool.start(QStringLiteral(KORVA_CLI_PATH),
             {"measure", "--port", QString::fromStdString(instrument->DevicePath()), "--out", base, "--runs",
              "5", "--time", "20"});
  ASSERT_TRUE(test::WaitForErrorText(tool, "RUN 1 of 5", 20000));  // the first progress line: running
  ::kill(static_cast<pid_t>(tool.processId()), SIGINT);
  const Outcome outcome = Finished(tool, 30000);
  EXPECT_EQ(outcome.exitCode, 130) << outcome.err.toStdString();
  QFile tdc(base + ".tdc");
  ASSERT_TRUE(tdc.open(QIODevice::ReadOnly));
  EXPECT_TRUE(tdc.readAll().contains("Runs Completed, 0"));  // stopped in run 1
}

// SIGTERM stops the instrument's measurement and saves what was measured,
// as Ctrl-C does, and exits with 143.
TEST(HeadlessTool, MeasureStopsOnSigtermAndSavesWhatWasMeasured) {
  auto instrument = FastInstrument();
  QTemporaryDir folder;
  const QString base = folder.filePath("terminated");
  QProcess tool;
  tool.start(QStringLiteral(KORVA_CLI_PATH),
             {"measure", "--port", QString::fromStdString(instrument->DevicePath()), "--out", base, "--runs",
              "5", "--time", "20"});
  ASSERT_TRUE(test::WaitForErrorText(tool, "RUN 1 of 5", 20000));
  ::kill(static_cast<pid_t>(tool.processId()), SIGTERM);
  const Outcome outcome = Finished(tool, 30000);
  EXPECT_EQ(outcome.exitCode, 143) << outcome.err.toStdString();
  QFile tdc(base + ".tdc");
  ASSERT_TRUE(tdc.open(QIODevice::ReadOnly));
  EXPECT_TRUE(tdc.readAll().contains("Runs Completed, 0"));
  bool running = true;
  instrument->Inspect(
      [&](sim::VirtualInstrument& device) { running = device.Memory().registers[83] & 0x0004; });
  EXPECT_FALSE(running) << "the instrument's measurement was stopped";
}

// A measurement left running (its measure killed outright) is stopped and
// saved by the stop command.
TEST(HeadlessTool, StopEndsAMeasurementLeftRunningAndSavesIt) {
  auto instrument = FastInstrument();
  const QString port = QString::fromStdString(instrument->DevicePath());
  QTemporaryDir folder;
  QProcess tool;
  tool.start(QStringLiteral(KORVA_CLI_PATH),
             {"measure", "--port", port, "--out", folder.filePath("killed"), "--runs", "5", "--time", "20"});
  ASSERT_TRUE(test::WaitForErrorText(tool, "RUN 1 of 5", 20000));
  ::kill(static_cast<pid_t>(tool.processId()), SIGKILL);
  ASSERT_TRUE(tool.waitForFinished(5000));
  EXPECT_FALSE(QFile::exists(folder.filePath("killed.tdc")));

  const Outcome outcome = RunTool({"stop", "--port", port, "--out", folder.filePath("stopped")});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.out.contains("Saved: " + folder.filePath("stopped.tdc")));
  QFile tdc(folder.filePath("stopped.tdc"));
  ASSERT_TRUE(tdc.open(QIODevice::ReadOnly));
  EXPECT_TRUE(tdc.readAll().contains("Preset Sequential Runs,"));
  EXPECT_EQ(RunTool({"stop", "--port", port}).exitCode, 0) << "nothing left to stop";
}

// The instrument's program is killed during run 2: the tool sees the line
// hang up at once, saves run 1, which was complete, and fails.
TEST(HeadlessTool, ALostLinkEndsTheMeasurementAndSavesTheCompletedRuns) {
  QProcess instrument;
  instrument.start(QStringLiteral(KORVA_SIM_PATH), {"--baud", "0", "--time-scale", "10"});
  instrument.setReadChannel(QProcess::StandardOutput);
  ASSERT_TRUE(instrument.waitForReadyRead(10000));
  const QString device =
      QRegularExpression("/dev/pts/\\d+").match(QString::fromUtf8(instrument.readLine())).captured();
  ASSERT_FALSE(device.isEmpty());
  QTemporaryDir folder;
  const QString base = folder.filePath("lost");
  QProcess tool;
  tool.start(QStringLiteral(KORVA_CLI_PATH),
             {"measure", "--port", device, "--out", base, "--runs", "3", "--time", "10"});
  ASSERT_TRUE(test::WaitForErrorText(tool, "RUN 2 of 3", 30000));
  instrument.kill();
  instrument.waitForFinished(5000);
  QElapsedTimer elapsed;
  elapsed.start();
  const Outcome outcome = Finished(tool, 30000);
  EXPECT_LT(elapsed.elapsed(), 3000);
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_TRUE(outcome.err.contains("The link to the instrument was lost; the completed runs are saved."))
      << outcome.err.toStdString();
  QFile tdc(base + ".tdc");
  ASSERT_TRUE(tdc.open(QIODevice::ReadOnly));
  EXPECT_TRUE(tdc.readAll().contains("Runs Completed, 1"));
  EXPECT_TRUE(QFile::exists(base + ".csv") && QFile::exists(base + ".xml"));
}

TEST(HeadlessTool, MeasureRefusesBadSettingsAndAFailedTimeQueryBeforeStarting) {
  auto instrument = FastInstrument();
  QTemporaryDir folder;
  const QString port = QString::fromStdString(instrument->DevicePath());
  for (const QStringList& bad :
       {QStringList{"--window-n", "15"}, QStringList{"--runs", "65"}, QStringList{"--mode1", "XDT"},
        QStringList{"--stop-timer", "LIVE Z9"}, QStringList{"--time", "one"}}) {
    const Outcome outcome =
        RunTool(QStringList{"measure", "--port", port, "--out", folder.filePath("x")} << bad);
    EXPECT_EQ(outcome.exitCode, 2) << bad.join(' ').toStdString();
  }
  const Outcome outcome = RunTool({"measure", "--port", port, "--out", folder.filePath("utc"), "--reference",
                                   "utc", "--ntp-server", "127.0.0.1:9"});
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_TRUE(outcome.err.contains("Failed to retreive time from: 127.0.0.1:9"));
  EXPECT_FALSE(outcome.err.contains("RUN 1"));
  EXPECT_FALSE(QFile::exists(folder.filePath("utc.tdc")));
}

// Every number is range-checked alike: nan, infinities, negative and too
// large values are usage errors naming the option and its range, in measure
// as in spectrum; nothing is measured or saved.
TEST(HeadlessTool, NumericOptionsOutOfRangeAreRefusedAlikeInEveryCommand) {
  auto instrument = FastInstrument();
  QTemporaryDir folder;
  const QString port = QString::fromStdString(instrument->DevicePath());
  const std::vector<std::pair<QStringList, QString>> cases = {
      {{"--time", "nan"}, "--time must be a number from 0.001 to 4294967.294 s, not nan"},
      {{"--time", "-5"}, "--time must be a number from 0.001"},
      {{"--time", "inf"}, "--time must be a number from 0.001"},
      {{"--time", "0"}, "--time must be a number from 0.001"},
      {{"--time", "1e12"}, "--time must be a number from 0.001"},
      {{"--gap", "-1"}, "--gap must be a number from 0 to 4294967.294 s, not -1"},
      {{"--ext1", "1e9"}, "--ext1 must be a number from 0.64 to 500 us, not 1e9"},
      {{"--runs", "0"}, "--runs must be a whole number from 1 to 64, not 0"},
      {{"--baud", "-9600"}, "--baud must be a whole number from 1 to 4000000 baud, not -9600"},
      // The range of a threshold follows the instrument's scale, read first.
      {{"--threshold-a", "1e9"}, "--threshold-a must be a number from "},
  };
  for (const auto& [bad, message] : cases) {
    const Outcome outcome =
        RunTool(QStringList{"measure", "--port", port, "--out", folder.filePath("x")} << bad);
    EXPECT_EQ(outcome.exitCode, 2) << bad.join(' ').toStdString();
    EXPECT_TRUE(outcome.err.contains(message)) << outcome.err.toStdString();
    EXPECT_FALSE(QFile::exists(folder.filePath("x.tdc")));
  }
  const Outcome spectrum =
      RunTool({"spectrum", "--port", port, "--out", folder.filePath("s.kts"), "--time", "nan"});
  EXPECT_EQ(spectrum.exitCode, 2);
  EXPECT_TRUE(spectrum.err.contains("--time must be a whole number from 1 to "))
      << spectrum.err.toStdString();
  EXPECT_TRUE(spectrum.err.contains(", not nan"));
  const Outcome help = RunTool({"--help"});
  EXPECT_TRUE(help.out.contains("Options left out: --baud 921600"));
  EXPECT_TRUE(help.out.contains("every other setting keeps the instrument's present value"));
}

// A port of mode 600 owned by another user, as a lab first meets a USB
// serial adapter: the tool gives the reason and the fix after the
// message's first line, and its event log holds the same lines. The tool
// runs as "nobody", which the device denies.
TEST(HeadlessTool, APortTheUserMayNotOpenIsExplainedWithTheFix) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to hand the device to another user and drop to nobody";
  const passwd* nobody = ::getpwnam("nobody");
  if (nobody == nullptr) GTEST_SKIP() << "no user nobody to run the tool as";
  sim::PtyServer instrument;
  instrument.Start();
  const std::string device = instrument.DevicePath();
  ASSERT_EQ(::chown(device.c_str(), 0, 20), 0);
  ASSERT_EQ(::chmod(device.c_str(), 0600), 0);
  const QString group = ::getgrgid(20) != nullptr ? ::getgrgid(20)->gr_name : "20";

  QTemporaryDir home;
  ASSERT_EQ(::chown(home.path().toLocal8Bit().constData(), nobody->pw_uid, nobody->pw_gid), 0);
  QProcess tool;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("HOME", home.path());
  environment.insert("XDG_RUNTIME_DIR", home.path());
  tool.setProcessEnvironment(environment);
  const uid_t uid = nobody->pw_uid;
  const gid_t gid = nobody->pw_gid;
  tool.setChildProcessModifier([uid, gid] {
    if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) ::_exit(99);
  });
  tool.start(QStringLiteral(KORVA_CLI_PATH), {"info", "--port", QString::fromStdString(device)});
  const Outcome outcome = Finished(tool, 30000);
  EXPECT_EQ(outcome.exitCode, 1);
  const QString reason = QString::fromStdString(device) + ": Permission denied";
  const QString fix = QString::fromStdString(device) +
                      " may be opened by its owner \"root\" only: give the group \"" + group +
                      "\" read and write access to it";
  EXPECT_TRUE(outcome.err.contains("Unable to open COM-port\n" + reason + "\n" + fix))
      << outcome.err.toStdString();
  EXPECT_TRUE(outcome.err.contains("then log out and log in again."));
  for (const QString& logged : {QString("Unable to open COM-port"), reason, fix}) {
    EXPECT_TRUE(outcome.err.contains(">> " + logged)) << logged.toStdString();
  }
}

}  // namespace
}  // namespace korva
