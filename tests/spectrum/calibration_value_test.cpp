#include "spectrum/calibration_value.h"

#include <gtest/gtest.h>

#include <bit>
#include <random>

#include "calibration_value_harness.h"

namespace korva {
namespace {

void PutInteger(std::vector<std::uint8_t>& bytes, std::size_t at, std::int32_t value) {
  const auto word = static_cast<std::uint32_t>(value);
  for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(word >> (8 * i));
}

void PutReal(std::vector<std::uint8_t>& bytes, std::size_t at, double value) {
  const auto word = std::bit_cast<std::uint64_t>(value);
  for (std::size_t i = 0; i < 8; ++i) bytes[at + i] = static_cast<std::uint8_t>(word >> (8 * i));
}

// Offsets within one 360-byte record.
constexpr std::size_t kB = 8;
constexpr std::size_t kChannel = 24;
constexpr std::size_t kEnergy = 24 + 128;
constexpr std::size_t kUse = 24 + 256;
constexpr std::size_t kUseAll = kUse + 64;
constexpr std::size_t kPointCount = kUseAll + 4;
constexpr std::size_t kUnits = kPointCount + 4;
constexpr std::size_t kEnabled = kUnits + 4;

TEST(CalibrationValue, ReadsAHandMadeValue) {
  std::vector<std::uint8_t> bytes(3240, 0);
  const std::size_t third = 2 * 360;
  PutReal(bytes, third + kB, 1.5);
  PutReal(bytes, third + kChannel + 8, 400.0);
  PutReal(bytes, third + kEnergy + 8, 661.657);
  PutInteger(bytes, third + kUse + 4, 1);
  PutInteger(bytes, third + kUseAll, 1);
  PutInteger(bytes, third + kPointCount, 2);
  PutInteger(bytes, third + kUnits, 2);
  PutInteger(bytes, third + kEnabled, 1);
  PutInteger(bytes, 8 * 360 + kPointCount, 37);
  PutInteger(bytes, 7 * 360 + kPointCount, -1);
  PutInteger(bytes, 6 * 360 + kPointCount, 10);

  const DecodedCalibration decoded = DecodeCalibrationValue(bytes);
  ASSERT_EQ(decoded.error, "");
  const CalibrationRecord& record = decoded.records[2];
  EXPECT_DOUBLE_EQ(record.b, 1.5);
  EXPECT_DOUBLE_EQ(record.channel[1], 400.0);
  EXPECT_DOUBLE_EQ(record.energy[1], 661.657);
  EXPECT_EQ(record.use[1], 1);
  EXPECT_EQ(record.useAll, 1);
  EXPECT_EQ(record.pointCount, 2);
  EXPECT_EQ(record.units, 2);
  EXPECT_EQ(record.enabled, 1);
  EXPECT_EQ(decoded.records[8].pointCount, 0) << "37 points cannot be";
  EXPECT_EQ(decoded.records[7].pointCount, 0);
  EXPECT_EQ(decoded.records[6].pointCount, 10);

  // Written back byte for byte, but for the point counts that were mended.
  PutInteger(bytes, 8 * 360 + kPointCount, 0);
  PutInteger(bytes, 7 * 360 + kPointCount, 0);
  EXPECT_EQ(EncodeCalibrationValue(decoded.records), bytes);
}

TEST(CalibrationValue, RefusesAValueOfAnotherLength) {
  const std::vector<std::uint8_t> shorter(3239, 0);
  const DecodedCalibration decoded = DecodeCalibrationValue(shorter);
  EXPECT_EQ(decoded.error, "The stored calibration holds 3239 bytes instead of 3240; it is not used");
  EXPECT_DOUBLE_EQ(decoded.records[0].b, 1.0) << "records at their initial values";
}

// Seeded mutations of a valid value and of its neighbours in length, through
// the fuzz harness's checks.
TEST(CalibrationValue, MutationReplay) {
  CalibrationSet records{};
  records[4].pointCount = 3;
  records[4].channel[2] = 1234.5;
  const std::vector<std::uint8_t> seed = EncodeCalibrationValue(records);
  std::mt19937 random(1234);
  for (int round = 0; round < 2000; ++round) {
    std::vector<std::uint8_t> input = seed;
    for (int flips = 0; flips < 8; ++flips)
      input[random() % input.size()] = static_cast<std::uint8_t>(random());
    if (round % 10 == 0) input.resize(random() % 4000);
    const std::string fault = fuzz::CheckCalibrationValue(input.data(), input.size());
    ASSERT_EQ(fault, "") << "round " << round;
  }
}

}  // namespace
}  // namespace korva
