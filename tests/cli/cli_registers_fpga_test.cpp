// The headless tool's register sets and FPGA programming against the
// virtual instrument.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <fstream>
#include <memory>

#include "../fpga/fpga_test_support.h"
#include "../support/qt_application.h"
#include "cli_tool.h"
#include "setup/register_file.h"
#include "sim/pty_server.h"

namespace korva {
namespace {

[[maybe_unused]] const auto* const kApplication =
    ::testing::AddGlobalTestEnvironment(new test::QtApplication<QCoreApplication>);

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
  EXPECT_TRUE(outcome.err.contains("Unable to Open File"));
}

TEST(HeadlessFpga, UploadVerifyAndConfigurePrintTheLogAndExitByOutcome) {
  auto instrument = Instrument();
  test::DesignFolder folder;
  const QString design = QString::fromStdString(
      folder.Write("design.kbf", test::KbfFile(test::DesignBytes(1040, 3), 0x10000)).string());

  Outcome outcome = RunTool({"fpga", "upload", design, "--port", Device(*instrument)});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
  EXPECT_EQ(outcome.out, "Open File: " + design +
                             "\nUploading...\nWriting FPGA Flash: Done!\n1536 Bytes Uploaded\n" +
                             QString(38, '*') + "\n");
  EXPECT_TRUE(outcome.err.contains("Progress: "));

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
        QStringList{"registers", "write", "f", "--port", "x", "--overwrite"}}) {
    const Outcome outcome = RunTool(arguments);
    EXPECT_EQ(outcome.exitCode, 2) << arguments.join(' ').toStdString();
    EXPECT_TRUE(outcome.err.contains("usage: korva-tdcr-cli")) << arguments.join(' ').toStdString();
  }
}

}  // namespace
}  // namespace korva
