// The headless tool's register sets and FPGA programming against the
// virtual instrument.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <algorithm>
#include <csignal>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "../fpga/fpga_test_support.h"
#include "cli_tool.h"
#include "setup/register_file.h"
#include "sim/pty_server.h"

namespace korva {
namespace {

using test::Outcome;
using test::RunTool;

std::unique_ptr<sim::PtyServer> Instrument() {
  sim::ServerOptions options;
  options.baud = 0;
  options.flashBytes = 256 * 1024;
  auto instrument = std::make_unique<sim::PtyServer>(options);
  instrument->Start();
  return instrument;
}

QString Device(const sim::PtyServer& instrument) { return QString::fromStdString(instrument.DevicePath()); }

std::uint16_t InstrumentRegister(sim::PtyServer& instrument, std::size_t index) {
  std::uint16_t value = 0;
  instrument.Inspect([&](sim::VirtualInstrument& device) { value = device.Memory().registers[index]; });
  return value;
}

TEST(HeadlessRegisters, SavedSetWrittenToASecondInstrumentComesBackTheSame) {
  auto first = Instrument();
  first->Inspect([](sim::VirtualInstrument& device) {
    device.Memory().registers.Set(70, 4321);
    device.Memory().registers.Set(110, 65535);
  });
  QTemporaryDir folder;
  const QString base = folder.filePath("set");  // ".rgv" is added
  Outcome outcome = RunTool({"registers", "save", base, "--port", Device(*first)});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
  EXPECT_EQ(outcome.out, base + ".rgv\n");
  RegisterTable saved{};
  ASSERT_EQ(LoadRegisterFile((base + ".rgv").toStdString(), saved), RegisterFileStatus::kDone);
  EXPECT_EQ(saved[70], 4321);
  EXPECT_EQ(saved[110], 65535);

  // An existing file is replaced only when asked to.
  outcome = RunTool({"registers", "save", base + ".rgv", "--port", Device(*first)});
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_TRUE(outcome.err.contains("File already exists"));
  EXPECT_EQ(RunTool({"registers", "save", base, "--port", Device(*first), "--overwrite"}).exitCode, 0);

  auto second = Instrument();
  outcome = RunTool({"registers", "write", base + ".rgv", "--port", Device(*second)});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
  EXPECT_EQ(InstrumentRegister(*second, 70), 4321);
  EXPECT_EQ(InstrumentRegister(*second, 110), 65535);
  // Only registers the instrument keeps for itself may come back different.
  for (const QString& line : outcome.out.split('\n', Qt::SkipEmptyParts)) {
    EXPECT_TRUE(line.startsWith("Register ")) << line.toStdString();
    EXPECT_FALSE(line.startsWith("Register 70:") || line.startsWith("Register 110:")) << line.toStdString();
  }

  // A spectrum file's registers block loads as well, and an unreadable file
  // is refused before the instrument is touched.
  const QString kts = folder.filePath("spectrum.kts");
  std::ofstream(kts.toStdString()) << "<spectrum>\n<Registers>\n<size>1</size>\n<data>\n0\n</data>\n"
                                      "</registers>\n</spectrum>\n";
  EXPECT_EQ(RunTool({"registers", "write", kts, "--port", Device(*second)}).exitCode, 0);
  outcome = RunTool({"registers", "write", folder.filePath("none.rgv"), "--port", Device(*second)});
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_TRUE(outcome.err.contains("Unable to Open File: " + folder.filePath("none.rgv") + "\n" +
                                   folder.filePath("none.rgv") + ": No such file or directory\n"))
      << outcome.err.toStdString();
}

// A file that gives no register values (empty, or not a register file at
// all) would write the instrument's own values back; it is refused before
// the port is opened.
TEST(HeadlessRegisters, WriteRefusesAFileWithoutRegisters) {
  auto instrument = Instrument();
  instrument->Inspect([](sim::VirtualInstrument& device) { device.Memory().registers.Set(70, 4321); });
  QTemporaryDir folder;
  const QString empty = folder.filePath("empty.rgv");
  std::ofstream(empty.toStdString()).flush();
  const QString garbage = folder.filePath("garbage.rgv");
  std::ofstream(garbage.toStdString()) << "<notes>\n12\n<data>\n7\n</data>\n";
  const QString sizeZero = folder.filePath("none.rgv");
  std::ofstream(sizeZero.toStdString()) << "<registers>\n<size>0</size>\n<data>\n7\n</data>\n</registers>\n";
  for (const QString& file : {empty, garbage, sizeZero}) {
    const Outcome outcome = RunTool({"registers", "write", file, "--port", Device(*instrument)});
    EXPECT_EQ(outcome.exitCode, 1) << file.toStdString();
    EXPECT_TRUE(outcome.out.isEmpty()) << outcome.out.toStdString();
    EXPECT_EQ(outcome.err, file + ": no registers block with values in the file; nothing was sent\n");
  }
  EXPECT_EQ(InstrumentRegister(*instrument, 70), 4321);
}

// A whole set of 128 values with `lines` in place of the first ones.
std::string RegisterSet(const std::vector<std::string>& lines) {
  std::string text = "<registers>\n<size>128</size>\n<data>\n";
  for (std::size_t i = 0; i < 128; ++i) text += (i < lines.size() ? lines[i] : "0") + "\n";
  return text + "</data>\n</registers>\n";
}

// Lines the reading rules would store as something else are named before
// anything is sent, and nothing is sent without --force.
TEST(HeadlessRegisters, WriteNamesLinesNotStoredAsWrittenAndSendsThemOnlyWithForce) {
  auto instrument = Instrument();
  instrument->Inspect([](sim::VirtualInstrument& device) { device.Memory().registers.Set(70, 4321); });
  QTemporaryDir folder;
  const QString file = folder.filePath("odd.rgv");
  std::vector<std::string> lines(71, "0");
  lines[1] = "70000";
  lines[2] = "-3";
  lines[3] = "hello";
  lines[4] = "12.7";
  lines[5] = std::string(3, '\0');
  lines[70] = "1000";
  std::ofstream(file.toStdString()) << RegisterSet(lines);

  const Outcome refused = RunTool({"registers", "write", file, "--port", Device(*instrument)});
  EXPECT_EQ(refused.exitCode, 1);
  const QString rule = " is not a whole number from 0 to 65535; read as ";
  for (const QString& named :
       {"line 5 (register 1): \"70000\"" + rule + "4464", "line 6 (register 2): \"-3\"" + rule + "65533",
        "line 7 (register 3): \"hello\"" + rule + "0", "line 8 (register 4): \"12.7\"" + rule + "12",
        "line 9 (register 5): \"\\x00\\x00\\x00\"" + rule + "0"}) {
    EXPECT_TRUE(refused.err.contains(file + ": " + named))
        << named.toStdString() << refused.err.toStdString();
  }
  EXPECT_TRUE(refused.err.contains("nothing was sent (--force sends the values as read)"));
  EXPECT_FALSE(refused.err.contains("Connected to")) << "refused before the port is opened";
  EXPECT_EQ(InstrumentRegister(*instrument, 70), 4321);

  RunTool({"registers", "write", file, "--port", Device(*instrument), "--force"});
  EXPECT_EQ(InstrumentRegister(*instrument, 70), 1000);
  EXPECT_EQ(InstrumentRegister(*instrument, 1), 4464);
}

// A register the instrument changes after the write (an erase request in
// register 16 is carried out and cleared) fails the command; registers the
// instrument keeps for itself (its rate meters) only are listed.
TEST(HeadlessRegisters, AReadBackDifferenceFailsTheWrite) {
  auto instrument = Instrument();
  QTemporaryDir folder;
  const QString file = folder.filePath("set.rgv");
  std::vector<std::string> lines(128, "0");
  lines[44] = "7";
  std::ofstream(file.toStdString()) << RegisterSet(lines);
  Outcome outcome = RunTool({"registers", "write", file, "--port", Device(*instrument)});
  EXPECT_EQ(outcome.exitCode, 0) << outcome.out.toStdString();

  lines[16] = "4";
  std::ofstream(file.toStdString()) << RegisterSet(lines);
  outcome = RunTool({"registers", "write", file, "--port", Device(*instrument)});
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_TRUE(outcome.out.contains("Register 16: written 4, read back ")) << outcome.out.toStdString();
  EXPECT_TRUE(outcome.err.contains("1 registers read back different from what was written"))
      << outcome.err.toStdString();
}

TEST(HeadlessFpga, UploadVerifyAndConfigurePrintTheLogAndExitByOutcome) {
  auto instrument = Instrument();
  test::DesignFolder folder;
  const QString design = QString::fromStdString(
      folder.Write("design.kbf", test::KbfFile(test::DesignBytes(1040, 3), 0x10000)).string());

  Outcome outcome = RunTool({"fpga", "upload", design, "--port", Device(*instrument), "--no-verify"});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
  EXPECT_EQ(outcome.out, "Open File: " + design +
                             "\nUploading...\nWriting FPGA Flash: Done!\n1536 Bytes Uploaded\n" +
                             QString(38, '*') + "\n");
  EXPECT_TRUE(outcome.err.contains("Progress: "));

  // Without --no-verify the upload reads the flash back and compares it.
  outcome = RunTool({"fpga", "upload", design, "--port", Device(*instrument)});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.out.contains("1536 Bytes Uploaded\n"));
  EXPECT_TRUE(outcome.out.endsWith("Verifyed 1536 bytes...0 Errors Found!\n" + QString(52, '*') + "\n"));

  outcome = RunTool({"fpga", "verify", design, "--port", Device(*instrument)});
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.out.endsWith("Verifyed 1536 bytes...0 Errors Found!\n" + QString(52, '*') + "\n"));

  outcome = RunTool({"fpga", "configure", "--port", Device(*instrument)});
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
  EXPECT_EQ(outcome.out, "FPGA Configured!\n" + QString(38, '*') + "\n");

  // A flash that differs from the file fails the verify; a damaged file is
  // refused; a raw file is accepted as it is.
  const QString other = QString::fromStdString(
      folder.Write("other.kbf", test::KbfFile(test::DesignBytes(1040, 9), 0x10000)).string());
  outcome = RunTool({"fpga", "verify", other, "--port", Device(*instrument)});
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_TRUE(outcome.out.contains("Error address "));

  std::vector<std::uint8_t> damaged = test::KbfFile(test::DesignBytes(100), 0);
  damaged[2] ^= 0xFF;
  outcome = RunTool({"fpga", "upload", QString::fromStdString(folder.Write("bad.kbf", damaged).string()),
                     "--port", Device(*instrument)});
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_TRUE(outcome.err.contains("Invalid or corrupted file!"));
  outcome = RunTool({"fpga", "upload", QString::fromStdString((folder.Path() / "missing.kbf").string()),
                     "--port", Device(*instrument)});
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_TRUE(outcome.out.contains("FILE ERROR: The file could not be located."));
}

TEST(HeadlessFpga, UsageErrors) {
  for (const QStringList& arguments :
       {QStringList{"fpga"}, QStringList{"fpga", "upload", "--port", "x"}, QStringList{"fpga", "flash", "f"},
        QStringList{"fpga", "configure", "f", "--port", "x"}, QStringList{"fpga", "upload", "a", "b", "c"},
        QStringList{"registers", "save", "--port", "x"}, QStringList{"registers", "load", "f", "--port", "x"},
        QStringList{"registers", "write", "f", "--port", "x", "--overwrite"},
        QStringList{"fpga", "verify", "f", "--port", "x", "--no-verify"}}) {
    const Outcome outcome = RunTool(arguments);
    EXPECT_EQ(outcome.exitCode, 2) << arguments.join(' ').toStdString();
    EXPECT_TRUE(outcome.err.contains("usage: korva-tdcr-cli")) << arguments.join(' ').toStdString();
  }
}

// Ctrl-C or SIGTERM in the middle of an upload end it between two blocks,
// say what the flash now holds and exit with 130, at once. A later configure
// knows the flash is incomplete: it refuses unless forced, and never claims
// a configured FPGA it did not load.
class InterruptedUpload : public testing::Test {
 protected:
  InterruptedUpload() : instrument_(Options()) { instrument_.Start(); }

  static sim::ServerOptions Options() {
    sim::ServerOptions options;
    options.baud = 115200;
    options.flashBytes = 256 * 1024;
    return options;
  }

  // Starts an upload of a 96 KiB design and sends `signal` once a block
  // has landed in the erased flash.
  void InterruptWith(int signal) {
    const QString design =
        QString::fromStdString(folder_.Write("big.rbf", test::DesignBytes(96 * 1024)).string());
    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", settings_.path());
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral(KORVA_CLI_PATH),
               {"fpga", "upload", design, "--port", Device(instrument_), "--raw"});
    ASSERT_TRUE(tool.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([this] { return FlashWritten(); }, 10000));
    ::kill(static_cast<pid_t>(tool.processId()), signal);
    ASSERT_TRUE(tool.waitForFinished(3000));
    EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tool.exitCode(), 130);
    const QByteArray err = tool.readAllStandardError();
    EXPECT_TRUE(
        err.contains("Upload interrupted: the flash holds an incomplete design; upload it again before "
                     "configuring.\n"))
        << err.toStdString();
    EXPECT_TRUE(tool.readAllStandardOutput().contains(
        "Upload/Verification Cancelled. Please, reload/verify FPGA design!"));
  }

  Outcome Configure(const QStringList& more = {}) {
    return test::RunToolWithSettings(settings_.path(),
                                     QStringList{"fpga", "configure", "--port", Device(instrument_)} + more);
  }

 private:
  bool FlashWritten() {
    bool written = false;
    instrument_.Inspect([&](sim::VirtualInstrument& device) {
      const auto flash = device.Flash().Bytes();
      written = std::any_of(flash.begin(), flash.end(), [](std::uint8_t byte) { return byte != 0xFF; });
    });
    return written;
  }

  sim::PtyServer instrument_;
  test::DesignFolder folder_;
  const QTemporaryDir settings_;
};

TEST_F(InterruptedUpload, CtrlCStopsItAndAConfigureThenRefuses) {
  InterruptWith(SIGINT);
  const Outcome outcome = Configure();
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_FALSE(outcome.out.contains("FPGA Configured!"));
  EXPECT_TRUE(outcome.err.contains("The last upload did not finish: the flash holds an incomplete design."))
      << outcome.err.toStdString();
}

TEST_F(InterruptedUpload, SigtermStopsItAndOnlyAForcedConfigureLoads) {
  InterruptWith(SIGTERM);
  const Outcome outcome = Configure({"--force"});
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.out.contains("FPGA Configured!"));
}

// A file not named .kbf is sent only with --raw; a design that does not fit
// the 2 MiB flash is refused before anything is sent, with its sizes; a
// verify of a differing 4 KiB design lists 16 differences and counts the rest.
TEST(HeadlessFpga, RawFilesNeedRawOversizedDesignsAreRefusedAndVerifyListingIsBounded) {
  auto instrument = Instrument();
  const QTemporaryDir settings;
  test::DesignFolder folder;
  const QString raw = QString::fromStdString(folder.Write("image.bin", test::DesignBytes(1000)).string());
  Outcome outcome =
      test::RunToolWithSettings(settings.path(), {"fpga", "upload", raw, "--port", Device(*instrument)});
  EXPECT_EQ(outcome.exitCode, 2);
  EXPECT_TRUE(outcome.err.contains(raw + " is not a .kbf design; --raw sends it as a raw image"))
      << outcome.err.toStdString();
  EXPECT_FALSE(outcome.err.contains("Connected to"));
  outcome = test::RunToolWithSettings(settings.path(),
                                      {"fpga", "upload", raw, "--port", Device(*instrument), "--raw"});
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.out.contains("1024 Bytes Uploaded"));

  // 2 MiB of body from address 512: the last block would end 512 bytes past the flash.
  const QString big = QString::fromStdString(
      folder.Write("big.kbf", test::KbfFile(test::DesignBytes(2u << 20), 512)).string());
  QElapsedTimer elapsed;
  elapsed.start();
  outcome =
      test::RunToolWithSettings(settings.path(), {"fpga", "upload", big, "--port", Device(*instrument)});
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_LT(elapsed.elapsed(), 5000);
  EXPECT_TRUE(
      outcome.out.contains("FILE ERROR: the design does not fit the configuration flash: 2097152 bytes "
                           "from address 512, the flash holds 2097152 bytes"))
      << outcome.out.toStdString();
  EXPECT_FALSE(outcome.out.contains("Uploading..."));

  const QString written =
      QString::fromStdString(folder.Write("a.kbf", test::KbfFile(test::DesignBytes(4096, 3), 0)).string());
  const QString other =
      QString::fromStdString(folder.Write("b.kbf", test::KbfFile(test::DesignBytes(4096, 9), 0)).string());
  ASSERT_EQ(test::RunToolWithSettings(
                settings.path(), {"fpga", "upload", written, "--port", Device(*instrument), "--no-verify"})
                .exitCode,
            0);
  outcome =
      test::RunToolWithSettings(settings.path(), {"fpga", "verify", other, "--port", Device(*instrument)});
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_EQ(outcome.out.count("Error address "), 16);
  EXPECT_LT(outcome.out.count('\n'), 30);
  EXPECT_TRUE(outcome.out.contains(QRegularExpression("\\.\\.\\. \\d+ more differing bytes not listed\n")))
      << outcome.out.toStdString();
}

}  // namespace
}  // namespace korva
