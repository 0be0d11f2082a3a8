#include "tdcr/tdcr_settings.h"

#include <gtest/gtest.h>

#include <array>

#include "common/numeric_entry.h"
#include "devicelink/device_image.h"
#include "tdcr/filetime.h"
#include "tdcr/tdcr_control_word.h"
#include "tdcr/threshold_scale.h"

namespace korva {
namespace {

void SetModel(DeviceImage& image, std::uint16_t model) {
  image.registers[15] = static_cast<std::uint16_t>(model << 12);
}

TEST(ThresholdScaleTest, NominalScaleOfEachModel) {
  DeviceImage image;
  SetModel(image, 0);
  const ThresholdScale first = ThresholdScale::For(image);
  EXPECT_EQ(first.Text(0, 0), "  12.30");
  EXPECT_EQ(first.Code(0, 0.0), 1230);
  EXPECT_EQ(first.Code(2, 100.0), 0);        // below code 0
  EXPECT_EQ(first.Code(1, -1000.0), 65535);  // beyond the last code

  SetModel(image, 3);
  const ThresholdScale second = ThresholdScale::For(image);
  EXPECT_EQ(second.Text(1, 0), " 625.00");
  EXPECT_EQ(second.Code(1, 0.0), 32767);  // 32767.98 truncated
}

// The calibration is recomputed through the device image's status intake,
// which stores the slope of channel A before it finds B's codes equal.
TEST(ThresholdScaleTest, CalibratedPairsOnlyWhenAllThreeChannelsPass) {
  DeviceImage image;
  wire::StatusBlock status;
  status.auxSelector = 0x1006;
  image.aux = {1000, 48619, 2000, 2000, 3000, 53000, 0, 0};
  image.IntakeStatus(status);
  ASSERT_FALSE(image.calibration.valid);
  const ThresholdScale nominal = ThresholdScale::For(image);
  EXPECT_EQ(nominal.Slope(0), -0.01);
  EXPECT_EQ(nominal.Text(0, 1000), "   2.30");

  image.aux[3] = 52000;
  image.calibrationCountdown = 0;
  image.IntakeStatus(status);
  ASSERT_TRUE(image.calibration.valid);
  const ThresholdScale calibrated = ThresholdScale::For(image);
  EXPECT_EQ(calibrated.Text(0, 1000), "   0.00");
  EXPECT_EQ(calibrated.Text(1, 52000), "-500.00");
  EXPECT_EQ(calibrated.Code(2, -500.0), 53000);
}

// Entries are truncated, but a text the form shows must give back the same
// setting when typed again, whatever binary rounding does to the quotient.
TEST(NumericEntryTest, ShownValuesEnterAsTheSameSetting) {
  DeviceImage image;
  const ThresholdScale scale = ThresholdScale::For(image);
  for (const std::uint16_t code : std::array<std::uint16_t, 4>{9, 17, 1229, 4242}) {
    EXPECT_EQ(scale.Code(0, *ParseNumericEntry(scale.Text(0, code))), code) << code;
  }
  for (int position : {86, 87, 102, 141, 62499}) {
    EXPECT_EQ(ExtensionPositionFromMicroseconds(*ParseNumericEntry(ExtensionText(position))), position);
  }
  EXPECT_EQ(PresetMilliseconds(1.001), 1001u);
  EXPECT_EQ(PresetMilliseconds(4294967.294), 4294967294u);
  EXPECT_EQ(TruncateEntry(-3.7), -3.0);
}

TEST(NumericEntryTest, ReadsDecimalTextOnly) {
  EXPECT_EQ(ParseNumericEntry(" 12.5 "), 12.5);
  EXPECT_EQ(ParseNumericEntry(MoveTrailingMinusToFront("5-")), -5.0);
  EXPECT_EQ(MoveTrailingMinusToFront("-"), "-");
  for (const char* text : {"", "  ", "-", "1.2.3", "12a", "nan", "inf"}) {
    EXPECT_FALSE(ParseNumericEntry(text).has_value()) << text;
  }
}

TEST(TdcrSettingsTest, ExtensionsAreSpinPositionsOfEightNanoseconds) {
  EXPECT_EQ(ExtensionPositionFromMicroseconds(1000.0), 62500);
  EXPECT_EQ(ExtensionRegister(62500), 62498);
  EXPECT_EQ(ExtensionText(62500), "500.000");
  EXPECT_EQ(ExtensionPositionFromMicroseconds(0.1), 80);
  EXPECT_EQ(ExtensionPosition(78), 80);
  EXPECT_EQ(StepExtensionPosition(62495, 10), 62500);
  EXPECT_EQ(StepExtensionPosition(85, -10), 80);
}

TEST(TdcrSettingsTest, PresetTimesAreMillisecondsInTwoRegisters) {
  RegisterImage registers{};
  WriteRegisterPair(registers, 88, PresetMilliseconds(1e9));
  EXPECT_EQ(registers[88], 0xFFFE);
  EXPECT_EQ(registers[89], 0xFFFF);
  EXPECT_EQ(PresetSeconds(registers, 88), 4294967.294);
  EXPECT_EQ(PresetMilliseconds(-2.0), 0u);
}

TEST(TdcrSettingsTest, WindowsRunsPolarityAndSourceKeepTheirNeighbours) {
  EXPECT_EQ(WithWindow(0x000F, CoincidenceWindow::kM, 12, true), 0x80CF);
  EXPECT_EQ(WithWindow(0xC0FF, CoincidenceWindow::kN, 20, false), 0x80FF);
  EXPECT_EQ(WindowText(WindowIndex(0x00C0, CoincidenceWindow::kM)), "140");

  EXPECT_EQ(WithPresetRuns(0xC2C3, 63), 0x023F);
  EXPECT_EQ(CurrentRunIndex(0x0405), 4);

  EXPECT_EQ(WithPolarity(0x0001, 1, true, 0), 0x0001);
  EXPECT_EQ(WithPolarity(0x0001, 1, true, 3), 0x0201);
  EXPECT_EQ(WithPolarity(0x0701, 2, false, 3), 0x0301);
  EXPECT_FALSE(IsPositive(0x0700, 0, 2));

  EXPECT_EQ(WithReferenceSource(0x0702, 5), 0x0701);
}

TEST(TdcrControlWordTest, StopTimerKeepsFourBitsAndTheRestOfTheWord) {
  const TdcrControlWord word(0x0A83);
  EXPECT_EQ(word.WithStopTimer(15).Value(), 0xFA83);
  EXPECT_EQ(kStopTimerTexts[static_cast<std::size_t>(word.WithStopTimer(15).StopTimer())],
            std::string(" REAL"));
  EXPECT_EQ(TdcrControlWord(0xFA83).WithStopTimer(16).Value(), 0x0A83);
}

TEST(TdcrControlWordTest, StatusTextsInTheirOrderOfPrecedence) {
  EXPECT_EQ(TdcrControlWord(0x0384).StatusText(5), "Reset - Idle");
  EXPECT_EQ(TdcrControlWord(0x0184).StatusText(5), "In Progress - RUN 6");
  EXPECT_EQ(TdcrControlWord(0x0080).StatusText(0), "Completed - Saved");
  EXPECT_EQ(TdcrControlWord(0x0180).StatusText(0), "Interrupted - Saved");
  EXPECT_EQ(TdcrControlWord(0x0100).StatusText(0), "Interrupted - Not Saved");
  EXPECT_EQ(TdcrControlWord(0x0003).StatusText(0), "Completed - Not Saved");
}

TEST(FileTimeTest, RegistersHoldHundredNanosecondTicksSince1601) {
  const StampTime time{2024, 3, 7, 14, 5, 9, 123};
  EXPECT_EQ(FileTimeFromStampTime(time), 133542939091230000ull);
  EXPECT_EQ(StampTimeFromFileTime(133542939091239999ull), time);
  EXPECT_EQ(StampTimeFromFileTime(0), (StampTime{1601, 1, 1, 0, 0, 0, 0}));
  const StampTime leapDay{2000, 2, 29, 23, 59, 59, 999};
  EXPECT_EQ(StampTimeFromFileTime(FileTimeFromStampTime(leapDay)), leapDay);
  EXPECT_EQ(FormatStartTime(time), "07/03/2024  14:05:09.12");
}

}  // namespace
}  // namespace korva
