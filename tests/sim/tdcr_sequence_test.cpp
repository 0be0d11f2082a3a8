#include "sim/tdcr_sequence.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "sim/sim_options.h"
#include "tdcr_test_support.h"

namespace korva::sim {
namespace {

using namespace korva::sim::testing;
using std::chrono::milliseconds;
namespace counter = tdcr_counter;

constexpr std::size_t kD = counter::Double(0, 0);  // D counts, window N, extension 1

bool IsZero(const TdcrRunRecord& record) {
  for (const std::uint64_t value : record) {
    if (value != 0) return false;
  }
  return true;
}

TEST(TdcrSequence, StartRunsEveryPresetRunAndEndsCompletedNotSaved) {
  VirtualInstrument instrument(InstrumentIdentity{}, 3, TdcrOptions{.timeScale = 10.0});
  SetUpSequence(instrument, 3, 1000, 500);
  ASSERT_EQ(ReadRegister(instrument, 83), 0x0210) << "powers on reset and idle";
  WriteControl(instrument, kStartWord);

  // Instrument time runs ten times faster: run 1 0-1 s, gap, run 2 1.5-2.5 s, gap, run 3 3-4 s.
  AdvanceBy(instrument, milliseconds(50));
  EXPECT_TRUE(Running(instrument));
  EXPECT_EQ(RunIndex(instrument), 0);
  const TdcrRunRecord halfway = RecordOf(instrument, 1);
  EXPECT_EQ(halfway[counter::kRealTime], 500u);
  EXPECT_GT(halfway[kD], 0u) << "a polling program sees the counts while the run goes";

  AdvanceBy(instrument, milliseconds(70));
  EXPECT_EQ(RunIndex(instrument), 0) << "the gap still belongs to run 1";
  EXPECT_EQ(RecordOf(instrument, 1)[counter::kRealTime], 1000u);
  EXPECT_GT(RecordOf(instrument, 1)[kD], halfway[kD]);
  EXPECT_TRUE(IsZero(RecordOf(instrument, 2)));

  AdvanceBy(instrument, milliseconds(50));
  EXPECT_EQ(RunIndex(instrument), 1);
  EXPECT_EQ(RecordOf(instrument, 2)[counter::kRealTime], 200u);

  AdvanceBy(instrument, milliseconds(220));
  EXPECT_TRUE(Running(instrument));
  EXPECT_EQ(RunIndex(instrument), 2);

  AdvanceBy(instrument, milliseconds(20));
  EXPECT_EQ(ReadRegister(instrument, 83), 0x0010) << "run cleared; 8 and 9 stay clear";
  EXPECT_EQ(RunIndex(instrument), 2);
  for (int run = 1; run <= 3; ++run) {
    EXPECT_EQ(RecordOf(instrument, run)[counter::kRealTime], 1000u) << "run " << run;
  }
  EXPECT_TRUE(IsZero(RecordOf(instrument, 4)));
}

class TdcrSequenceCommands : public ::testing::Test {
 protected:
  TdcrSequenceCommands() {
    SetUpSequence(instrument, 3, 1000, 500);
    WriteControl(instrument, kStartWord);
    AdvanceBy(instrument, milliseconds(2000), milliseconds(100));  // half of run 2
  }

  VirtualInstrument instrument{InstrumentIdentity{}, 11};
};

TEST_F(TdcrSequenceCommands, StopEndsTheSequenceInTheCurrentRun) {
  WriteControl(instrument, kStopWord);
  const TdcrRunRecord stopped = RecordOf(instrument, 2);
  AdvanceBy(instrument, milliseconds(3000), milliseconds(100));

  EXPECT_EQ(ReadRegister(instrument, 83), kStopWord);
  EXPECT_EQ(RunIndex(instrument), 1);
  EXPECT_EQ(stopped[counter::kRealTime], 500u);
  EXPECT_EQ(RecordOf(instrument, 2), stopped) << "final as far as it got";
  EXPECT_EQ(RecordOf(instrument, 1)[counter::kRealTime], 1000u);
  EXPECT_TRUE(IsZero(RecordOf(instrument, 3)));
}

TEST_F(TdcrSequenceCommands, ResetClearsTheRecordsAndAStartAfterItCountsAfresh) {
  WriteControl(instrument, kStopWord);
  WriteControl(instrument, kStartWord);
  EXPECT_FALSE(Running(instrument)) << "an ended sequence starts again only after RESET";
  EXPECT_EQ(RecordOf(instrument, 1)[counter::kRealTime], 1000u);

  WriteControl(instrument, kResetWord);
  EXPECT_EQ(ReadRegister(instrument, 83), 0x0310) << "reset request answered with bit 4";
  EXPECT_EQ(RunIndex(instrument), 0);
  EXPECT_TRUE(IsZero(RecordOf(instrument, 1)));
  EXPECT_TRUE(IsZero(RecordOf(instrument, 2)));

  WriteControl(instrument, kStartWord);
  AdvanceBy(instrument, milliseconds(300), milliseconds(100));
  EXPECT_TRUE(Running(instrument));
  EXPECT_EQ(RecordOf(instrument, 1)[counter::kRealTime], 300u);
}

TEST_F(TdcrSequenceCommands, ResetAndStartInOneWriteBeginANewSequence) {
  WriteControl(instrument, kResetAndStartWord);
  EXPECT_EQ(ReadRegister(instrument, 83), 0x0014);
  EXPECT_EQ(RunIndex(instrument), 0);
  EXPECT_TRUE(IsZero(RecordOf(instrument, 2)));

  AdvanceBy(instrument, milliseconds(200), milliseconds(100));
  EXPECT_EQ(RecordOf(instrument, 1)[counter::kRealTime], 200u);
  EXPECT_TRUE(Running(instrument));
}

TEST_F(TdcrSequenceCommands, HostWritesKeepTheInstrumentsRunIndex) {
  WriteRegisters(instrument, 91, {0x3F02});
  EXPECT_EQ(ReadRegister(instrument, 91), 0x0102) << "runs taken, run index kept";

  // The program's settings write from an image read before run 2 began.
  std::array<std::uint16_t, wire::kRegisterCount> image{};
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = instrument.Memory().registers[i];
  image[91] = 0x0002;
  ValidReply(instrument, wire::SendSettingsRegistersFrame(image), wire::kWriteReplyLength);
  EXPECT_EQ(RunIndex(instrument), 1);

  AdvanceBy(instrument, milliseconds(1500), milliseconds(100));
  EXPECT_EQ(RunIndex(instrument), 2) << "the sequence goes on";
}

TEST(TdcrSequence, LiveStopTimerRunsUntilItsLiveTimeReachesThePreset) {
  VirtualInstrument instrument(InstrumentIdentity{}, 5);
  SetUpSequence(instrument, 1, 200, 0);
  WriteRegisters(instrument, 85, {12498});        // 100 us
  WriteControl(instrument, 0xE000 | kStartWord);  // STOP TIMER: LIVE T2
  AdvanceBy(instrument, milliseconds(1000));

  const TdcrRunRecord record = RecordOf(instrument, 1);
  EXPECT_FALSE(Running(instrument));
  EXPECT_EQ(record[counter::LiveTime(ChannelSet::kABC, 1)], 200u);
  EXPECT_GT(record[counter::kRealTime], 250u) << "dead time lengthens the run";
  // Extension 1 is far shorter: its live time (whole milliseconds) loses
  // little of the real time, far less than extension 2's.
  EXPECT_LE(record[counter::LiveTime(ChannelSet::kABC, 0)], record[counter::kRealTime]);
  EXPECT_GT(record[counter::LiveTime(ChannelSet::kABC, 0)], 250u);
}

TEST(TdcrSequence, TheSameSeedGivesTheSameCounts) {
  auto countsFor = [](std::uint32_t seed) {
    VirtualInstrument instrument(InstrumentIdentity{}, seed);
    SetUpSequence(instrument, 1, 300, 0);
    WriteControl(instrument, kStartWord);
    AdvanceBy(instrument, milliseconds(400));
    return RecordOf(instrument, 1);
  };
  EXPECT_EQ(countsFor(21), countsFor(21));
  EXPECT_NE(countsFor(21), countsFor(22));
}

TEST(TdcrCommandLine, SampleOptionsReachTheServerAndBadValuesAreRefused) {
  const std::vector<std::string_view> args = {
      "--activity", "12000",     "--dark-rate=0", "--ref-ppm", "-7.5",   "--time-scale",
      "10",         "--nuclide", "Pm-147",        "--kb",      "0.0125", "--lambda=1.7"};
  const ParsedCommandLine parsed = ParseCommandLine(args);
  ASSERT_TRUE(parsed.options) << parsed.error;
  const TdcrOptions& tdcr = parsed.options->server.tdcr;
  EXPECT_EQ(tdcr.activityBq, 12000.0);
  EXPECT_EQ(tdcr.darkRatePerPmt, 0.0);
  EXPECT_EQ(tdcr.referencePpm, -7.5);
  EXPECT_EQ(tdcr.timeScale, 10.0);
  EXPECT_EQ(tdcr.nuclide, "Pm-147");
  EXPECT_EQ(tdcr.kbCmPerMeV, 0.0125);
  EXPECT_EQ(tdcr.photoelectronsPerKeV, 1.7);

  const TdcrOptions defaults = ParseCommandLine({}).options->server.tdcr;
  EXPECT_EQ(defaults.nuclide, "H-3");
  EXPECT_EQ(defaults.kbCmPerMeV, 0.010);
  EXPECT_EQ(defaults.photoelectronsPerKeV, kDefaultPhotoelectronsPerKeV);

  const std::vector<std::vector<std::string_view>> wrong = {
      {"--activity", "-1"},  {"--activity", "2e6"},  {"--dark-rate", "lots"}, {"--ref-ppm", "2000"},
      {"--time-scale", "0"}, {"--time-scale", "-2"}, {"--nuclide", "Co-60"},  {"--nuclide", "h-3"},
      {"--kb", "0.2"},       {"--kb", "-0.01"},      {"--lambda", "0"},       {"--lambda", "many"}};
  for (const auto& bad : wrong) EXPECT_FALSE(ParseCommandLine(bad).options) << bad[0] << " " << bad[1];
}

}  // namespace
}  // namespace korva::sim
