// The trace unit's logic lines and trigger: which lines a pulse raises and
// when, pile-up, the ROI-SCA window, and where the trigger edge lands.

#include "sim/trace_capture.h"

#include <gtest/gtest.h>

#include <cmath>

#include "devicelink/wire_frame.h"
#include "sim/instrument_memory.h"
#include "sim/trace_synthesis.h"

namespace korva::sim {
namespace {

enum Line { kFastLld, kSlowLld, kPeakDetect, kStore, kPileUp, kInhibit, kInputR, kRoiSca };

TraceShapes Shapes() {
  TraceShapes shapes;
  shapes.slowRise = 100;
  shapes.slowFlat = 20;
  shapes.fastRise = 10;
  shapes.fastFlat = 2;
  shapes.slowThreshold = 50;
  shapes.fastThreshold = 20;
  shapes.roiLow = 300;
  shapes.roiHigh = 500;
  return shapes;
}

TEST(TraceLines, ALonePulseRaisesTheLinesOfItsShapeAndIsStoredOnce) {
  const auto lines = TraceLineIntervals({{1000.0, 400.0}}, Shapes());
  ASSERT_EQ(lines[kFastLld].size(), 1u);
  EXPECT_DOUBLE_EQ(lines[kFastLld][0].start, 1000.0 + 10.0 * 20.0 / 400.0);
  ASSERT_EQ(lines[kSlowLld].size(), 1u);
  EXPECT_DOUBLE_EQ(lines[kSlowLld][0].start, 1000.0 + 100.0 * 50.0 / 400.0);
  EXPECT_DOUBLE_EQ(lines[kSlowLld][0].end, 1220.0 - 12.5);
  ASSERT_EQ(lines[kPeakDetect].size(), 1u);
  EXPECT_DOUBLE_EQ(lines[kPeakDetect][0].start, 1100.0);
  EXPECT_DOUBLE_EQ(lines[kPeakDetect][0].end, 1120.0);
  ASSERT_EQ(lines[kStore].size(), 1u);
  EXPECT_DOUBLE_EQ(lines[kStore][0].start, 1120.0);
  EXPECT_EQ(lines[kRoiSca].size(), 1u) << "channel 400 lies in 300-500";
  EXPECT_EQ(lines[kInhibit].size(), 1u);
  EXPECT_TRUE(lines[kPileUp].empty());
  EXPECT_TRUE(lines[kInputR].empty());

  const auto outside = TraceLineIntervals({{1000.0, 600.0}}, Shapes());
  EXPECT_EQ(outside[kStore].size(), 1u);
  EXPECT_TRUE(outside[kRoiSca].empty()) << "channel 600 lies above the window";

  const auto small = TraceLineIntervals({{0.0, 30.0}}, Shapes());
  EXPECT_EQ(small[kFastLld].size(), 1u);
  EXPECT_TRUE(small[kSlowLld].empty()) << "below the slow threshold";
  EXPECT_TRUE(small[kStore].empty());
  EXPECT_EQ(small[kPeakDetect].size(), 1u) << "taken by the processor all the same";

  EXPECT_TRUE(TraceLineIntervals({{0.0, 10.0}}, Shapes())[kInhibit].empty()) << "below the fast threshold";
}

TEST(TraceLines, OverlappingPulsesRaisePileUpAndNeitherIsStored) {
  const auto lines = TraceLineIntervals({{0.0, 400.0}, {150.0, 350.0}}, Shapes());
  ASSERT_EQ(lines[kPileUp].size(), 1u);
  EXPECT_DOUBLE_EQ(lines[kPileUp][0].start, 150.0);
  EXPECT_DOUBLE_EQ(lines[kPileUp][0].end, 220.0);
  EXPECT_TRUE(lines[kStore].empty());
  EXPECT_TRUE(lines[kRoiSca].empty());
  EXPECT_EQ(lines[kPeakDetect].size(), 1u) << "the second pulse is not taken";
  EXPECT_EQ(lines[kFastLld].size(), 2u);

  // Far enough apart both are stored.
  EXPECT_EQ(TraceLineIntervals({{0.0, 400.0}, {1000.0, 350.0}}, Shapes())[kStore].size(), 2u);
}

TEST(TraceLines, TheTriggerEdgeIsTheRiseOrWhenInvertedTheFall) {
  const std::vector<LineInterval> line{{10.0, 20.0}, {50.0, 70.0}};
  EXPECT_EQ(TriggerEdge(line, false, 0.0, 100.0), 10.0);
  EXPECT_EQ(TriggerEdge(line, false, 11.0, 100.0), 50.0);
  EXPECT_EQ(TriggerEdge(line, true, 0.0, 100.0), 20.0);
  EXPECT_FALSE(TriggerEdge(line, false, 71.0, 100.0));
  EXPECT_TRUE(LineSetWithin(line, 15.0, 16.0));
  EXPECT_TRUE(LineSetWithin(line, 0.0, 10.5));
  EXPECT_FALSE(LineSetWithin(line, 0.0, 10.0));
  EXPECT_FALSE(LineSetWithin(line, 20.0, 50.0));
}

// The instrument's power-on registers with the trace settings given.
RegisterBank Registers(std::uint16_t decimation, std::uint16_t delay, std::uint16_t setup) {
  RegisterBank bank;
  bank.Set(2, 240);
  bank.Set(3, 40);
  bank.Set(4, 20);
  bank.Set(5, 4);
  bank.Set(17, 0xFFF0);
  bank.Set(18, 0x8000);
  bank.Set(20, 150);
  bank.Set(21, 0x8000);
  bank.Set(71, 396);
  bank.Set(16, 1u << 9);                                       // the pulser off, as the instrument powers up
  for (std::size_t r = 34; r <= 37; ++r) bank.Set(r, 0xFFFF);  // estimated thresholds
  bank.Set(24, decimation);
  bank.Set(25, delay);
  bank.Set(26, setup);
  bank.Set(28, 4095);
  return bank;
}

std::uint16_t LinesOf(const std::array<std::uint8_t, wire::kTraceBytes>& record, std::size_t sample) {
  return wire::ReadU16(record, 4 * sample + 2);
}

TEST(TraceTrigger, TheChosenLineRisesAtTheDelayAndASilentLineNeverTriggers) {
  SpectrumSourceOptions quiet;  // no other pulse in the window
  quiet.activityBq = 0.0;
  TraceCapture capture(11, quiet);
  std::mt19937 random(3);
  for (const bool inverted : {false, true}) {
    // S LLD (source 1) at sample 80, 4 ticks a sample.
    const std::uint16_t setup = static_cast<std::uint16_t>((1u << 3) | (inverted ? 1u << 6 : 0u));
    const RegisterBank bank = Registers(3, 80, setup);
    const AnalyserSettings analyser = ReadAnalyserSettings(bank);
    const auto result = capture.TryTrigger(bank, analyser, 800.0);
    ASSERT_TRUE(result);
    const auto record = SynthesizeTrace(bank, result->pulses, result->lines, result->windowStart, random);
    const bool before = (LinesOf(record, 79) & 2u) != 0;
    const bool at = (LinesOf(record, 80) & 2u) != 0;
    if (inverted) {
      EXPECT_TRUE(before && !at) << "the inverted line rises where S LLD falls";
    } else {
      EXPECT_TRUE(!before && at) << "S LLD rises at the delay";
    }
  }
  const RegisterBank small = Registers(3, 80, 1u << 3);
  EXPECT_FALSE(capture.TryTrigger(small, ReadAnalyserSettings(small), 1.0)) << "below both thresholds";
  const RegisterBank inputR = Registers(3, 80, 6u << 3);
  EXPECT_FALSE(capture.TryTrigger(inputR, ReadAnalyserSettings(inputR), 800.0));
}

TEST(TraceTrigger, AnArmedUnitCapturesOnItsTriggerOrAtRandomAndWaitsOnASilentLine) {
  TraceCapture capture(5);
  InstrumentMemory memory;
  for (std::size_t i = 0; i < 128; ++i) memory.registers.Set(i, Registers(9, 48, 0)[i]);
  const auto ready = [&] { return memory.registers.Test(16, 1u << 15); };
  capture.Advance(memory, std::chrono::milliseconds(20));
  EXPECT_TRUE(ready()) << "F LLD fires on the vial's pulses";
  const auto first = memory.trace;

  // INPUT R never rises: the unit stays armed; the random trigger captures.
  memory.registers.Set(26, 6u << 3);
  capture.OnRegistersWritten(memory, {26, 1});
  EXPECT_FALSE(ready()) << "new settings re-arm";
  capture.Advance(memory, std::chrono::milliseconds(50));
  EXPECT_FALSE(ready());
  memory.registers.Set(26, (6u << 3) | (1u << 7));
  capture.OnRegistersWritten(memory, {26, 1});
  capture.Advance(memory, std::chrono::milliseconds(50));
  EXPECT_TRUE(ready());
  EXPECT_NE(memory.trace, first);
}

TEST(TraceTrigger, ThePulsersPulsesShowEvenlySpacedAtTheirHeight) {
  SpectrumSourceOptions quiet;
  quiet.activityBq = 0.0;
  TraceCapture capture(4, quiet);
  RegisterBank bank = Registers(3999, 48, 1u << 7);  // 4000 ticks a sample: about 8 ms
  EXPECT_TRUE(capture.RandomWindow(bank, ReadAnalyserSettings(bank)).pulses.empty()) << "pulser off";

  bank.Set(16, 0);
  bank.Set(18, 0x8001);  // coarse gain sqrt(2)
  const auto pulses = capture.RandomWindow(bank, ReadAnalyserSettings(bank)).pulses;
  ASSERT_GE(pulses.size(), 8u);
  for (std::size_t i = 0; i < pulses.size(); ++i) {
    EXPECT_NEAR(pulses[i].height, 2000.0 * std::sqrt(2.0), 15.0)
        << "the gain and the noise, as in the spectrum";
    if (i > 0) {
      EXPECT_NEAR(pulses[i].arrival - pulses[i - 1].arrival, 125000.0, 1e-6) << "1 ms apart";
    }
  }
}

}  // namespace
}  // namespace korva::sim
