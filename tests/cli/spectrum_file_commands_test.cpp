#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "cli_tool.h"
#include "formats/kts_writer.h"

namespace korva {
namespace {

struct Result {
  int exitCode = -1;
  QByteArray out;
};

Result RunReadSpectrum(const QStringList& arguments) {
  const test::Outcome outcome = test::RunTool(arguments, 30000);
  return {outcome.exitCode, outcome.out.toUtf8()};
}

TEST(HeadlessSpectrumFile, ReadSpectrumPrintsWhatTheReaderLoadedAndExportsCsv) {
  QTemporaryDir folder;
  CSpectrum written;
  written.image.registers[18] = 0x8000;  // input E: the lower half
  written.DeriveHalfSelector();
  written.image.spectrum[5] = 1234;
  written.image.spectrum[6] = 4294967295u;
  written.roiMarks[5] = 1;
  written.softSize = 1365;
  written.tag = "Tritium  std";
  written.image.serialNumber = 42;
  written.image.firmwareVersion = 123;
  written.image.temperature = -3;
  CalibrationRecord& calibration = written.FileCalibration(written.CurrentInput());
  calibration.enabled = 1;
  calibration.pointCount = 1;
  calibration.channel[0] = 400.0;
  calibration.energy[0] = 18.6;
  calibration.use[0] = 1;
  const QString path = folder.filePath("h3.kts");
  ASSERT_EQ(SaveSpectrumFile(written, path.toStdString(), {}), SpectrumFileStatus::kDone);

  const QString csv = folder.filePath("h3.csv");
  const Result result = RunReadSpectrum({"read-spectrum", path, "--csv", csv, "--soft"});
  ASSERT_EQ(result.exitCode, 0);
  const QJsonObject json = QJsonDocument::fromJson(result.out).object();
  EXPECT_EQ(json["serial"].toInt(), 42);
  EXPECT_EQ(json["tag"].toString(), "Tritium  std");
  EXPECT_EQ(json["caption"].toString(), "FILE: h3.kts  (Tritium  std)");
  EXPECT_EQ(json["hardSize"].toInt(), 4096);
  EXPECT_EQ(json["softSize"].toInt(), 1365);
  EXPECT_EQ(json["offset"].toInt(), 0);
  EXPECT_EQ(json["counts"].toArray().size(), 4096);
  EXPECT_EQ(json["counts"].toArray()[5].toInteger(), 1234);
  EXPECT_EQ(json["counts"].toArray()[6].toInteger(), 4294967295LL);
  EXPECT_EQ(json["roi"].toArray(), QJsonArray{5});
  EXPECT_EQ(json["registers"].toArray().size(), 128);
  EXPECT_EQ(json["registers"].toArray()[18].toInt(), 0x8000);
  EXPECT_EQ(json["calibration"].toObject()["input"].toInt(), 8);
  EXPECT_TRUE(json["calibration"].toObject()["enabled"].toBool());
  EXPECT_EQ(json["calibration"].toObject()["points"].toArray(), (QJsonArray{QJsonArray{400.0, 18.6, 1}}));
  EXPECT_DOUBLE_EQ(json["firmware"].toDouble(), 1.23);
  EXPECT_EQ(json["temperature"].toInt(), -3);

  QFile exported(csv);
  ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = exported.readAll().split('\n');
  EXPECT_EQ(lines[0], "Spectrum from Input,PMT E - DPP");
  // Soft size 1365 sums three channels a row.
  EXPECT_EQ(lines[8], "0, 0");
  EXPECT_EQ(lines[9], "1, 1234");
  EXPECT_EQ(lines[10], "2, 4294967295");
  EXPECT_EQ(lines.size(), 8 + 1365 + 1);
}

TEST(HeadlessSpectrumFile, ReadSpectrumFailuresHaveTheirExitCodes) {
  EXPECT_EQ(RunReadSpectrum({"read-spectrum", "/nonexistent/x.kts"}).exitCode, 1);
  EXPECT_EQ(RunReadSpectrum({"read-spectrum"}).exitCode, 2);
  EXPECT_EQ(RunReadSpectrum({"read-spectrum", "a.kts", "b.kts"}).exitCode, 2);
  EXPECT_EQ(RunReadSpectrum({"read-spectrum", "a.kts", "--soft"}).exitCode, 2);
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

// What has no spectrum block, or stops before its counts do, is no
// spectrum: refused with the file's name, and nothing is exported from it.
TEST(HeadlessSpectrumFile, FilesWithoutAWholeSpectrumAreRefused) {
  QTemporaryDir folder;
  CSpectrum whole;
  whole.image.spectrum[3] = 9;
  const QString wholePath = folder.filePath("whole.kts");
  ASSERT_EQ(SaveSpectrumFile(whole, wholePath.toStdString(), {}), SpectrumFileStatus::kDone);
  QFile wholeFile(wholePath);
  ASSERT_TRUE(wholeFile.open(QIODevice::ReadOnly));
  const QByteArray text = wholeFile.readAll();
  QByteArray random(3000, '\0');
  for (int i = 0; i < random.size(); ++i) random[i] = static_cast<char>((i * 7919 + 13) % 251);
  // Cut 3000 lines into the 4096 of the data block.
  const qsizetype dataStart = text.indexOf("<data>");
  qsizetype cut = dataStart;
  for (int line = 0; line < 3001; ++line) cut = text.indexOf('\n', cut) + 1;
  const std::vector<std::pair<QString, QByteArray>> refused = {
      {"empty.kts", ""},
      {"random.kts", random},
      {"passwd.kts", "root:x:0:0:root:/root:/bin/bash\n"},
      {"half.kts", text.left(cut)},
      {"no_counts.kts", text.left(dataStart)},
  };
  for (const auto& [name, bytes] : refused) {
    const QString path = folder.filePath(name);
    WriteFile(path, bytes);
    const test::Outcome read = test::RunTool({"read-spectrum", path}, 30000);
    EXPECT_EQ(read.exitCode, 1) << name.toStdString();
    EXPECT_TRUE(read.out.isEmpty()) << name.toStdString();
    EXPECT_TRUE(read.err.contains("Not a spectrum file: " + name)) << read.err.toStdString();
  }
  EXPECT_TRUE(test::RunTool({"read-spectrum", folder.filePath("half.kts")}, 30000)
                  .err.contains("half.kts ends after 3000 of its 4096 channels"));

  const QString n42 = folder.filePath("hostname.n42");
  const test::Outcome exported =
      test::RunTool({"export-spectrum", "/etc/hostname", "--format", "n42", "--out", n42}, 30000);
  EXPECT_EQ(exported.exitCode, 1);
  EXPECT_TRUE(exported.err.contains("hostname has no spectrum block")) << exported.err.toStdString();
  EXPECT_FALSE(QFile::exists(n42));

  const test::Outcome accepted = test::RunTool({"read-spectrum", wholePath}, 30000);
  EXPECT_EQ(accepted.exitCode, 0);
  EXPECT_TRUE(accepted.err.isEmpty()) << accepted.err.toStdString();
}

// A well-formed file with values out of range still loads, clamped, and
// each clamp is noted.
TEST(HeadlessSpectrumFile, ClampedValuesAreNoted) {
  QTemporaryDir folder;
  const QString path = folder.filePath("clamped.kts");
  QByteArray text =
      "<spectrum>\n<hardsize>9000</hardsize>\n<softsize>100</softsize>\n<offset>0</offset>\n<data>\n";
  for (int j = 0; j < 4096; ++j) text += "1\n";
  text += "</data>\n</spectrum>\n<registers>\n<size>300</size>\n<data>\n</data>\n</registers>\n";
  WriteFile(path, text);
  const test::Outcome read = test::RunTool({"read-spectrum", path}, 30000);
  ASSERT_EQ(read.exitCode, 0) << read.err.toStdString();
  const QJsonObject json = QJsonDocument::fromJson(read.out.toUtf8()).object();
  EXPECT_EQ(json["hardSize"].toInt(), 4096);
  EXPECT_EQ(json["softSize"].toInt(), 512);
  EXPECT_TRUE(read.err.contains(path + ": note: hard size 9000 read as 4096"));
  EXPECT_TRUE(read.err.contains(path + ": note: soft size 100 read as 512"));
  EXPECT_TRUE(read.err.contains(path + ": note: register count 300 read as 128"));
}

// An existing CSV is replaced only with --overwrite, as every command that
// writes a file does; refused, it stays as it was and nothing is printed.
TEST(HeadlessSpectrumFile, ReadSpectrumReplacesAnExistingCsvOnlyWithOverwrite) {
  QTemporaryDir folder;
  CSpectrum written;
  written.image.spectrum[5] = 77;
  const QString path = folder.filePath("s.kts");
  ASSERT_EQ(SaveSpectrumFile(written, path.toStdString(), {}), SpectrumFileStatus::kDone);
  const QString csv = folder.filePath("s.csv");
  QFile existing(csv);
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.write("keep me\n");
  existing.close();

  const test::Outcome refused = test::RunTool({"read-spectrum", path, "--csv", csv}, 30000);
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_TRUE(refused.out.isEmpty());
  EXPECT_TRUE(refused.err.contains("File already exists: " + csv + " (use --overwrite to replace it)"));
  ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
  EXPECT_EQ(existing.readAll(), "keep me\n");
  existing.close();

  EXPECT_EQ(RunReadSpectrum({"read-spectrum", path, "--csv", csv, "--overwrite"}).exitCode, 0);
  ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
  EXPECT_TRUE(existing.readAll().startsWith("Spectrum from Input"));
  EXPECT_EQ(RunReadSpectrum({"read-spectrum", path, "--overwrite"}).exitCode, 2);
}

}  // namespace
}  // namespace korva
