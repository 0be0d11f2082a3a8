#include "devicelink/register_map.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace korva {
namespace {

// The numbers below are the instrument's, typed from its register index, so
// that a wrong entry in the map cannot agree with itself.

TEST(RegisterMap, RegisterNumbersAreTheInstruments) {
  const std::vector<std::pair<std::size_t, std::size_t>> pinned = {
      {reg::kFirstReadBack, 1},
      {reg::kFirstSettings, 12},
      {reg::kAdcOffset, 1},
      {reg::kSlowRise, 2},
      {reg::kLongTcE, 11},
      {reg::kAmplifierOffset, 12},
      {reg::kPileUp, 13},
      {reg::kModel, 15},
      {reg::kControl, 16},
      {reg::kFineGain, 17},
      {reg::kAmplifier, 18},
      {reg::kNormalisationLow, 20},
      {reg::kStartDate, 22},
      {reg::kTraceSetup, 26},
      {reg::kRoiScaLow, 27},
      {reg::kRoiScaHigh, 28},
      {reg::kBlrSlow, 30},
      {reg::kSlowThresholdLow, 34},
      {reg::kPresetLow, 42},
      {reg::kRateGate2, 47},
      {reg::kSlowEstimateLow, 48},
      {reg::kFastEstimateLow, 52},
      {reg::kRealTimeLow, 56},
      {reg::kLiveTimeFine, 61},
      {reg::kPaneMode, 62},
      {reg::kFpgaVersion, 63},
      {reg::kCoincidenceWindow, 69},
      {reg::kMargins, 71},
      {reg::kPhaThresholdLow, 72},
      {reg::kPhaMargin, 74},
      {reg::kDigitalIoFlags, 75},
      {reg::kThresholdA, 80},
      {reg::kTdcrControl, 83},
      {reg::kExtension1, 84},
      {reg::kTimePerRunLow, 88},
      {reg::kWindows, 90},
      {reg::kRuns, 91},
      {reg::kTdcrStartTime, 92},
      {reg::kCoincidenceInput, 96},
      {reg::kSourceAndPolarity, 97},
      {reg::kGapTimeLow, 98},
      {reg::kTdcrDelay2Second, 103},
  };
  for (const auto& [mapped, instrument] : pinned) EXPECT_EQ(mapped, instrument);
}

TEST(RegisterMap, BitsAndFieldsAreTheInstruments) {
  // Control word, register 16.
  EXPECT_EQ(reg::control::kEraseRequest, 0x0004);
  EXPECT_EQ(reg::control::kEraseDone, 0x0010);
  EXPECT_EQ(reg::control::kEraseArmed, 0x0020);
  EXPECT_EQ(reg::control::kAutoOffset, 0x0100);
  EXPECT_EQ(reg::control::kPulserOff, 0x0200);
  EXPECT_EQ(reg::control::kTdcrTriggered, 0x1000);
  EXPECT_EQ(reg::control::kCoincidenceNotMca, 0x4000);
  EXPECT_EQ(reg::control::kTraceReady, 0x8000);
  // Amplifier word, register 18, and the model code of register 15.
  EXPECT_EQ(reg::amplifier::kExternalBlr, 0x1000);
  EXPECT_EQ(reg::amplifier::kPhaMode, 0x4000);
  EXPECT_EQ(reg::amplifier::kInputE, 0x8000);
  EXPECT_EQ(reg::amplifier::kComposeMask, 0xFF1F);
  EXPECT_EQ(3u << reg::model::kShift, 0x3000u);
  EXPECT_EQ(reg::model::kSecondModelCode, 3);
  EXPECT_EQ(reg::kPaneModeMask, 0x00F0);
  // TDCR control word, register 83.
  EXPECT_EQ(reg::tdcr_control::kMcaInputMask, 0x0003);
  EXPECT_EQ(reg::tdcr_control::kRun, 0x0004);
  EXPECT_EQ(reg::tdcr_control::kResetDone, 0x0010);
  EXPECT_EQ(reg::tdcr_control::kResetRequest, 0x0020);
  EXPECT_EQ(reg::tdcr_control::kSaved, 0x0080);
  EXPECT_EQ(reg::tdcr_control::kInterrupted, 0x0100);
  EXPECT_EQ(reg::tdcr_control::kIdle, 0x0200);
  EXPECT_EQ(reg::tdcr_control::kUtcStamp, 0x0400);
  EXPECT_EQ(reg::tdcr_control::kSystemStamp, 0x0800);
  EXPECT_EQ(reg::tdcr_control::kStopTimerMask, 0xF000);
  // Windows (90) and runs (91): window M in bits 4-7, CDT of extension 2 in
  // bit 15, the current run in bits 8-13.
  EXPECT_EQ(reg::windows::kIndexMask << reg::windows::kMAt, 0x00F0);
  EXPECT_EQ(reg::windows::kCdtExtension2, 0x8000);
  EXPECT_EQ(reg::runs::kPresetMask, 0x003F);
  EXPECT_EQ(reg::runs::kCurrentMask, 0x3F00);
  // The calibration date word 0x1A15 is day 20 of month 1 in 2021.
  namespace date = reg::calibration_date;
  EXPECT_EQ((0x1A15u >> date::kDayAt) & date::kDayMask, 20u);
  EXPECT_EQ((0x1A15u >> date::kMonthAt) & date::kMonthMask, 1u);
  EXPECT_EQ(0x1A15u & date::kYearMask, 21u);
}

// Every named register, with the words it spans, claims its words alone: a
// number typed wrong usually lands on a neighbour.
TEST(RegisterMap, NoTwoNamedRegistersShareAWord) {
  const std::vector<std::pair<std::string, std::pair<std::size_t, std::size_t>>> spans = {
      {"ADC offset", {reg::kAdcOffset, 1}},
      {"slow rise", {reg::kSlowRise, 1}},
      {"slow flat top", {reg::kSlowFlatTop, 1}},
      {"fast rise", {reg::kFastRise, 1}},
      {"fast flat top", {reg::kFastFlatTop, 1}},
      {"short TC ABC", {reg::kShortTcAbc, 1}},
      {"long TC ABC", {reg::kLongTcAbc, 1}},
      {"short TC E", {reg::kShortTcE, 1}},
      {"long TC E", {reg::kLongTcE, 1}},
      {"amplifier offset", {reg::kAmplifierOffset, 1}},
      {"pile-up", {reg::kPileUp, 1}},
      {"model", {reg::kModel, 1}},
      {"control", {reg::kControl, 1}},
      {"fine gain", {reg::kFineGain, 1}},
      {"amplifier", {reg::kAmplifier, 1}},
      {"amplifier cleared", {reg::kAmplifierCleared, 1}},
      {"normalisation", {reg::kNormalisationLow, 2}},
      {"start date", {reg::kStartDate, 1}},
      {"start time", {reg::kStartTime, 1}},
      {"trace", {reg::kTraceDecimation, 3}},
      {"ROI-SCA", {reg::kRoiScaLow, 2}},
      {"BLR", {reg::kBlrSlow, 2}},
      {"slow length and delay", {reg::kSlowLength, 2}},
      {"thresholds", {reg::kSlowThresholdLow, 4}},
      {"derived", {reg::kSlowWindow, 4}},
      {"preset", {reg::kPresetLow, 2}},
      {"rates", {reg::kRateCount1, 4}},
      {"slow estimate", {reg::kSlowEstimateLow, 2}},
      {"fast estimate", {reg::kFastEstimateLow, 2}},
      {"times", {reg::kRealTimeLow, 6}},
      {"pane mode", {reg::kPaneMode, 1}},
      {"FPGA version", {reg::kFpgaVersion, 1}},
      {"gating", {reg::kCoincidenceDelay, 3}},
      {"margins", {reg::kMargins, 1}},
      {"PHA threshold", {reg::kPhaThresholdLow, 2}},
      {"PHA margin", {reg::kPhaMargin, 1}},
      {"digital I/O", {reg::kDigitalIoFlags, 2}},
      {"TDCR thresholds", {reg::kThresholdA, 3}},
      {"TDCR control", {reg::kTdcrControl, 1}},
      {"extensions", {reg::kExtension1, 2}},
      {"time per run", {reg::kTimePerRunLow, 2}},
      {"windows", {reg::kWindows, 1}},
      {"runs", {reg::kRuns, 1}},
      {"TDCR start stamp", {reg::kTdcrStartTime, 4}},
      {"coincidence input", {reg::kCoincidenceInput, 1}},
      {"source and polarity", {reg::kSourceAndPolarity, 1}},
      {"gap time", {reg::kGapTimeLow, 2}},
      {"TDCR delays", {reg::kTdcrDelay1First, 4}},
  };
  std::map<std::size_t, std::string> owner;
  for (const auto& [name, span] : spans) {
    for (std::size_t word = span.first; word < span.first + span.second; ++word) {
      EXPECT_LT(word, 128u) << name;
      const auto [at, fresh] = owner.emplace(word, name);
      EXPECT_TRUE(fresh) << name << " and " << at->second << " both claim register " << word;
    }
  }
}

}  // namespace
}  // namespace korva
