#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "../support/fake_serial_link.h"
#include "../support/recording_prompt.h"
#include "common/event_log.h"
#include "devicelink/command_engine.h"
#include "setup/amplifier_digital_io.h"
#include "setup/amplifier_input.h"
#include "setup/amplifier_setup.h"

namespace korva {
namespace {

constexpr std::size_t kAdcOffset = 1;
constexpr std::size_t kAmpOffset = 12;
constexpr std::size_t kControl = 16;
constexpr std::size_t kFine = 17;
constexpr std::size_t kCoarse = 18;
constexpr std::size_t kCleared = 19;
constexpr std::size_t kIoFlags = 75;
constexpr std::size_t kIoFunctions = 76;
constexpr std::size_t kInput = 83;

// The amplifier state over one spectrum whose registers are both the active
// and the buffer copy, as while the buffer spectrum is shown.
struct AmplifierFixture : ::testing::Test {
  AmplifierFixture() { setup.FirstUpdate(fields); }

  RegisterImage Composed() {
    setup.Compose(registers, fields);
    return registers;
  }
  void ReadBack() { setup.Refresh(registers, fields); }
  const AmplifierControls& Shown() const { return setup.Controls(); }

  RegisterImage registers{};
  AmplifierSpectrumFields fields;
  AmplifierSetup setup;
};

TEST_F(AmplifierFixture, FineGainEndsDecodeAndTypedFactorsAreCheckedBeforeTheyAreSent) {
  registers[kFine] = 0xFFF0;
  ReadBack();
  EXPECT_EQ(Shown().fine, 0);
  EXPECT_EQ(Shown().fineText, "1.00000");
  registers[kFine] = 0;
  ReadBack();
  EXPECT_EQ(Shown().fine, 4095);
  EXPECT_EQ(Shown().fineText, "1.20000");
  EXPECT_EQ(Shown().totalText, "1.20000") << "coarse 1.00";

  setup.SetFineTextFocus(true);
  EXPECT_FALSE(setup.TypeFineFactor("1.25")) << "above the range: ignored";
  EXPECT_FALSE(setup.TypeFineFactor("0.99"));
  EXPECT_FALSE(setup.TypeFineFactor("1.1x"));
  EXPECT_EQ(Shown().fine, 4095);

  const auto typed = setup.TypeFineFactor("1.1");
  ASSERT_TRUE(typed);
  EXPECT_EQ(typed->send, RegisterBlock::kSettings);
  EXPECT_EQ(Shown().fine, 2047);
  EXPECT_EQ(Shown().fineText, "1.1") << "the text being typed is left alone";
  ASSERT_TRUE(setup.TypeFineFactor("1.2"));
  EXPECT_EQ(Shown().fine, 4095) << "1.2 lies below 1.2000001 and is the top of the range";
  EXPECT_EQ(Composed()[kFine], 0);

  ASSERT_TRUE(setup.TypeFineFactor("1.00005"));
  ASSERT_TRUE(setup.SetFineTextFocus(false)) << "losing the focus sends through the spin path";
  EXPECT_EQ(Shown().fineText, "1.00005") << "the factor fine 1 encodes";
  EXPECT_EQ(Composed()[kFine], (4095 - 1) * 16);

  setup.SetFine(5000);
  EXPECT_EQ(Shown().fine, 4095) << "clamped and shown clamped";
  setup.SetFine(-3);
  EXPECT_EQ(Shown().fine, 0);
  EXPECT_FALSE(setup.TypeFineFactor("1.1")) << "typing counts only while the text has the focus";
}

TEST_F(AmplifierFixture, AmplifierOffsetIsStoredAsItIsForInputEAndComplementedForTheOthers) {
  setup.SelectMcaInput(kInputEListIndex, fields);
  setup.SetAmplifierOffset(1000);
  EXPECT_EQ(Composed()[kAmpOffset], 1000);
  EXPECT_EQ(registers[kCoarse] & 0x8000, 0x8000);

  setup.SelectMcaInput(0, fields);
  EXPECT_EQ(Composed()[kAmpOffset], 64535);
  EXPECT_EQ(registers[kCoarse] & 0x8000, 0);

  // A read-back decodes with the input class it carries.
  registers[kAmpOffset] = 65535 - 123;
  ReadBack();
  EXPECT_EQ(Shown().amplifierOffset, 123);
  registers[kCoarse] = 0x8000;
  registers[kAmpOffset] = 777;
  ReadBack();
  EXPECT_EQ(Shown().mcaInput, kInputEListIndex);
  EXPECT_EQ(Shown().amplifierOffset, 777);

  setup.SetAmplifierOffset(70000);
  EXPECT_EQ(Shown().amplifierOffset, 65535);
}

TEST_F(AmplifierFixture, SuccessiveApproximationConvergesInFifteenPressesEitherWay) {
  setup.ClickAuto(false);
  for (const bool up : {true, false}) {
    ASSERT_TRUE(Shown().sarEnabled);
    const auto started = setup.StartSar();
    ASSERT_TRUE(started);
    EXPECT_EQ(started->send, RegisterBlock::kAll);
    EXPECT_EQ(Shown().amplifierOffset, 32768);
    EXPECT_FALSE(Shown().sarEnabled);
    for (int press = 1; press <= 15; ++press) {
      ASSERT_TRUE(Shown().stepsEnabled) << "press " << press;
      EXPECT_EQ(setup.PressSarStep(up)->send, RegisterBlock::kAll);
    }
    EXPECT_EQ(Shown().amplifierOffset, up ? 65535 : 1);
    EXPECT_FALSE(Shown().stepsEnabled) << "back to idle";
    EXPECT_TRUE(Shown().sarEnabled);
  }

  // An offset typed during a run near the top cannot leave the register's range.
  setup.StartSar();
  setup.SetAmplifierOffset(60000);
  setup.PressSarStep(true);
  EXPECT_EQ(Shown().amplifierOffset, 65535);
  // AUTO stops offering the steps; the next SAR starts over.
  setup.ClickAuto(true);
  EXPECT_FALSE(Shown().stepsEnabled);
  EXPECT_FALSE(Shown().sarEnabled);
  EXPECT_FALSE(Shown().amplifierEnabled);
  EXPECT_EQ(Composed()[kControl] & 0x0100, 0x0100);
}

TEST_F(AmplifierFixture, AdcDefaultTicksToEightThousandAndOnlyAReadBackTicksItAgain) {
  setup.ClickAdcDefault(true);
  EXPECT_EQ(Shown().adcOffset, 8000);
  EXPECT_FALSE(Shown().adcEnabled);
  EXPECT_EQ(setup.ClickAdcDefault(false)->send, RegisterBlock::kAll);
  EXPECT_EQ(Shown().adcOffset, 8001);
  EXPECT_TRUE(Shown().adcEnabled);
  EXPECT_EQ(Composed()[kAdcOffset], 8001);

  registers[kAdcOffset] = 8000;
  ReadBack();
  EXPECT_TRUE(Shown().adcDefault);
  registers[kAdcOffset] = 123;
  ReadBack();
  EXPECT_EQ(Shown().adcOffset, 123);
  EXPECT_TRUE(Shown().adcDefault) << "the read-back never unticks it";

  setup.SetAdcOffset(40000);
  EXPECT_EQ(Shown().adcOffset, 32000);
}

TEST_F(AmplifierFixture, EachInputClassBringsBackTheCoarseGainLastUsedWithIt) {
  EXPECT_EQ(Shown().coarseTexts,
            (std::vector<std::string>{"      1.00", "      1.41", "      2.00", "      2.83"}));
  setup.SelectMcaInput(0, fields);  // PMT A - DPP
  setup.SelectCoarse(1, fields);
  const auto pha = setup.SelectMcaInput(4, fields);
  ASSERT_TRUE(pha);
  EXPECT_TRUE(pha->inputChanged);
  EXPECT_EQ(pha->send, RegisterBlock::kSettings);
  setup.SelectCoarse(2, fields);
  EXPECT_EQ(Composed()[kCoarse] & 0x4003, 0x4002) << "PHA, coarse 2.00";

  setup.SelectMcaInput(0, fields);
  EXPECT_EQ(Shown().coarse, 1);
  EXPECT_EQ(Shown().totalText, "1.41421");
  EXPECT_EQ(Composed()[kCoarse] & 0xC003, 0x0001) << "DPP again with 1.41";
  EXPECT_EQ(fields.register18Shadow, registers[kCoarse]) << "the next read-back is no change";

  // A read-back of a PHA register 18 remembers its gain for PHA inputs.
  registers[kCoarse] = 0x4003;
  registers[kInput] = 2;
  EXPECT_TRUE(setup.Refresh(registers, fields));
  EXPECT_EQ(Shown().mcaInput, 6);
  EXPECT_EQ(fields.inputLabel, " PMT C - PHA");
  EXPECT_EQ(fields.RememberedCoarse(true), 3);
  EXPECT_EQ(Shown().totalText, "2.82843");
  EXPECT_FALSE(setup.Refresh(registers, fields)) << "unchanged";
}

TEST_F(AmplifierFixture, ComposeWritesItsFieldsAndLeavesEveryOtherBitAlone) {
  registers[kCoarse] = 0x3FFF;
  registers[kCleared] = 0xABCD;
  registers[kControl] = 0x0001;
  registers[kInput] = 0x0214;
  registers[kIoFunctions] = 0xFFFF;
  setup.SelectMcaInput(3, fields);  // A+B+C DPP
  setup.SelectCoarse(2, fields);
  setup.SelectFunction(OutputLine::kRout, 3);
  setup.SelectFunction(OutputLine::kT, 2);
  Composed();

  EXPECT_EQ(registers[kCoarse], 0x3F1E) << "bits 0-1 the code, 5-7 cleared, 2-4 and 8-13 kept";
  EXPECT_EQ(registers[kCleared], 0xA000);
  EXPECT_EQ(registers[kControl], 0x0101) << "AUTO is on after the first update";
  EXPECT_EQ(registers[kInput], 0x0217);
  EXPECT_EQ(registers[kIoFunctions], 0x0032);
  EXPECT_EQ(registers[kFine], 0xFFF0);
  EXPECT_EQ(registers[kAdcOffset], 2000);
}

TEST_F(AmplifierFixture, TheTraceComposeRunsFirstAndTheNormalisationSeesTheNewGain) {
  std::vector<std::string> order;
  AmplifierComposeHooks hooks;
  hooks.traceCompose = [&](RegisterImage& r) { order.push_back("trace " + std::to_string(r[kCoarse] & 3)); };
  hooks.normalisationCompose = [&](RegisterImage& r) {
    order.push_back("normalise " + std::to_string(r[kCoarse] & 3));
  };
  setup.SelectCoarse(3, fields);
  setup.Compose(registers, fields, hooks);
  EXPECT_EQ(order, (std::vector<std::string>{"trace 0", "normalise 3"}));
}

TEST_F(AmplifierFixture, DriveListsShowADisabledLineAndKeepItsHiddenBits) {
  // Rout disabled with open drain and invert, S open drain, T inverted push-pull, bit 3 and bits 0-2 set.
  registers[kIoFlags] = (1u << 7) | (1u << 10) | (1u << 13) | (1u << 6) | (1u << 12) | (1u << 8) | 0x000F;
  ReadBack();
  EXPECT_EQ(Shown().drive, (std::array<int, 3>{0, 2, 3}));
  EXPECT_EQ(Shown().rinFunction, 0);
  EXPECT_EQ(Composed()[kIoFlags], registers[kIoFlags] & 0xFFF8)
      << "hidden bits and bit 3 come back; bits 0-2 are written 0";

  setup.SelectDrive(OutputLine::kRout, 0);
  EXPECT_EQ(Composed()[kIoFlags] & 0x4480, 0x0480) << "still disabled, still open drain and inverted";
  setup.SelectDrive(OutputLine::kRout, 1);
  EXPECT_EQ(Composed()[kIoFlags] & 0x4480, 0x4000) << "enabling push-pull sets all three";
  EXPECT_EQ(setup.SelectDrive(OutputLine::kS, 4)->send, RegisterBlock::kAll);
  EXPECT_EQ(Composed()[kIoFlags] & 0x2240, 0x2240);

  for (int position = 0; position < 4; ++position) {
    EXPECT_EQ(RinPosition(WithRinPosition(0xFFFF, position)), position);
    for (const OutputLine line : kOutputLines) {
      EXPECT_EQ(DrivePosition(WithDrivePosition(0, line, position + 1), line), position + 1);
    }
  }
  setup.SelectRin(3);
  EXPECT_EQ(Composed()[kIoFlags] & 0x8810, 0x8810) << "INV COINCIDENCE";
  EXPECT_EQ(RinPosition(0x0810), 0) << "not enabled";
  EXPECT_EQ(RinPosition(0x8800), 1) << "invert without coincidence";
}

TEST(AmplifierSetupLifecycle, NothingIsChangedBeforeTheFirstUpdateAndTheFirstReadBackTakesTheInput) {
  AmplifierSetup setup;
  AmplifierSpectrumFields fields;
  RegisterImage registers{};
  EXPECT_FALSE(setup.SelectCoarse(1, fields));
  EXPECT_FALSE(setup.StartSar());
  setup.Compose(registers, fields);
  EXPECT_EQ(registers, RegisterImage{});

  // Register 18 equal to the spectrum's shadow still shows the instrument's
  // input on the first read-back, so a later compose cannot switch it to E.
  setup.FirstUpdate(fields);
  registers[kInput] = 1;
  EXPECT_TRUE(setup.Refresh(registers, fields));
  EXPECT_EQ(setup.Controls().mcaInput, 1);
  setup.SetFine(10);
  setup.Compose(registers, fields);
  EXPECT_EQ(registers[kCoarse] & 0x8000, 0);
  EXPECT_EQ(registers[kInput] & 3, 1);
}

// A first update on reconnect shows the form's start values; the next
// read-back must bring back every field, also those the instrument still
// holds at the value decoded before (the copies would call them unchanged).
TEST(AmplifierSetupLifecycle, AReconnectReadBackTakesFieldsEqualToTheirOldCopies) {
  AmplifierSetup setup;
  AmplifierSpectrumFields fields;
  RegisterImage registers{};
  registers[kFine] = 0;  // fine 4095
  registers[kAmpOffset] = 65535 - 1234;
  registers[kIoFlags] = 0x4000;  // Rout push-pull
  registers[kIoFunctions] = 0x0030;
  setup.FirstUpdate(fields);
  setup.Refresh(registers, fields);
  ASSERT_EQ(setup.Controls().fine, 4095);

  setup.FirstUpdate(fields);
  EXPECT_EQ(setup.Controls().fine, 0) << "the form's start value";
  setup.Refresh(registers, fields);
  EXPECT_EQ(setup.Controls().fine, 4095);
  EXPECT_EQ(setup.Controls().fineText, "1.20000");
  EXPECT_EQ(setup.Controls().amplifierOffset, 1234);
  EXPECT_EQ(setup.Controls().drive[0], 1);
  EXPECT_EQ(setup.Controls().function[0], 3);
}

TEST(AmplifierMcaInput, ListEntriesMapToInputNumberPhaAndE) {
  for (int i = 0; i < 9; ++i) {
    const McaInput input = McaInputOfListIndex(i);
    EXPECT_EQ(input.number, i % 4) << i;
    EXPECT_EQ(input.pha, i >= 4 && i <= 7) << i;
    EXPECT_EQ(input.inputE, i == 8) << i;
    EXPECT_EQ(ListIndexOfMcaInput(input), i);
  }
  EXPECT_EQ(McaInputOfListIndex(9), McaInputOfListIndex(0));
}

struct IdleHost : EngineHost {
  bool IsPortOpen() const override { return true; }
  void RunDisconnectSequence() override {}
  void ScheduleAfter(int, std::function<void()>) override {}
};
struct StillClock : LocalClock {
  std::optional<LocalCalendar> Now() override { return LocalCalendar{}; }
};

TEST(AmplifierSend, OnlyTheBufferSpectrumIsComposedAndOnlyAnAnsweringInstrumentIsWritten) {
  StillClock clock;
  EventLog log(clock);
  test::FakeSerialLink link;
  DeviceImage image;
  test::RecordingPrompt prompt;
  IdleHost host;
  CommandEngine engine(link, image, log, prompt, host);
  AmplifierSetup setup;
  AmplifierSpectrumFields fields;
  setup.FirstUpdate(fields);
  setup.SetFine(100);

  SendAmplifierChange(engine, setup, fields, false, RegisterBlock::kSettings);
  EXPECT_EQ(image.registers[kFine], 0) << "a file spectrum's settings are not composed";

  SendAmplifierChange(engine, setup, fields, true, RegisterBlock::kAll);
  EXPECT_EQ(image.registers[kFine], (4095 - 100) * 16) << "kept in the image for the next write";
  EXPECT_TRUE(image.acceptReadBack);
  EXPECT_TRUE(link.written.empty());

  engine.PrepareConnect();
  engine.CompleteConnect();
  link.Queue(test::FilledReadReplyTo(link.Last()));
  engine.OnReplyBytes();
  ASSERT_TRUE(engine.DeviceAnswered());
  setup.Refresh(image.registers, fields);
  setup.SetFine(200);
  SendAmplifierChange(engine, setup, fields, true, RegisterBlock::kAll);
  EXPECT_EQ(link.Last(), wire::SendAllRegistersFrame(image.registers));
  EXPECT_EQ(image.registers[kFine], (4095 - 200) * 16);
}

}  // namespace
}  // namespace korva
