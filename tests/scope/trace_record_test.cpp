#include "scope/trace_record.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "sim/register_bank.h"
#include "sim/trace_synthesis.h"

namespace korva {
namespace {

Trace Flat(int value) {
  Trace trace;
  for (auto& sample : trace) sample.analog = static_cast<std::int16_t>(value);
  return trace;
}

TEST(TraceRecord, DecodesLittleEndianSamples) {
  std::vector<std::uint8_t> record(kTraceRecordBytes, 0);
  record[0] = 0x38;  // -200
  record[1] = 0xFF;
  record[2] = 0x05;
  record[4 * 255] = 0xFF;  // 32767
  record[4 * 255 + 1] = 0x7F;
  record[4 * 255 + 3] = 0x80;
  const auto trace = DecodeTraceRecord(record);
  ASSERT_TRUE(trace);
  EXPECT_EQ((*trace)[0].analog, -200);
  EXPECT_EQ((*trace)[0].lines, 0x0005);
  EXPECT_TRUE(LineIsSet((*trace)[0], 0));
  EXPECT_FALSE(LineIsSet((*trace)[0], 1));
  EXPECT_EQ((*trace)[255].analog, 32767);
  EXPECT_EQ((*trace)[255].lines, 0x8000);

  record.pop_back();
  EXPECT_FALSE(DecodeTraceRecord(record));
  EXPECT_FALSE(DecodeTraceRecord({}));
}

TEST(TraceAveraging, MovingMeanOverTheLastTraces) {
  TraceAverager averager;
  Trace shown;
  for (int value : {100, 200, 300, 400}) {
    shown = Flat(value);
    averager.Apply(shown, 4);
  }
  EXPECT_EQ(shown[0].analog, 250);
  shown = Flat(1000);
  averager.Apply(shown, 4);
  EXPECT_EQ(shown[17].analog, (200 + 300 + 400 + 1000) / 4);

  // Another count starts a fresh ring rather than mixing old sums in.
  shown = Flat(-40);
  averager.Apply(shown, 2);
  EXPECT_EQ(shown[0].analog, -20);
  shown = Flat(-40);
  averager.Apply(shown, 2);
  EXPECT_EQ(shown[0].analog, -40);

  averager.Reset();
  shown = Flat(-32768);
  averager.Apply(shown, 2);
  EXPECT_EQ(shown[0].analog, -16384);
}

TEST(TraceDisplay, ScalingOffsetAndClipping) {
  TraceDisplay adc{.input = kTraceAdc, .verticalIndex = kVerticalUnityIndex, .offset = 200};
  EXPECT_EQ(TraceDisplayValue(100, 0, adc), 0);  // on the centre line
  EXPECT_EQ(TraceDisplayValue(150, 0, adc), 100);
  EXPECT_EQ(TraceOrdinate(100, 256), -50);
  EXPECT_EQ(TraceOrdinate(100, 512), -100);

  adc.verticalIndex = 2;  // x4
  EXPECT_EQ(TraceDisplayValue(110, 0, adc), 80);
  EXPECT_EQ(TraceDisplayValue(32767, 0, adc), 255);
  adc.clipLimit = 248;
  EXPECT_EQ(TraceDisplayValue(-32768, 0, adc), -248);

  // The largest shift of a full-scale sample clips instead of wrapping.
  TraceDisplay slow{.slowShift = 15, .slowRise = 0, .verticalIndex = 0};
  EXPECT_EQ(TraceDisplayValue(32767, -32768, slow), 255);
  slow = {.slowShift = 9, .slowRise = 240, .verticalIndex = 12};  // /256
  EXPECT_EQ(TraceDisplayValue(1200, 0, slow), 10);
  slow.phaMode = true;
  EXPECT_EQ(TraceDisplayValue(1280, 0, slow), 10);

  TraceDisplay fast{.input = kTraceFast, .fastShift = 2, .fastRise = 0, .verticalIndex = 4};
  EXPECT_EQ(TraceDisplayValue(-10, 0, fast), -40);

  Trace trace = Flat(5);
  trace[9].analog = 70;
  EXPECT_EQ(TraceBaseline(trace, true), 70);
  EXPECT_EQ(TraceBaseline(trace, false), 0);
  const TraceDisplay unity{.input = kTraceAdc, .verticalIndex = kVerticalUnityIndex};
  const auto peaked = TraceDisplayValues(trace, true, unity);
  EXPECT_EQ(peaked[9], 0);  // the peak sits on the centre line
  EXPECT_EQ(peaked[0], -130);
}

TEST(TraceDisplay, GeometryOfLinesAndSlider) {
  EXPECT_EQ(LogicLineOrdinate(0, false, 512), 32);
  EXPECT_EQ(LogicLineOrdinate(0, true, 512), 16);
  EXPECT_EQ(LogicLineOrdinate(7, false, 512), 254);
  EXPECT_EQ(LogicLineOrdinate(7, true, 512), 240);
  EXPECT_EQ(TraceSampleStep(8, 256), 4);
  EXPECT_EQ(TraceSampleStep(8, 512), 8);
  EXPECT_EQ(TraceSampleStep(260, 256), 1);

  EXPECT_EQ(PlaceOffsetSlider(800, 6).position, 200);
  EXPECT_EQ(PlaceOffsetSlider(800, 6).base, 0);
  const OffsetPlacement outside = PlaceOffsetSlider(800, 2);  // 3200 beyond the slider
  EXPECT_EQ(outside.position, 0);
  EXPECT_EQ(outside.base, 800);
  EXPECT_EQ(OffsetFromSlider(800, -3, 6), 788);
  EXPECT_EQ(OffsetFromSlider(0, -3, 3), -2);  // arithmetic shift
}

// The virtual instrument reads the composed registers and records the
// pulse at the composed delay; the decoded record shows it there.
TEST(TraceRecord, ReadsWhatTheInstrumentCaptures) {
  TraceControls controls;  // time base 1.28 us: one sample every 10 periods
  controls.input = kTraceAdc;
  controls.roiScaLow = 100;
  controls.roiScaHigh = 200;
  const TraceRegisters composed = ComposeTrace(controls, {.compression = 1});
  sim::RegisterBank bank;
  std::array<std::uint16_t, 128> image{};
  StoreTraceRegisters(composed, image);
  for (std::size_t i = 24; i <= 28; ++i) bank.Set(i, image[i]);
  bank.Set(2, 40);
  bank.Set(3, 20);
  std::mt19937 random(7);
  const std::vector<sim::TracePulse> pulses{{0.0, 150.0}};
  const auto lines = sim::TraceLineIntervals(pulses, sim::ReadTraceShapes(bank, sim::AnalyserSettings{}));
  const auto trace = DecodeTraceRecord(sim::SynthesizeTrace(bank, pulses, lines, -48.0 * 10, random));
  ASSERT_TRUE(trace);

  const std::size_t arrival = composed.delay;
  EXPECT_EQ(arrival, 48u);
  EXPECT_NEAR((*trace)[arrival - 1].analog, 200, 40);  // baseline before the pulse
  EXPECT_GT((*trace)[arrival].analog, 1000);
  int stores = 0;
  for (std::size_t i = arrival; i < kTraceSamples; ++i) {
    if (LineIsSet((*trace)[i], 3)) {
      ++stores;
      EXPECT_TRUE(LineIsSet((*trace)[i], kRoiScaLine));
    }
  }
  EXPECT_EQ(stores, 1);
}

}  // namespace
}  // namespace korva
