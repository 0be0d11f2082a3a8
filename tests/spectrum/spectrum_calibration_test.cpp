#include "spectrum/spectrum_calibration.h"

#include <gtest/gtest.h>

#include "../support/memory_settings_store.h"
#include "spectrum/calibration_settings.h"
#include "spectrum/calibration_value.h"
#include "spectrum/spectrum_info.h"

namespace korva {
namespace {

constexpr std::size_t kInputE = 8;
constexpr std::size_t kPhaInputB = 5;

// Register 18 bit 14 (PHA) with register 83 naming PMT B selects input 5.
void SelectPhaInputB(CSpectrum& spectrum) {
  spectrum.image.registers[18] = 1u << 14;
  spectrum.image.registers[83] = 1;
}

// Each spectrum's input comes from its own registers: the file's input E
// records land on the buffer's PHA input B, both sets, nothing else.
TEST(SpectrumCalibration, CopyTakesEachSpectrumsOwnCurrentInput) {
  CSpectrum file;
  file.image.registers[18] = 1u << 15;
  file.FileCalibration(kInputE).pointCount = 3;
  file.FileCalibration(kInputE).channel[2] = 1234.0;
  file.DisplayCalibration(kInputE).b = 0.25;
  CSpectrum buffer;
  SelectPhaInputB(buffer);
  ASSERT_EQ(buffer.CurrentInput(), kPhaInputB);

  CopyCalibration(file, buffer);
  EXPECT_EQ(buffer.FileCalibration(kPhaInputB).pointCount, 3);
  EXPECT_DOUBLE_EQ(buffer.FileCalibration(kPhaInputB).channel[2], 1234.0);
  EXPECT_DOUBLE_EQ(buffer.DisplayCalibration(kPhaInputB).b, 0.25);
  EXPECT_EQ(buffer.FileCalibration(kInputE).pointCount, 0);
  EXPECT_EQ(buffer.FileCalibration(0).pointCount, 0);
}

TEST(SpectrumCalibration, TheReadoutsUseTheCurveAndUnitOnlyWhileEnabled) {
  CSpectrum spectrum;
  spectrum.SetSizes(4096, 1024);
  CalibrationRecord& set2 = spectrum.DisplayCalibration(spectrum.CurrentInput());
  set2.b = 2.0;
  set2.c = 1.0;
  set2.units = 1;
  spectrum.image.compressed[100] = 4000000000u;
  EXPECT_EQ(UnitText(spectrum), "chn");
  SpectrumInfo info = ReadSpectrumInfo(spectrum, 100);
  EXPECT_EQ(info.position, "     100");
  EXPECT_EQ(info.counts, "4000000000");

  set2.enabled = 1;
  EXPECT_EQ(UnitText(spectrum), " eV");
  info = ReadSpectrumInfo(spectrum, 100);
  EXPECT_EQ(info.position, "  201.00");
  EXPECT_EQ(info.unit, " eV");
  set2.units = 17;  // a record from a damaged file
  EXPECT_EQ(UnitText(spectrum), "chn");
}

// Every contiguous run of marked displayed channels is one ROI, analysed
// with the cursor inside it; marks past the soft size belong to none.
TEST(SpectrumCalibration, EveryRoiOfTheDisplayIsAnalysedOnce) {
  CSpectrum spectrum;
  spectrum.SetSizes(4096, 512);
  for (int k : {10, 11, 12, 20, 40, 41, 511}) spectrum.displayRoiMarks[static_cast<std::size_t>(k)] = 1;
  spectrum.displayRoiMarks[512] = 1;
  const std::vector<RoiAnalysis> rois = AnalyseEveryRoi(spectrum);
  ASSERT_EQ(rois.size(), 4u);
  EXPECT_EQ(rois[0].first, 10);
  EXPECT_EQ(rois[0].last, 12);
  EXPECT_EQ(rois[0].result, RoiAnalysis::Result::kRoiWithoutPeak);
  EXPECT_EQ(rois[1].first, 20);
  EXPECT_EQ(rois[2].last, 41);
  EXPECT_EQ(rois[3].first, 511);
  EXPECT_EQ(rois[3].last, 511);
}

TEST(CalibrationSettings, AStoredValueReplacesSetOneUnlessItIsDamaged) {
  test::MemorySettingsStore store;
  CSpectrum buffer;
  buffer.FileCalibration(2).pointCount = 4;
  RestoreCalibration(store, buffer);
  EXPECT_EQ(buffer.FileCalibration(2).pointCount, 4) << "nothing stored";

  store.WriteBinary("\\Korva-TDCR\\Spectrum", "Calibration", std::vector<std::uint8_t>(3239, 0));
  RestoreCalibration(store, buffer);
  EXPECT_EQ(buffer.FileCalibration(2).pointCount, 4) << "a value one byte short";

  CSpectrum saved;
  saved.FileCalibration(2).pointCount = 37;
  saved.FileCalibration(2).units = 3;
  saved.FileCalibration(5).pointCount = 2;
  saved.DisplayCalibration(5).pointCount = 9;  // set 2 is not stored
  SaveCalibration(store, saved);
  RestoreCalibration(store, buffer);
  EXPECT_EQ(buffer.FileCalibration(2).pointCount, 0);
  EXPECT_EQ(buffer.FileCalibration(2).units, 3);
  EXPECT_EQ(buffer.FileCalibration(5).pointCount, 2);
  EXPECT_EQ(buffer.DisplayCalibration(5).pointCount, 0);
}

}  // namespace
}  // namespace korva
