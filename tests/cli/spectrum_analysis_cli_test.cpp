#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QTemporaryDir>
#include <cmath>

#include "cli_tool.h"
#include "formats/kts_writer.h"
#include "spectrum/calibration_gain.h"
#include "spectrum/calibration_value.h"

namespace korva {
namespace {

struct Result {
  int exitCode = -1;
  QJsonObject json;
  QByteArray errors;
};

Result Analyze(const QStringList& arguments) {
  const test::Outcome outcome = test::RunTool(QStringList{"analyze-spectrum"} + arguments, 30000);
  return {outcome.exitCode, QJsonDocument::fromJson(outcome.out.toUtf8()).object(), outcome.err.toUtf8()};
}

// The curve the three points lie on, in full-resolution channels.
double Energy(double channel) { return 1e-5 * channel * channel + 0.3 * channel + 5.0; }

// A Gaussian peak (sigma 20 channels) at channel 2000 on 50 counts a channel
// with an ROI around it, a flat ROI and a two-channel ROI; the calibration
// of input A has three points on Energy(), one of them checked.
CSpectrum PeakSpectrum(bool withCalibration) {
  CSpectrum spectrum;
  spectrum.DeriveHalfSelector();
  for (std::size_t i = 0; i < CSpectrum::kChannels; ++i) {
    const double z = (static_cast<double>(i) - 2000.0) / 20.0;
    spectrum.image.spectrum[spectrum.HalfOffset() + i] =
        static_cast<std::uint32_t>(50.0 + 1000.0 * std::exp(-z * z / 2));
  }
  for (std::size_t i = 1900; i <= 2100; ++i) spectrum.roiMarks[i] = 1;
  for (std::size_t i = 500; i < 540; ++i) spectrum.roiMarks[i] = 1;
  for (std::size_t i = 3000; i < 3008; ++i) spectrum.roiMarks[i] = 1;
  if (withCalibration) {
    CalibrationRecord& record = spectrum.FileCalibration(spectrum.CurrentInput());
    record.enabled = 1;
    record.units = 2;
    record.pointCount = 3;
    record.channel = {400.0, 2000.0, 3600.0};
    for (std::size_t k = 0; k < 3; ++k) record.energy[k] = Energy(record.channel[k]);
    record.use[1] = 1;
  }
  return spectrum;
}

class AnalyzeSpectrumTool : public ::testing::Test {
 protected:
  QString Write(CSpectrum spectrum, const char* name) {
    const QString path = folder_.filePath(QString::fromLatin1(name));
    EXPECT_EQ(SaveSpectrumFile(spectrum, path.toStdString(), {}), SpectrumFileStatus::kDone);
    return path;
  }
  QTemporaryDir folder_;
};

// At soft size 1024 the points are refitted in displayed channels (÷ 4):
// EN = 1.6e-4·x² + 1.2·x + 5. The file's calibration is fitted with all
// points, as a read file always has it.
TEST_F(AnalyzeSpectrumTool, FitsTheFilesCalibrationAndReportsEveryRoiInEnergies) {
  const Result result = Analyze({Write(PeakSpectrum(true), "peak.kts"), "--soft-size", "1024"});
  ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
  EXPECT_EQ(result.json["softSize"].toInt(), 1024);
  const QJsonObject calibration = result.json["calibration"].toObject();
  EXPECT_TRUE(calibration["enabled"].toBool());
  EXPECT_TRUE(calibration["fitted"].toBool());
  EXPECT_EQ(calibration["units"].toString(), "keV");
  EXPECT_EQ(calibration["caption"].toString(), "CALIBRATION w/ ALL");
  EXPECT_NEAR(calibration["a"].toDouble(), 1.6e-4, 1e-9);
  EXPECT_NEAR(calibration["b"].toDouble(), 1.2, 1e-6);
  EXPECT_NEAR(calibration["c"].toDouble(), 5.0, 1e-4);

  const QJsonArray rois = result.json["rois"].toArray();
  ASSERT_EQ(rois.size(), 3);
  const QJsonObject flat = rois[0].toObject();
  EXPECT_EQ(flat["first"].toInt(), 125);
  EXPECT_EQ(flat["last"].toInt(), 134);
  EXPECT_DOUBLE_EQ(flat["gross"].toDouble(), 2000.0) << "ten bins of four channels of 50";
  EXPECT_FALSE(flat.contains("area")) << "no peak in a flat ROI";
  EXPECT_FALSE(flat.contains("fwhm"));
  EXPECT_EQ(flat["peak"], QJsonValue(false));

  const QJsonObject peak = rois[1].toObject();
  EXPECT_EQ(peak["first"].toInt(), 475);
  EXPECT_EQ(peak["last"].toInt(), 524) << "bin 525 is only partly marked";
  EXPECT_EQ(peak["peak"], QJsonValue(true));
  // Sigma 20 channels at channel 2000, where one channel is 0.34 keV.
  EXPECT_NEAR(peak["centroid"].toDouble(), Energy(2000.0 - 1.5), 1.0);
  EXPECT_NEAR(peak["fwhm"].toDouble(), 2.3548 * 20 * 0.34, 0.6);
  EXPECT_NEAR(peak["fwtm"].toDouble(), 4.2919 * 20 * 0.34, 1.0);
  EXPECT_NEAR(peak["resolution"].toDouble(), peak["fwhm"].toDouble() * 100 / peak["centroid"].toDouble(),
              1e-9);
  EXPECT_NEAR(peak["area"].toDouble(), 1000.0 * 20 * std::sqrt(2 * M_PI), 300.0);

  const QJsonObject narrow = rois[2].toObject();
  EXPECT_EQ(narrow["first"].toInt(), 750);
  EXPECT_EQ(narrow["last"].toInt(), 751);
  EXPECT_FALSE(narrow.contains("gross")) << "two displayed channels are no ROI for the peak fields";
}

TEST_F(AnalyzeSpectrumTool, WithoutCalibrationPointsTheRoisAreInChannels) {
  const Result result = Analyze({Write(PeakSpectrum(false), "plain.kts")});
  ASSERT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.json["softSize"].toInt(), 4096);
  const QJsonObject calibration = result.json["calibration"].toObject();
  EXPECT_FALSE(calibration["fitted"].toBool());
  EXPECT_EQ(calibration["caption"].toString(), "Not Calibrated");
  EXPECT_EQ(calibration["units"].toString(), "chn");
  const QJsonObject peak = result.json["rois"].toArray()[1].toObject();
  EXPECT_NEAR(peak["centroid"].toDouble(), 2000.0, 0.05);
  EXPECT_NEAR(peak["fwhm"].toDouble(), 2.3548 * 20, 0.5);
}

// The settings store, in a folder of its own, holds input A's calibration
// fitted at COARSE 2.00; a file carrying it names the gain it was measured
// at when that is another. A file with other points says nothing, since
// its calibration's gain is not known.
TEST_F(AnalyzeSpectrumTool, WarnsWhenTheStoredCalibrationWasFittedAtAnotherGain) {
  CSpectrum buffer = PeakSpectrum(true);
  buffer.image.registers[18] = 2;
  RememberCalibrationGain(buffer);
  CalibrationSet records;
  for (std::size_t input = 0; input < kAnalyserInputs; ++input)
    records[input] = buffer.FileCalibration(input);
  auto bytes = [](const std::vector<std::uint8_t>& value) {
    return QByteArray(reinterpret_cast<const char*>(value.data()), static_cast<qsizetype>(value.size()));
  };
  QTemporaryDir config;
  {
    QSettings stored(config.filePath("Korva/Korva-TDCR 7.0.conf"), QSettings::IniFormat);
    stored.setValue("Korva-TDCR/Spectrum/Calibration", bytes(EncodeCalibrationValue(records)));
    stored.setValue("Korva-TDCR/Spectrum/CalibrationGain",
                    bytes(EncodeCalibrationGainValue(buffer.calibrationGain)));
  }
  const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", config.path().toUtf8());

  CSpectrum later = PeakSpectrum(true);
  later.image.registers[18] = 3;
  const Result stale = Analyze({Write(later, "later.kts")});
  later.FileCalibration(0).energy[2] += 0.01;
  const Result other = Analyze({Write(later, "other.kts")});
  const Result same = Analyze({Write(buffer, "same.kts")});
  qputenv("XDG_CONFIG_HOME", oldConfig);

  ASSERT_EQ(stale.exitCode, 0) << stale.errors.toStdString();
  EXPECT_EQ(stale.json["warnings"].toArray(),
            QJsonArray{"calibrated at COARSE 2.00 FINE 1.200, now COARSE 2.83"});
  EXPECT_EQ(other.json["warnings"].toArray(), QJsonArray{});
  EXPECT_EQ(same.json["warnings"].toArray(), QJsonArray{});
  EXPECT_TRUE(same.json.contains("warnings"));
}

TEST_F(AnalyzeSpectrumTool, FailuresHaveTheirExitCodes) {
  const QString path = Write(PeakSpectrum(false), "plain.kts");
  for (const char* size : {"1000", "4096x", "-512", "8192"}) {
    const Result result = Analyze({path, "--soft-size", size});
    EXPECT_EQ(result.exitCode, 2) << size;
    EXPECT_TRUE(result.errors.contains("--soft-size takes 4096, 2048, 1365, 1024, 682 or 512")) << size;
  }
  EXPECT_EQ(Analyze({"/nonexistent/x.kts"}).exitCode, 1);
  EXPECT_EQ(Analyze({}).exitCode, 2);
}

}  // namespace
}  // namespace korva
