#include <gtest/gtest.h>

#include <string>

#include "measurement_fixture.h"
#include "tdcr/measurement_tdc_reader.h"
#include "tdcr/run_readings.h"

namespace korva {
namespace {

using test::ReadFile;

class UnstampedStartTest : public ::testing::Test, protected test::MeasurementFixture {};

// A fresh instrument holds 0 in registers 92-95: the origin of the
// FILETIME clock, 01/01/1601, which is no start. The three files say "-"
// where the start goes, and the .tdc file reads back.
TEST_F(UnstampedStartTest, FilesSayNotSetAndReadBack) {
  WriteStartTime(image.registers, 0);
  tdcr.RefreshViews();
  ASSERT_EQ(saver.SaveMeasurement(), SaveOutcome::kSaved);
  const std::string tdc = ReadFile(folder / "meas.tdc");
  const std::string csv = ReadFile(folder / "meas.csv");
  const std::string xml = ReadFile(folder / "meas.xml");
  for (const std::string* text : {&tdc, &csv, &xml})
    EXPECT_EQ(text->find("/1601"), std::string::npos) << *text;
  EXPECT_NE(tdc.find("\nRun1: START TIME: UTC,-\r\n"), std::string::npos);
  EXPECT_NE(tdc.find("\nRun2: START TIME: UTC,-\r\n"), std::string::npos) << "no start + an offset either";
  EXPECT_NE(csv.find("\nDate [dd/mm/yyyy], UTC,-\r\n"), std::string::npos);
  EXPECT_NE(csv.find("\nTime [hh:mm:ss.ms], UTC,-\r\n"), std::string::npos);
  EXPECT_NE(xml.find("<date>-</date>"), std::string::npos);
  EXPECT_NE(xml.find("<time>-</time>"), std::string::npos);

  const TdcReadResult read = ReadTdcFile(folder / "meas.tdc");
  ASSERT_TRUE(read.measurement) << read.error;
  EXPECT_FALSE(IsStampedStart(read.measurement->runs.front().start));
}

TEST_F(UnstampedStartTest, AStampedStartStillShowsItsRunsOffsets) {
  EXPECT_FALSE(IsStampedStart(RunStartTime(RegisterImage{}, 2.5)));
  RegisterImage registers{};
  WriteStartTime(registers, FileTimeFromStampTime({2024, 3, 7, 14, 5, 9, 123}));
  // 14:05:09.123 + 2.5 s, worked by hand.
  EXPECT_EQ(RunStartTime(registers, 2.5), (StampTime{2024, 3, 7, 14, 5, 11, 623}));
}

}  // namespace
}  // namespace korva
