#include "scope/trace_settings.h"

#include <gtest/gtest.h>

#include <array>

namespace korva {
namespace {

int Bits(std::uint16_t value, int low, int count) { return (value >> low) & ((1 << count) - 1); }

TEST(TraceTimeBase, EndStepsSetDecimationAndDelay) {
  TraceControls controls;
  controls.timeBaseIndex = 0;  // code 8: 4 points a sample, no decimation
  TraceRegisters fine = ComposeTrace(controls, {});
  EXPECT_EQ(fine.decimation, 0);
  EXPECT_EQ(fine.delay, 48 / 4);
  EXPECT_EQ(TimeBaseZoom(TimeBaseCode(0)), 4);

  controls.timeBaseIndex = kTimeBaseLastIndex;  // code 50010
  TraceRegisters coarse = ComposeTrace(controls, {});
  EXPECT_EQ(coarse.decimation, 49999);
  EXPECT_EQ(coarse.delay, 48);

  controls.timeBaseIndex = 99;  // past the last step: held at the last
  EXPECT_EQ(ComposeTrace(controls, {}).decimation, 49999);
}

TEST(TraceTimeBase, CaptionsFollowTheClockSet) {
  EXPECT_EQ(TimeBaseCaption(kTimeBaseInitialIndex), "1.28us/div");
  EXPECT_EQ(TimeBaseCaption(0, 0), "50ns/div");
  EXPECT_EQ(TimeBaseCaption(17, 1), "8ms/div");
  EXPECT_EQ(VerticalScaleCaption(kVerticalInitialIndex), "8k/div");
  EXPECT_EQ(VerticalScaleLabel(kVerticalLastIndex), "512k");
}

TEST(TraceCompose, ShiftsFollowTheUnfoldingConstant) {
  TraceShaping shaping;
  shaping.longTimeConstant = 4000;  // nearest power 4096
  shaping.slowRise = 240;           // 240 x 4000 / 4096 = 234: 8 bits
  shaping.fastRise = 20;            // 19: 5 bits
  TraceRegisters abc = ComposeTrace({}, shaping);
  EXPECT_EQ(abc.slowShift, 9);
  EXPECT_EQ(Bits(abc.control, 8, 4), 7);
  EXPECT_EQ(abc.fastShift, 6);
  EXPECT_EQ(Bits(abc.control, 12, 4), 4);

  shaping.inputE = true;
  EXPECT_EQ(Bits(ComposeTrace({}, shaping).control, 8, 4), 9);

  shaping.phaMode = true;
  EXPECT_EQ(ComposeTrace({}, shaping).slowShift, 3);

  // Full-scale rises stay within the 4-bit fields.
  shaping = {.longTimeConstant = 65535, .slowRise = 65535, .fastRise = 65535};
  shaping.inputE = true;
  TraceRegisters full = ComposeTrace({}, shaping);
  EXPECT_EQ(full.slowShift, 15);
  EXPECT_EQ(full.fastShift, 10);
  EXPECT_EQ(Bits(full.control, 12, 4), 10);

  EXPECT_EQ(UnfoldingPowerOfTwo(3072), 4096u);
  EXPECT_EQ(UnfoldingPowerOfTwo(3071), 2048u);
  EXPECT_EQ(UnfoldingPowerOfTwo(0), 32u);
  EXPECT_EQ(DisplayShift(0, 4000, 15), 1);
}

TEST(TraceCompose, ControlBitsAndWindow) {
  TraceControls controls;
  controls.input = kTraceAdc;
  controls.triggerSource = kRoiScaLine;
  controls.invert = true;
  controls.coincidenceDisplay = true;
  controls.roiScaLow = 100;
  controls.roiScaHigh = 40000;
  TraceShaping shaping;
  shaping.compression = 2;
  TraceRegisters composed = ComposeTrace(controls, shaping);
  EXPECT_EQ(Bits(composed.control, 0, 8), 2 | 4 | (7 << 3) | 64);
  EXPECT_EQ(composed.roiScaLow, 200);
  EXPECT_EQ(composed.roiScaHigh, 0xFFFF);  // held, not wrapped to a low channel

  controls.mode = TraceMode::kRnd;
  EXPECT_EQ(Bits(ComposeTrace(controls, shaping).control, 7, 1), 1);

  std::array<std::uint16_t, 128> image{};
  image[23] = 0x1234;
  image[29] = 0x4321;
  StoreTraceRegisters(composed, image);
  EXPECT_EQ(image[23], 0x1234);
  EXPECT_EQ(image[26], composed.control);
  EXPECT_EQ(image[28], 0xFFFF);
  EXPECT_EQ(image[29], 0x4321);
}

TEST(TraceModes, ButtonCyclesThroughEveryMode) {
  TraceMode mode = TraceMode::kRnd;
  std::string names;
  for (int i = 0; i < 7; ++i, mode = NextTraceMode(mode)) names += std::string(TraceModeName(mode)) + " ";
  EXPECT_EQ(names, "RND NRM SGL Av2 Av4 Av8 Av16 ");
  EXPECT_EQ(mode, TraceMode::kRnd);
  EXPECT_EQ(TraceClipLimit(TraceMode::kRnd), 248);
  EXPECT_EQ(TraceClipLimit(TraceMode::kAv16), 255);
  EXPECT_EQ(AveragedTraces(TraceMode::kSgl), 1);
}

TEST(TraceLines, CoincidenceDisplayRenamesLines) {
  EXPECT_EQ(TraceLineName(5, true), "COINC W");
  EXPECT_EQ(TraceLineName(6, true), "COINC S");
  EXPECT_EQ(TraceLineName(3, true), "STORE");
  EXPECT_EQ(TraceLegendName(3, true, true), "TDCR S1");
  EXPECT_EQ(TraceLegendName(4, true, false), "PUR");
  EXPECT_EQ(TraceLegendName(4, false, true), "PUR");
}

}  // namespace
}  // namespace korva
