#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "analysis/provenance_json.h"
#include "cli_tool.h"
#include "formats/kts_writer.h"

namespace korva {
namespace {

QString Sha256Of(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return QString::fromLatin1(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex());
}

// A calibrated spectrum saved as .kts, exported by the tool to both formats
// and read back by read-spectrum: the same counts, times and start, and the
// provenance of each file read.
TEST(HeadlessSpectrumExchange, ExportedFilesReadBackWithProvenance) {
  QTemporaryDir folder;
  CSpectrum written;
  written.DeriveHalfSelector();  // input PMT A: the upper half
  written.image.spectrum[4096 + 7] = 26111;
  written.image.registers[56] = 500;
  written.image.registers[58] = 490;
  written.image.registers[22] = 9 + 32 * 12 + 512 * 26;
  written.image.registers[23] = 10 + 32 * 5 + 2048 * 8;
  written.image.registers[16] = 1u << 11;
  written.image.serialNumber = 42;
  written.image.firmwareVersion = 123;
  CalibrationRecord& calibration = written.FileCalibration(written.CurrentInput());
  calibration = {.channel = {100.0, 300.0},
                 .energy = {50.0, 150.0},
                 .useAll = 1,
                 .pointCount = 2,
                 .units = 2,
                 .enabled = 1};
  const QString kts = folder.filePath("bi.kts");
  ASSERT_EQ(SaveSpectrumFile(written, kts.toStdString(), {}), SpectrumFileStatus::kDone);

  for (const QString format : {"n42", "spe"}) {
    const QString out = folder.filePath("bi." + format);
    ASSERT_EQ(test::RunTool({"export-spectrum", kts, "--format", format, "--out", out}).exitCode, 0)
        << format.toStdString();
    const test::Outcome read = test::RunTool({"read-spectrum", out});
    ASSERT_EQ(read.exitCode, 0) << read.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(read.out.toUtf8()).object();
    EXPECT_EQ(json["counts"].toArray()[7].toInteger(), 26111) << format.toStdString();
    EXPECT_EQ(json["acquisition"]["realTime"].toDouble(), 5.0);
    EXPECT_EQ(json["acquisition"]["liveTime"].toDouble(), 4.9);
    EXPECT_EQ(json["acquisition"]["start"].toString(), "09/12/2026  08:05:20");
    EXPECT_EQ(json["acquisition"]["startTimeLabel"].toString(), "START TIME: SYSTEM");
    EXPECT_EQ(json["calibration"]["units"].toInt(), 2);
    const QJsonObject provenance = json["provenance"].toObject();
    EXPECT_FALSE(provenance["programVersion"].toString().isEmpty());
    if (format == "n42") {  // SPE has no instrument block
      EXPECT_EQ(provenance["instrument"]["serialNumber"].toString(), "00042");
      EXPECT_EQ(provenance["instrument"]["firmwareVersion"].toString(), "1.23");
    }
    EXPECT_EQ(provenance["timeReference"]["reference"].toString(), "SYSTEM");
    EXPECT_EQ(provenance["inputs"][0]["sha256"].toString(), Sha256Of(out));
  }
}

TEST(HeadlessSpectrumExchange, BadArgumentsAndFilesAreRefused) {
  QTemporaryDir folder;
  const QString bad = folder.filePath("bad.n42");
  QFile file(bad);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("<RadInstrumentData><RadMeasurement/>");
  file.close();
  const test::Outcome read = test::RunTool({"read-spectrum", bad});
  EXPECT_EQ(read.exitCode, 1);
  EXPECT_TRUE(read.err.contains("Not a spectrum this program reads (N42): not an XML document"))
      << read.err.toStdString();
  EXPECT_EQ(test::RunTool({"export-spectrum", bad, "--format", "csv", "--out", "x"}).exitCode, 2);
  EXPECT_EQ(test::RunTool({"export-spectrum", bad, "--format", "n42"}).exitCode, 2);
  EXPECT_EQ(
      test::RunTool({"export-spectrum", bad, "--format", "n42", "--out", folder.filePath("x.n42")}).exitCode,
      1);
  EXPECT_FALSE(QFile::exists(folder.filePath("x.n42")));
}

QByteArray Contents(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return file.readAll();
}

// An export replaces an existing file only with --overwrite, and never the
// file it reads, however the path is spelled.
TEST(HeadlessSpectrumExchange, ExportReplacesAFileOnlyWithOverwriteAndNeverItsInput) {
  QTemporaryDir folder;
  CSpectrum written;
  written.image.spectrum[4096 + 3] = 5;
  const QString kts = folder.filePath("self.kts");
  ASSERT_EQ(SaveSpectrumFile(written, kts.toStdString(), {}), SpectrumFileStatus::kDone);
  const QByteArray original = Contents(kts);
  for (const QString& self : {kts, folder.path() + "/./self.kts"}) {
    const test::Outcome outcome =
        test::RunTool({"export-spectrum", kts, "--format", "n42", "--out", self, "--overwrite"});
    EXPECT_EQ(outcome.exitCode, 2) << self.toStdString();
    EXPECT_TRUE(outcome.err.contains("--out names the input file")) << outcome.err.toStdString();
  }
  EXPECT_EQ(Contents(kts), original);

  const QString n42 = folder.filePath("old.n42");
  QFile old(n42);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("keep me");
  old.close();
  const test::Outcome refused = test::RunTool({"export-spectrum", kts, "--format", "n42", "--out", n42});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_TRUE(refused.err.contains("File already exists: " + n42)) << refused.err.toStdString();
  EXPECT_EQ(Contents(n42), "keep me");
  EXPECT_EQ(test::RunTool({"export-spectrum", kts, "--format", "n42", "--out", n42, "--overwrite"}).exitCode,
            0);
  EXPECT_TRUE(Contents(n42).contains("RadInstrumentData"));

  const test::Outcome csvOverInput = test::RunTool({"read-spectrum", kts, "--csv", kts, "--overwrite"});
  EXPECT_EQ(csvOverInput.exitCode, 2);
  EXPECT_EQ(Contents(kts), original);
}

// The provenance analyze --json and the analysis export carry: the
// measurement file's instrument and clock, and the file with its SHA-256.
TEST(HeadlessSpectrumExchange, AnalysisProvenanceNamesProgramInstrumentClockAndInputs) {
  const QString tdc = QStringLiteral(KORVA_TDCR_GOLDEN_DIR "/meas.tdc");
  const TdcReadResult read = ReadTdcFile(tdc.toStdString());
  ASSERT_TRUE(read.measurement) << read.error;
  AnalysisInputs inputs;
  inputs.sample = tdc.toStdString();
  inputs.background = "/nonexistent/background.tdc";
  const QJsonObject json = ProvenanceJson(AnalysisProvenance(*read.measurement, inputs));
  EXPECT_FALSE(json["programVersion"].toString().isEmpty());
  EXPECT_EQ(json["instrument"]["model"].toString(), "Veltra RQ3102");
  EXPECT_EQ(json["instrument"]["serialNumber"].toString(), "00417");
  EXPECT_EQ(json["instrument"]["fpgaVersion"].toString(), "2.5");
  EXPECT_EQ(json["timeReference"]["reference"].toString(), "UTC");
  EXPECT_TRUE(json["timeReference"]["ntpOffset"].isNull());
  EXPECT_EQ(json["inputs"][0]["sha256"].toString(), Sha256Of(tdc));
  EXPECT_TRUE(json["inputs"][1]["sha256"].isNull()) << "an unreadable input has no digest";

  const std::string text = ProvenanceText(AnalysisProvenance(*read.measurement, inputs));
  EXPECT_NE(text.find("Instrument: Veltra RQ3102, serial number 00417, firmware 2.13, FPGA 2.5\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Input: /nonexistent/background.tdc, SHA-256 not known\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace korva
