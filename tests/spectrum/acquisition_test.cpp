#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "../support/fake_serial_link.h"
#include "../support/recording_prompt.h"
#include "../timesync/time_fakes.h"
#include "acquisition/acquisition_gating.h"
#include "acquisition/acquisition_rates.h"
#include "acquisition/acquisition_run.h"
#include "acquisition/acquisition_settings.h"
#include "common/event_log.h"
#include "devicelink/command_engine.h"
#include "spectrum/acquisition_start_stamp.h"
#include "spectrum/acquisition_times.h"
#include "spectrum/spectrum_record.h"

namespace korva {
namespace {

using korva::testing::Utc;
using std::chrono::milliseconds;

TEST(AcquisitionPreset, SecondsAreStoredInHundredthsAndReadBackWhole) {
  RegisterImage registers{};
  WritePresetSeconds(registers, 3600);
  EXPECT_EQ(registers[42], 0x7E40);
  EXPECT_EQ(registers[43], 0x0005);
  EXPECT_EQ(PresetSeconds(registers), 3600);

  registers[42] = 12345;
  registers[43] = 0;
  EXPECT_EQ(PresetSeconds(registers), 123) << "integer division";

  WritePresetSeconds(registers, -5);
  EXPECT_EQ(PresetSeconds(registers), 0);
  WritePresetSeconds(registers, 2'000'000'000);
  EXPECT_EQ(PresetSeconds(registers), kMaxAcquisitionPresetSeconds) << "what the register pair holds";
  EXPECT_EQ(registers[43], 0xFFFF);
}

TEST(AcquisitionDelays, TicksShowAsMicrosecondsAndTdcrDelaysSplitAt8205) {
  EXPECT_EQ(MicrosecondText(1), "  0.0080");
  EXPECT_EQ(MicrosecondText(4095), " 32.7600");
  EXPECT_EQ(MicrosecondText(16250), "130.0000");
  EXPECT_EQ(MicrosecondText(70625), "565.0000");

  struct Case {
    int ticks;
    std::uint16_t first, second;
  };
  for (const Case c : {Case{80, 79, 1}, Case{8204, 79, 8125}, Case{8205, 80, 8125}, Case{70625, 62500, 8125},
                       Case{5, 79, 1}, Case{99999, 62500, 8125}}) {
    const TdcrDelayRegisters parts = SplitTdcrDelay(c.ticks);
    EXPECT_EQ(parts.first, c.first) << c.ticks;
    EXPECT_EQ(parts.second, c.second) << c.ticks;
  }
  EXPECT_EQ(TdcrDelay(80, 8125), 8205);

  EXPECT_FALSE(TypedTdcrDelay(79, 1000)) << "not applied while below 80";
  EXPECT_EQ(TypedTdcrDelay(20000, 1000), 9125) << "at most the extension + 8125";
  EXPECT_EQ(TypedTdcrDelay(500, 1000), 500);
  EXPECT_EQ(FinishedTdcrDelay(7, 1000), 80);
  EXPECT_EQ(FinishedTdcrDelay(20000, 1000), 9125);

  EXPECT_EQ(ClampTicks(0, kMaxCoincidenceDelay), 1);
  EXPECT_EQ(ClampTicks(-40, kMaxStrobeDelay), 1);
  EXPECT_EQ(ClampTicks(9000, kMaxStrobeDelay), 8125);
}

TEST(AcquisitionGating, EveryCoincidenceSourceRoundTripsAndPicksItsSecondSourceList) {
  for (int source = 0; source < 5; ++source) {
    RegisterImage registers{};
    registers[16] = 0x0001;
    registers[96] = 0x0102;
    WriteCoincidenceSource(registers, source);
    EXPECT_EQ(CoincidenceSource(registers[16], registers[96]), source) << kCoincidenceSourceTexts[source];
    EXPECT_EQ(registers[16] & 0xBFFF, 0x0001) << "other control bits kept";
    EXPECT_EQ(registers[96] & 0xF9FF, 0x0102);
  }
  EXPECT_EQ(CoincidenceSource(0x0000, 0x0200), 0) << "bit 14 clear with one external signal on: DISABLED";
  EXPECT_STREQ(SecondSourceTexts(1)[0], "TDCR A");
  EXPECT_STREQ(SecondSourceTexts(0)[0], "TDCR A");
  EXPECT_STREQ(SecondSourceTexts(4)[0], "MCA PKDT");
}

TEST(AcquisitionSettingsCodec, ControlsRoundTripThroughTheRegistersAndLeaveTheRestAlone) {
  AcquisitionSettings settings;
  settings.stopTimer = 1;
  settings.presetSeconds = 250;
  settings.digitalPulser = true;
  settings.coincidenceSource = 3;
  settings.secondSource = 2;
  settings.window = 1;
  settings.mode = 1;
  settings.delay = 16250;
  settings.strobeDelay = 77;
  settings.windowWidth = 4095;
  settings.tdcrDelay = {8204, 20000};

  RegisterImage registers{};
  registers[16] = 0x8203;  // trace ready, pulser off, running
  registers[96] = 0x00F0;
  WriteAcquisitionSettings(settings, registers);
  EXPECT_EQ(registers[16], 0xC00B) << "live timer, pulser on, not the MCA, run bits and trace flag kept";
  EXPECT_EQ(registers[69], 0xCFFF);
  EXPECT_EQ(registers[96], 0x02F2);
  EXPECT_EQ(registers[100], 79);
  EXPECT_EQ(registers[102], 8125);
  EXPECT_EQ(registers[101], 20000 - 8125);
  EXPECT_EQ(ReadAcquisitionSettings(registers), settings);

  settings.windowWidth = 0;
  settings.delay = 40000;
  WriteAcquisitionSettings(settings, registers);
  EXPECT_EQ(registers[69] & 0x3FFF, 1);
  EXPECT_EQ(registers[68], 16250);
}

TEST(AcquisitionReadoutTest, TimesDeadShareStampAndLabelsDecode) {
  CSpectrum spectrum;
  spectrum.image.temperature = -3;
  spectrum.image.slowAdc = 2.5;
  RegisterImage& registers = spectrum.image.registers;
  registers = {};
  registers[56] = 1000;   // 10 s
  registers[58] = 750;    // 7.5 s
  registers[60] = 50000;  // + 6.4 ms
  registers[61] = 0;
  registers[68] = 125;
  AcquisitionReadout readout = ReadAcquisition(spectrum);
  EXPECT_NEAR(readout.times.realSeconds, 10.0064, 1e-9);
  EXPECT_EQ(readout.realTime, "     10.01");
  EXPECT_EQ(readout.liveTime, "      7.50");
  EXPECT_EQ(readout.deadPercent, "25.0");
  EXPECT_EQ(readout.temperature, "-3");
  EXPECT_EQ(readout.slowAdc, " 2.500");
  EXPECT_EQ(readout.microseconds[0], "  1.0000");
  EXPECT_EQ(readout.startStamp, "WAITING FOR START");
  EXPECT_EQ(readout.startLabel, "START TIME: LOCAL");

  registers = {};
  EXPECT_EQ(ReadAcquisition(spectrum).deadPercent, "0.0") << "real time 0";
  registers[56] = 100;
  registers[58] = 200;
  EXPECT_EQ(ReadAcquisition(spectrum).deadPercent, "0.0") << "live above real";

  registers[22] = 511;
  EXPECT_EQ(StartStampText(registers), "WAITING FOR START");
  registers[22] = 512;
  EXPECT_EQ(StartStampText(registers), "00/00/2001  00:00:00");
  const CalendarTime start = Utc(2024, 3, 7, 14, 5, 9);
  registers[22] = StartDateRegister(start);
  registers[23] = StartTimeRegister(start);
  EXPECT_EQ(registers[22], 7 + 32 * 3 + 512 * 24);
  EXPECT_EQ(StartStampText(registers), "07/03/2024  14:05:08") << "seconds in steps of 2";
  EXPECT_EQ(StartDateRegister(Utc(1999, 12, 31, 0, 0, 0)), 31 + 32 * 12) << "no wrap below 2000";

  EXPECT_EQ(StartReferenceLabel(WithStartReference(0x0C00, TimeReferenceKind::kUtc)), "START TIME: UTC");
  EXPECT_EQ(StartReferenceLabel(WithStartReference(0x0400, TimeReferenceKind::kSystem)),
            "START TIME: SYSTEM");
  EXPECT_EQ(WithStartReference(0x0C01, TimeReferenceKind::kLocal), 0x0001);
}

TEST(AcquisitionRates, GatesGiveCountsPerSecondAndTheLossesShare) {
  RegisterImage registers{};
  EXPECT_EQ(DecodeCountingRates(registers).incoming, 0) << "no gates";
  EXPECT_EQ(DecodeCountingRates(registers).lossesPercent, 0);

  registers[44] = 800;   // throughput counts
  registers[45] = 1000;  // incoming counts
  registers[46] = 6104;  // 0.100007936 s
  registers[47] = 6104;
  const CountingRates rates = DecodeCountingRates(registers);
  EXPECT_EQ(rates.throughput, 7999);
  EXPECT_EQ(rates.incoming, 9999);
  EXPECT_EQ(rates.lossesPercent, 19) << "(9999 - 7999.4) x 100 / 9999, truncated";

  registers[44] = 0;
  registers[45] = 100;
  registers[47] = 0;
  EXPECT_EQ(DecodeCountingRates(registers).incoming, 0) << "a gate of 0 gives rate 0";
  registers[44] = 60;  // 599.95 cps through, 0 in: the truncated 599 lies below rate 1
  EXPECT_EQ(DecodeCountingRates(registers).incoming, 599);
  EXPECT_EQ(DecodeCountingRates(registers).lossesPercent, 0) << "rate 1 the larger: nothing lost";
  registers[44] = 0;
  registers[45] = 3;
  registers[47] = 6104;  // 30 cps in, nothing through
  EXPECT_EQ(DecodeCountingRates(registers).lossesPercent, 100);
  registers[45] = 5;
  registers[47] = 61040;  // 1.00008 s: just below 5 cps in
  EXPECT_EQ(DecodeCountingRates(registers).lossesPercent, 0) << "5 cps or less shows 0 %";
}

TEST(AcquisitionStartStamp, TheStampWaitsForTheNextEvenSecondAndAFrozenClockEndsTheWait) {
  testing::ManualClock clock(Utc(2024, 5, 1, 23, 59, 58, 300));
  std::vector<milliseconds> sleeps;
  auto read = [&] { return StartTime{TimeReferenceKind::kSystem, clock.Now(), 0}; };
  auto sleep = [&](milliseconds wait) {
    sleeps.push_back(wait);
    clock.Advance(static_cast<std::uint64_t>(wait.count()));
  };
  const StartTime stamp = AwaitStampSecond(read, sleep);
  EXPECT_EQ(stamp.calendar.day, 2);
  EXPECT_EQ(stamp.calendar.second, 0) << "58 is the first reading's second; 00 of the next day is next";
  EXPECT_EQ(sleeps, (std::vector<milliseconds>{milliseconds(1700)}));

  testing::ManualClock odd(Utc(2024, 5, 1, 10, 0, 7, 999));
  sleeps.clear();
  const StartTime next = AwaitStampSecond(
      [&] {
        return StartTime{{}, odd.Now(), 0};
      },
      [&](milliseconds wait) {
        sleeps.push_back(wait);
        odd.Advance(static_cast<std::uint64_t>(wait.count()));
      });
  EXPECT_EQ(next.calendar.second, 8);

  int reads = 0;
  milliseconds slept{0};
  AwaitStampSecond(
      [&] {
        ++reads;
        return StartTime{};
      },
      [&](milliseconds wait) { slept += wait; });
  EXPECT_EQ(slept, milliseconds(3000));
  EXPECT_LT(reads, 10);
}

struct IdleHost : EngineHost {
  bool IsPortOpen() const override { return true; }
  void RunDisconnectSequence() override {}
  void ScheduleAfter(int, std::function<void()>) override {}
};
struct StillLocalClock : LocalClock {
  std::optional<LocalCalendar> Now() override { return LocalCalendar{}; }
};

// The run commands over a command engine on an in-memory port, with a time
// reference on a clock that moves only while the start waits.
struct AcquisitionRunFixture : ::testing::Test {
  AcquisitionRunFixture()
      : log(localClock),
        engine(link, image, log, prompt, host),
        reference(clock, zones),
        context{engine, reference, log,
                [&] {
                  ++choices;
                  reference.Choose(TimeReferenceKind::kSystem, 0);
                },
                [&](milliseconds wait) { clock.Advance(static_cast<std::uint64_t>(wait.count())); }} {}

  void Connect() {
    engine.PrepareConnect();
    engine.CompleteConnect();
    link.Queue(test::FilledReadReplyTo(link.Last()));
    engine.OnReplyBytes();
    ASSERT_TRUE(engine.DeviceAnswered());
  }
  void Acknowledge() {
    link.Queue(test::WriteAckTo(link.Last()));
    engine.OnReplyBytes();
  }

  StillLocalClock localClock;
  EventLog log;
  test::FakeSerialLink link;
  DeviceImage image;
  test::RecordingPrompt prompt;
  IdleHost host;
  CommandEngine engine;
  testing::ManualClock clock{Utc(2024, 3, 7, 14, 5, 9, 500)};
  testing::FixedZoneSource zones;
  TimeReferenceState reference;
  int choices = 0;
  AcquisitionRunContext context;
};

TEST_F(AcquisitionRunFixture, StartWithoutAnInstrumentOnlySaysSo) {
  const RegisterImage before = image.registers;
  const std::optional<StartTexts> texts = StartAcquisition(context);
  ASSERT_TRUE(texts);
  EXPECT_EQ(texts->stamp, "Hardware Not Connected");
  EXPECT_EQ(choices, 1) << "the reference is chosen first";
  EXPECT_EQ(image.registers, before);
  EXPECT_TRUE(image.acceptReadBack);
  EXPECT_TRUE(link.written.empty());
}

TEST_F(AcquisitionRunFixture, StartStampsAnEvenSecondAndEraseWhileRunningStampsAgain) {
  Connect();
  const std::optional<StartTexts> texts = StartAcquisition(context);
  ASSERT_TRUE(texts);
  EXPECT_EQ(texts->label, "START TIME: SYSTEM");
  EXPECT_EQ(texts->stamp, "07/03/2024  14:05:10");
  EXPECT_EQ(image.registers[16] & 0x0C03, 0x0803);
  EXPECT_EQ(link.Last(), wire::SendSettingsRegistersFrame(image.registers));
  EXPECT_NE(log.Lines().back().find("Start Spectrum Acquisition"), std::string::npos);
  Acknowledge();
  EXPECT_EQ(image.registers[16] & 0x0034, 0x0010) << "the engine completes the handshake bits";

  clock.Advance(60'000);
  const auto restarted = EraseAcquisition(context, AcquisitionSettings{});
  ASSERT_TRUE(restarted);
  EXPECT_EQ(restarted->stamp, "07/03/2024  14:06:12");
  EXPECT_EQ(image.registers[16] & 0x0035, 0x0025) << "erase request with the run";
  EXPECT_EQ(choices, 1) << "a SYSTEM choice does not expire";
  Acknowledge();

  StopAcquisition(context);
  EXPECT_EQ(image.registers[16] & 0x0003, 0);
  EXPECT_EQ(link.Last(), wire::SendSettingsRegistersFrame(image.registers));
  Acknowledge();

  EXPECT_FALSE(EraseAcquisition(context, AcquisitionSettings{}));
  EXPECT_EQ(image.registers[22], 0) << "shows WAITING FOR START after the next read-back";
  EXPECT_EQ(link.Last(), wire::SendSettingsRegistersFrame(image.registers));
}

TEST_F(AcquisitionRunFixture, StartAfterAStopKeepsTheFirstStampWhileRealTimeCounts) {
  Connect();
  ASSERT_TRUE(StartAcquisition(context));
  Acknowledge();
  StopAcquisition(context);
  Acknowledge();
  image.registers[56] = 7800;  // REAL 78.00 s counted since 14:05:10
  clock.Advance(120'000);
  const std::optional<StartTexts> resumed = StartAcquisition(context);
  ASSERT_TRUE(resumed);
  EXPECT_EQ(resumed->stamp, "07/03/2024  14:05:10") << "REAL still counts from the first start";
  EXPECT_EQ(image.registers[16] & 0x0003, 0x0003);
  EXPECT_EQ(link.Last(), wire::SendSettingsRegistersFrame(image.registers));
}

TEST_F(AcquisitionRunFixture, StartDoesNothingWhenTheTimeStampDialogIsClosedWithoutAChoice) {
  Connect();
  context.chooseReference = [&] { ++choices; };
  const RegisterImage before = image.registers;
  EXPECT_FALSE(StartAcquisition(context));
  EXPECT_EQ(choices, 1);
  EXPECT_EQ(image.registers, before);
  EXPECT_TRUE(image.acceptReadBack) << "read-backs go on";
}

TEST_F(AcquisitionRunFixture, AutoUpdateSwitchesSpectrumPollingAndReadsTheRegisters) {
  Connect();
  ClickAutoUpdate(engine, true);
  EXPECT_TRUE(engine.SpectrumPolling());
  EXPECT_EQ(link.Last(), wire::RequestAllRegistersFrame());
  link.Queue(test::FilledReadReplyTo(link.Last()));
  engine.OnReplyBytes();
  EXPECT_EQ(link.Last()[0], wire::kReadCommand) << "polling goes on with a spectrum chunk";
  EXPECT_NE(link.Last(), wire::RequestAllRegistersFrame());
  ClickAutoUpdate(engine, false);
  EXPECT_FALSE(engine.SpectrumPolling());
}

TEST(AcquisitionCommands, StartAndStopAreOfferedOnlyForTheConnectedBufferSpectrum) {
  EXPECT_TRUE(CanStartAcquisition(true, 0x0000, true));
  EXPECT_FALSE(CanStartAcquisition(true, 0x0000, false)) << "FILE tab shown";
  EXPECT_FALSE(CanStartAcquisition(true, 0x0001, true));
  EXPECT_FALSE(CanStartAcquisition(false, 0x0000, true));
  EXPECT_TRUE(CanStopAcquisition(true, 0x0001, true));
  EXPECT_FALSE(CanStopAcquisition(true, 0x0001, false));
}

}  // namespace
}  // namespace korva
