#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "scope/trace_settings.h"

namespace korva {

// One trace: 256 samples of the analog value and the eight logic lines
// (bit k = line k). The record on the wire is 4 bytes a sample, both
// halves little-endian: the signed analog value, then the line word.
inline constexpr std::size_t kTraceSamples = 256;
inline constexpr std::size_t kTraceRecordBytes = kTraceSamples * 4;

struct TraceSample {
  std::int16_t analog = 0;
  std::uint16_t lines = 0;
};
using Trace = std::array<TraceSample, kTraceSamples>;

// The trace in a record; nothing when the record is not exactly 1024 bytes.
std::optional<Trace> DecodeTraceRecord(std::span<const std::uint8_t> record);

inline bool LineIsSet(const TraceSample& sample, int line) { return ((sample.lines >> line) & 1u) != 0; }

// The moving average of the averaging modes over a ring of the last N
// traces (N = 2, 4, 8 or 16). The ring starts empty (all zero), so the
// first N - 1 traces after a reset are shown scaled down while it fills.
class TraceAverager {
 public:
  static constexpr int kRingSize = 16;

  // Clears the sums, the ring and the ring index (the RUN button does this).
  void Reset();
  // Replaces the analog values of `trace` by the mean over the ring after
  // adding it. A trace count other than the previous one first resets the
  // ring, so sums of one count never mix with slots of another.
  void Apply(Trace& trace, int count);

 private:
  std::array<std::int32_t, kTraceSamples> sums_{};
  std::array<std::array<std::int16_t, kTraceSamples>, kRingSize> ring_{};
  int index_ = 0;
  int count_ = 0;
};

// What the display of the analog trace depends on.
struct TraceDisplay {
  int input = kTraceSlow;
  bool phaMode = false;
  int slowShift = 0;  // as kept by the compose
  int fastShift = 0;
  std::uint16_t slowRise = 0;  // register 2; 0 counts as 1
  std::uint16_t fastRise = 0;  // register 4; 0 counts as 1
  int verticalIndex = kVerticalInitialIndex;
  int offset = 0;
  int clipLimit = 255;
};

// The baseline subtracted from every sample: the largest analog value with
// "PEAK" ticked, else 0.
int TraceBaseline(const Trace& trace, bool peak);

// The display value of analog sample `x`: scaled for the input, offset,
// scaled by the vertical step and clipped to +-clipLimit. 0 is the centre
// line, positive values lie above it.
int TraceDisplayValue(int x, int baseline, const TraceDisplay& display);

// The display values of a whole trace, with the "PEAK" baseline when `peak`.
std::array<int, kTraceSamples> TraceDisplayValues(const Trace& trace, bool peak, const TraceDisplay& display);

// The screen ordinate relative to the centre line (positive downwards):
// half the value on a plot of at most 256 points, the value itself on a
// wider one.
int TraceOrdinate(int value, int plotWidth);

// The ordinate of logic line `line` below the centre line on a plot
// `plotHeight` points high: one row lower per line, half a row raised when
// the line is set; line 7 sits two points higher so it stays in the plot.
int LogicLineOrdinate(int line, bool set, int plotHeight);

// Horizontal points per sample for time-base `code`, doubled on a plot
// wider than 256 points.
int TraceSampleStep(int code, int plotWidth);

// The vertical offset slider (-255..256). After a change of the vertical
// step the slider shows the offset at the new step when it fits; otherwise
// it goes to 0 and the base holds the whole offset.
inline constexpr int kOffsetSliderLow = -255;
inline constexpr int kOffsetSliderHigh = 256;
struct OffsetPlacement {
  int position = 0;
  int base = 0;
};
OffsetPlacement PlaceOffsetSlider(int offset, int verticalIndex);
// The offset for slider `position` on top of `base` at step `verticalIndex`.
int OffsetFromSlider(int base, int position, int verticalIndex);

}  // namespace korva
