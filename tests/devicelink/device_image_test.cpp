#include "devicelink/device_image.h"

#include <gtest/gtest.h>

#include "devicelink/hardware_identity.h"

namespace korva {
namespace {

wire::StatusBlock AuxStatus(unsigned slot, std::uint16_t value) {
  wire::StatusBlock status;
  status.auxSelector = static_cast<std::uint16_t>(0x1000u | slot);
  status.auxValue = value;
  return status;
}

// Loads the six calibration codes, then lets the 18th reply recompute.
void LoadCalibration(DeviceImage& image, const std::array<std::uint16_t, 6>& codes) {
  image.OnConnect();
  for (unsigned slot = 0; slot < 6; ++slot) image.IntakeStatus(AuxStatus(slot, codes[slot]));
  for (int reply = 6; reply < 17; ++reply) image.IntakeStatus(AuxStatus(6, 0));
  ASSERT_EQ(image.calibrationCountdown, 0u);
  image.IntakeStatus(AuxStatus(6, 0));
}

TEST(DeviceImage, StatusWordsAreTakenFromEveryReply) {
  DeviceImage image;
  wire::StatusBlock status;
  status.firmwareVersion = 215;
  status.serialNumber = 42;
  status.slowAdc = 3300;
  status.temperature = -5;
  image.IntakeStatus(status);
  EXPECT_EQ(image.firmwareVersion, 215);
  EXPECT_DOUBLE_EQ(image.slowAdc, 3.3);
  EXPECT_EQ(image.temperature, -5);
  status.auxSelector = 0x0003;  // no bit 12-15: carries no slot
  status.auxValue = 999;
  image.IntakeStatus(status);
  EXPECT_EQ(image.aux[3], 0);
}

TEST(DeviceImage, CalibrationIsRecomputedOnEvery18thReply) {
  DeviceImage image;  // first model: nominal slope -0.01, codes 50000 apart
  LoadCalibration(image, {10000, 60000, 10000, 60000, 5000, 55000});
  EXPECT_TRUE(image.calibration.valid);
  EXPECT_DOUBLE_EQ(image.calibration.slope[0], -0.01);
  EXPECT_DOUBLE_EQ(image.calibration.offset[0], -500.0 + 0.01 * 60000);
  // Connect forced a rebuild (0xFFFF); the change of validity counts down once more.
  EXPECT_EQ(image.calibration.lastAppliedModel, 0xFFFE);
  EXPECT_EQ(image.calibrationCountdown, 17u);
}

TEST(DeviceImage, CalibrationBandEdgesAndFailures) {
  DeviceImage image;
  // Slopes of exactly m0 - t = -0.012 and m0 + t = -0.008 are accepted.
  const auto within = [&](std::uint16_t spanA) {
    LoadCalibration(image, {0, spanA, 0, 50000, 0, 50000});
    return image.calibration.valid;
  };
  EXPECT_TRUE(within(62500));    // -500 / 62500 = -0.008
  EXPECT_FALSE(within(62600));   // -0.00799 lies just outside
  image.registers[15] = 0x3000;  // second model: nominal -0.0190735
  LoadCalibration(image, {0, 26214, 0, 26214, 0, 26214});
  EXPECT_TRUE(image.calibration.valid);

  // Equal codes in the second channel: invalid, and the first channel keeps
  // the slope just computed.
  LoadCalibration(image, {0, 25000, 7, 7, 0, 25000});
  EXPECT_FALSE(image.calibration.valid);
  EXPECT_DOUBLE_EQ(image.calibration.slope[0], -0.02);
}

TEST(DeviceImage, CompressedSpectrumSumsBinsOfTheSelectedHalf) {
  DeviceImage image;
  for (std::size_t i = 0; i < 8192; ++i) image.spectrum[i] = static_cast<std::uint32_t>(i);
  image.shown = true;
  image.RebuildCompressedSpectrum();
  EXPECT_EQ(image.compressed[0], 0u);
  EXPECT_EQ(image.compressed[4095], 4095u);
  image.lowerHalfSelected = false;
  image.compressionFactor = 3;
  image.RebuildCompressedSpectrum();
  EXPECT_EQ(image.compressed[0], 4096u + 4097u + 4098u);
  EXPECT_EQ(image.compressed[1365], 8191u);  // the last bin holds a single entry
}

TEST(DeviceImage, ChunkIntakeStaysInsideTheMemory) {
  DeviceImage image;
  std::vector<std::uint8_t> data(4 * 100, 0xFF);
  image.IntakeSpectrumChunk(16300, data);
  EXPECT_EQ(image.spectrum[16383], 0xFFFFFFFFu);
  EXPECT_EQ(image.spectrum[16299], 0u);
}

TEST(HardwareIdentity, NamesVersionsAndCalibrationDate) {
  DeviceImage image;
  EXPECT_EQ(ModelName(image), "Veltra RQ3101");
  EXPECT_DOUBLE_EQ(image.NominalThresholdSlope(), -0.01);
  image.registers[15] = 0x3ABC;
  EXPECT_EQ(ModelName(image), "Veltra RQ3102");
  EXPECT_DOUBLE_EQ(image.NominalThresholdSlope(), -0.0190735);
  image.serialNumber = 42;
  image.firmwareVersion = 215;
  image.registers[63] = 31;
  EXPECT_EQ(SerialNumberText(image), "00042");
  EXPECT_EQ(FirmwareVersionText(image), "2.15");
  EXPECT_EQ(FpgaVersionText(image), "  3.1");
  image.aux[7] = 0x1A15;
  EXPECT_EQ(CalibrationDateText(image), "20-JAN-2021");
  image.aux[7] = 0xDA15;  // month 13
  EXPECT_EQ(CalibrationDateText(image), "20-JAN-2021");
  EXPECT_EQ(CalibrationStateText(image), "Not calibrated");
}

}  // namespace
}  // namespace korva
