#include "tdcr/tdcr_measurement.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tdcr_rig.h"

namespace korva {
namespace {

using C = TdcrCounter;
using Word = TdcrControlWord;

class TdcrMeasurementTest : public ::testing::Test, protected test::TdcrRig {};

TEST_F(TdcrMeasurementTest, InProgressShowsTheInstrumentsCurrentRun) {
  Connect();
  ControlWord() = Word::kRun;
  image.registers[91] = 2 << 8 | 4;
  Put(1, C::kRealTime, 1000);
  Put(3, C::kRealTime, 3000);
  tdcr.RefreshViews();
  EXPECT_EQ(tdcr.Form().status, "In Progress - RUN 3");
  EXPECT_EQ(tdcr.Form().readings.realTime, "     3.000");
  EXPECT_EQ(tdcr.Form().totalRealTime, "     4.000");
  EXPECT_EQ(tdcr.Form().completedRuns, 2);
  EXPECT_EQ(tdcr.Form().buttons, (TdcrButtons{false, true, true, false}));

  int redraws = 0;
  tdcr.SetRefreshListener([&redraws] { ++redraws; });
  tdcr.SelectViewRun(1);
  EXPECT_EQ(tdcr.ViewRun(), 1);
  EXPECT_EQ(tdcr.Shown()[C::kRealTime], 1000u);
  EXPECT_EQ(redraws, 1);
}

TEST_F(TdcrMeasurementTest, CompletedRunsAfterStopAndAfterANormalEnd) {
  Connect();
  ControlWord() = Word::kRun | 0x0003;
  image.registers[91] = 2 << 8;
  EXPECT_EQ(WritesAfter([&] { tdcr.StopMeasurement(); }), 1u);
  EXPECT_EQ(ControlWord(), Word::kInterrupted | 0x0003);
  tdcr.RefreshViews();
  EXPECT_EQ(tdcr.Form().completedRuns, 2);
  EXPECT_EQ(tdcr.Form().status, "Interrupted - Not Saved");

  ControlWord() = 0;
  image.registers[91] = 4 << 8;
  tdcr.RefreshViews();
  EXPECT_EQ(tdcr.Form().completedRuns, 5);
  EXPECT_EQ(tdcr.Form().status, "Completed - Not Saved");
  EXPECT_EQ(tdcr.Form().buttons, (TdcrButtons{true, false, true, true}));

  ControlWord() = Word::kIdle;
  tdcr.RefreshViews();
  EXPECT_EQ(tdcr.Form().completedRuns, 4);
}

TEST_F(TdcrMeasurementTest, StartStampsTheTimeAndSendsOnce) {
  Connect();
  ControlWord() = Word::kIdle | Word::kSaved | Word::kInterrupted | Word::kSystemStamp | 0x0003;
  startTimes.needsChoice = true;
  EXPECT_EQ(WritesAfter([&] { tdcr.StartMeasurement(); }), 1u);
  EXPECT_EQ(startTimes.calls, (std::vector<std::string>{"choose", "take"}));
  EXPECT_EQ(ControlWord(), Word::kRun | Word::kUtcStamp | 0x0003);
  EXPECT_EQ(ReadStartTime(image.registers), 133542939091230000ull);
  EXPECT_TRUE(LastWriteCarriesTheImage());
  EXPECT_EQ(tdcr.Form().startTime, "07/03/2024  14:05:09.12");
  EXPECT_EQ(tdcr.Form().startReferenceLabel, "START TIME: UTC");

  // Only an idle measurement starts.
  EXPECT_EQ(WritesAfter([&] { tdcr.StartMeasurement(); }), 0u);
}

TEST_F(TdcrMeasurementTest, LocalStampSetsNeitherReferenceBit) {
  Connect();
  ControlWord() = Word::kIdle | Word::kUtcStamp;
  startTimes.stamp = MakeStartStamp(StartReference::kLocal, {2025, 12, 31, 23, 59, 58, 990});
  tdcr.StartMeasurement();
  EXPECT_TRUE(startTimes.calls == std::vector<std::string>{"take"});
  EXPECT_EQ(ControlWord(), Word::kRun);
  tdcr.RefreshViews();
  EXPECT_EQ(tdcr.Form().startReferenceLabel, "START TIME: LOCAL");
  EXPECT_EQ(tdcr.Form().startTime, "31/12/2025  23:59:58.99");
}

TEST_F(TdcrMeasurementTest, CommandsWithoutAnAnsweringDeviceOnlyDisableTheButtons) {
  ControlWord() = Word::kIdle;
  tdcr.RefreshViews();
  ASSERT_EQ(tdcr.Form().buttons, (TdcrButtons{true, false, true, true}));
  tdcr.StartMeasurement();
  EXPECT_EQ(tdcr.Form().buttons, TdcrButtons{});
  EXPECT_EQ(ControlWord(), Word::kIdle);
  EXPECT_TRUE(startTimes.calls.empty());
  EXPECT_FALSE(tdcr.BeginSave());
  tdcr.ResetMeasurement();
  EXPECT_TRUE(host.questions.empty());
  EXPECT_TRUE(link.written.empty());
  EXPECT_TRUE(prompt.errors.empty());
}

TEST_F(TdcrMeasurementTest, ResetOfAnUnsavedMeasurementAsksToSaveFirst) {
  Connect();
  ControlWord() = Word::kInterrupted | Word::kResetCleared;
  host.answerYes = true;
  EXPECT_EQ(WritesAfter([&] { tdcr.ResetMeasurement(); }), 0u);
  EXPECT_EQ(host.questions, (std::vector<std::string>{"Measurement not saved. Would you like to save it?"}));
  EXPECT_EQ(host.saves, 1);
  EXPECT_EQ(ControlWord(), Word::kInterrupted | Word::kResetCleared);

  EXPECT_TRUE(tdcr.BeginSave());
  EXPECT_EQ(WritesAfter([&] { tdcr.CompleteSave(); }), 1u);
  EXPECT_EQ(ControlWord(), Word::kInterrupted | Word::kResetCleared | Word::kSaved);

  host.answerYes = false;
  ControlWord() = Word::kResetCleared;
  EXPECT_EQ(WritesAfter([&] { tdcr.ResetMeasurement(); }), 1u);
  EXPECT_EQ(host.questions.size(), 2u);
  EXPECT_EQ(host.saves, 1);
  EXPECT_EQ(ControlWord(), Word::kIdle | Word::kResetSet);
  EXPECT_EQ(tdcr.Form().startTime, "Waiting for START");
}

TEST_F(TdcrMeasurementTest, ResetOfASavedMeasurementAsksNothing) {
  Connect();
  ControlWord() = Word::kSaved;
  EXPECT_EQ(WritesAfter([&] { tdcr.ResetMeasurement(); }), 1u);
  EXPECT_TRUE(host.questions.empty());
  EXPECT_EQ(ControlWord(), Word::kIdle | Word::kResetSet);
}

TEST_F(TdcrMeasurementTest, ResetDuringARunStartsANewMeasurementInOneWrite) {
  Connect();
  ControlWord() = Word::kRun | Word::kResetCleared;
  EXPECT_EQ(WritesAfter([&] { tdcr.ResetMeasurement(); }), 1u);
  EXPECT_EQ(ControlWord(), Word::kRun | Word::kResetSet | Word::kUtcStamp);
  EXPECT_TRUE(LastWriteCarriesTheImage());
  EXPECT_TRUE(host.questions.empty());
}

TEST_F(TdcrMeasurementTest, FocusedEditKeepsWhatIsTypedUntilItIsFinished) {
  Connect();
  tdcr.SetFocusedEdit(TdcrEdit::kTimePerRun);
  EXPECT_EQ(WritesAfter([&] { tdcr.EnterText(TdcrEdit::kTimePerRun, "1"); }), 1u);
  EXPECT_EQ(WritesAfter([&] { tdcr.EnterText(TdcrEdit::kTimePerRun, "12"); }), 1u);
  EXPECT_EQ(ReadRegisterPair(image.registers, 88), 12000u);

  // The instrument reports other values while the user is typing.
  WriteRegisterPair(image.registers, 88, 5000);
  WriteRegisterPair(image.registers, 98, 250);
  image.registers[80] = 0;
  tdcr.RefreshViews();
  EXPECT_EQ(tdcr.Form().EditText(TdcrEdit::kTimePerRun), "12");
  EXPECT_EQ(tdcr.Form().EditText(TdcrEdit::kGapTime), " 0.250");
  EXPECT_EQ(tdcr.Form().EditText(TdcrEdit::kThresholdA), "  12.30");

  tdcr.SetFocusedEdit(std::nullopt);
  tdcr.FinishEdit(TdcrEdit::kTimePerRun);
  EXPECT_EQ(tdcr.Form().EditText(TdcrEdit::kTimePerRun), " 5.000");
}

TEST_F(TdcrMeasurementTest, TypedThresholdsAndExtensionsShowTheStoredSettingOnEnter) {
  Connect();
  tdcr.RefreshViews();
  tdcr.SetFocusedEdit(TdcrEdit::kExtension1);
  tdcr.EnterText(TdcrEdit::kExtension1, "1000");
  EXPECT_EQ(image.registers[84], 62498);
  EXPECT_EQ(tdcr.Form().extensionPositions[0], 62500);
  tdcr.FinishEdit(TdcrEdit::kExtension1);
  EXPECT_EQ(tdcr.Form().EditText(TdcrEdit::kExtension1), "500.000");

  tdcr.EnterText(TdcrEdit::kThresholdB, "0");
  EXPECT_EQ(image.registers[81], 1230);
  tdcr.StepThreshold(1, -30);
  EXPECT_EQ(image.registers[81], 1200);
  EXPECT_EQ(tdcr.Form().EditText(TdcrEdit::kThresholdB), "   0.30");

  tdcr.EnterText(TdcrEdit::kThresholdC, "abc");
  EXPECT_EQ(image.registers[82], 0);
  EXPECT_EQ(tdcr.Form().EditText(TdcrEdit::kThresholdC), "abc");
}

// Until the instrument's threshold calibration is known a typed threshold
// is neither encoded nor sent; the entries are shown disabled.
TEST_F(TdcrMeasurementTest, ThresholdsWaitForTheThresholdCalibration) {
  Connect();
  image.calibration.attempts = 0;
  tdcr.RefreshViews();
  EXPECT_FALSE(tdcr.Form().thresholdsEnabled);
  const std::size_t sent = WritesAfter([this] {
    tdcr.EnterText(TdcrEdit::kThresholdA, "5");
    tdcr.StepThreshold(1, 10);
  });
  EXPECT_EQ(sent, 0u);
  EXPECT_EQ(image.registers[80], 0);
  EXPECT_EQ(image.registers[81], 0);

  image.calibration.valid = true;
  tdcr.RefreshViews();
  EXPECT_TRUE(tdcr.Form().thresholdsEnabled);
}

// A calibration becoming valid moves the image's marker, and the thresholds
// are redrawn on the calibrated scale although their codes did not change.
TEST_F(TdcrMeasurementTest, CalibrationChangeRedrawsUnchangedThresholds) {
  Connect();
  image.registers[80] = 1000;
  tdcr.RefreshViews();
  EXPECT_EQ(tdcr.Form().EditText(TdcrEdit::kThresholdA), "   2.30");
  image.calibration.slope = {-0.01, -0.01, -0.01};
  image.calibration.offset = {10.0, 10.0, 10.0};
  image.calibration.valid = true;
  --image.calibration.lastAppliedModel;
  tdcr.RefreshViews();
  EXPECT_EQ(tdcr.Form().EditText(TdcrEdit::kThresholdA), "   0.00");
}

TEST_F(TdcrMeasurementTest, SettingListsWriteTheirFields) {
  Connect();
  tdcr.SelectDeadTimeMode(1, true);
  tdcr.SelectWindow(CoincidenceWindow::kM, 3);
  tdcr.SelectWindow(CoincidenceWindow::kN, 2);
  EXPECT_EQ(image.registers[90], 0x8032);
  tdcr.SelectSequentialRuns(9);
  EXPECT_EQ(image.registers[91], 9);
  tdcr.SelectStopTimer(7);
  EXPECT_EQ(ControlWord(), 0x7000);

  tdcr.SelectPolarity(0, true);  // the first model has no positive inputs
  tdcr.RefreshViews();
  EXPECT_FALSE(tdcr.Form().positive[0]);
  image.registers[15] = 0x3000;
  tdcr.SelectPolarity(0, true);
  tdcr.RefreshViews();
  EXPECT_TRUE(tdcr.Form().positive[0]);
  EXPECT_EQ(tdcr.Form().windows, (std::array<int, 2>{2, 3}));
  EXPECT_EQ(tdcr.Form().cdt, (std::array<bool, 2>{false, true}));
}

// K follows the SOURCE entry the counters view shows, which moves with
// register 97 at each counters refresh and at once when the user picks it.
TEST_F(TdcrMeasurementTest, TimeBaseFollowsTheSourceTheCountersViewShows) {
  Put(1, C::kInt10MHz, 10'000'000);
  Put(1, C::kIntRef10MHz, 10'000'100);
  Put(1, C::kRealTime, 1'000'000);
  tdcr.SelectReferenceSource(1);
  EXPECT_EQ(image.registers[97], 1);
  EXPECT_DOUBLE_EQ(tdcr.TimeBaseFactor(), 0.001 * 1.00001);
  EXPECT_EQ(tdcr.Form().totalRealTime, "  1000.010");

  image.registers[97] = 3;
  tdcr.RefreshViews();
  EXPECT_EQ(tdcr.ShownSource(), 0);
  tdcr.RefreshViews();
  EXPECT_EQ(tdcr.TimeBaseFactor(), 0.001);
}

TEST_F(TdcrMeasurementTest, StartOffsetsWithAZeroGap) {
  Connect();
  WriteRegisterPair(image.registers, 92, 0);
  image.registers[91] = 2;  // three runs
  WriteStartTime(image.registers, FileTimeFromStampTime({2024, 1, 1, 10, 0, 0, 0}));
  for (std::size_t run = 1; run <= 3; ++run) Put(run, C::kRealTime, 2000);
  ASSERT_EQ(tdcr.PresetRuns(), 3);

  tdcr.SelectViewRun(1);
  EXPECT_EQ(tdcr.StartOffset(), 0.0);
  tdcr.SelectViewRun(3);
  EXPECT_DOUBLE_EQ(tdcr.StartOffset(), (0.0001 * 0.001 * 1000 + 2.0) * 2);
  EXPECT_EQ(tdcr.RunStartTime(), (StampTime{2024, 1, 1, 10, 0, 4, 0}));

  WriteRegisterPair(image.registers, 98, 1500);
  EXPECT_DOUBLE_EQ(tdcr.StartOffset(), 7.0);
  EXPECT_EQ(tdcr.StartTime(), (StampTime{2024, 1, 1, 10, 0, 0, 0}));
}

// A STOP cut run 2 short: run 3 starts after run 2's own real time, not
// after two copies of its own.
TEST_F(TdcrMeasurementTest, StartOffsetsOfRunsOfUnequalLength) {
  Connect();
  WriteRegisterPair(image.registers, 98, 1000);  // 1 s gap
  image.registers[91] = 2;
  Put(1, C::kRealTime, 20000);
  Put(2, C::kRealTime, 6290);
  Put(3, C::kRealTime, 20000);

  tdcr.SelectViewRun(2);
  EXPECT_DOUBLE_EQ(tdcr.StartOffset(), 21.0);
  tdcr.SelectViewRun(3);
  EXPECT_DOUBLE_EQ(tdcr.StartOffset(), 28.29);
}

TEST_F(TdcrMeasurementTest, SaveButtonHandsTheFilesToTheHostOnlyWhenTheyMayBeWritten) {
  ControlWord() = Word::kInterrupted;
  tdcr.RefreshViews();
  tdcr.SaveMeasurement();
  EXPECT_EQ(host.saves, 0);
  EXPECT_EQ(tdcr.Form().buttons, TdcrButtons{});

  Connect();
  ControlWord() = Word::kRun;
  tdcr.RefreshViews();
  tdcr.SaveMeasurement();
  EXPECT_EQ(host.saves, 0);

  ControlWord() = Word::kInterrupted;
  tdcr.RefreshViews();
  tdcr.SaveMeasurement();
  EXPECT_EQ(host.saves, 1);
}

TEST_F(TdcrMeasurementTest, TimeStampChoosesTheReferenceThenRedrawsBothViews) {
  int redraws = 0;
  tdcr.SetRefreshListener([&] {
    EXPECT_EQ(startTimes.calls, std::vector<std::string>{"choose"});
    ++redraws;
  });
  tdcr.ChooseTimeReference();
  EXPECT_EQ(redraws, 1);
}

// The form shows a choice as made until the refresh shows what the register
// image took of it: the blank stop timer entry stores REAL, and the first
// model has no positive inputs.
TEST_F(TdcrMeasurementTest, ListChoicesShowUntilTheRefreshShowsTheRegisters) {
  Connect();
  tdcr.SelectStopTimer(16);
  tdcr.SelectSequentialRuns(9);
  tdcr.SelectPolarity(2, true);
  tdcr.SetRecordTexts({"J. Doe", "H-3", "Ultima Gold", "1450 V"});
  EXPECT_EQ(tdcr.Form().stopTimer, 16);
  EXPECT_EQ(tdcr.Form().sequentialRuns, 9);
  EXPECT_TRUE(tdcr.Form().positive[2]);

  tdcr.RefreshViews();
  EXPECT_EQ(tdcr.Form().stopTimer, 0);
  EXPECT_EQ(tdcr.Form().sequentialRuns, 9);
  EXPECT_FALSE(tdcr.Form().positive[2]);
  EXPECT_EQ(tdcr.Form().record, (TdcrRecordTexts{"J. Doe", "H-3", "Ultima Gold", "1450 V"}));
}

}  // namespace
}  // namespace korva
