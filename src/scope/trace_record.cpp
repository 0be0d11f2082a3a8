#include "scope/trace_record.h"

#include <algorithm>
#include <bit>

namespace korva {

namespace {

std::uint16_t Word(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

// Multiplies by 2^(4 - verticalIndex): a left shift below unity gain, an
// arithmetic right shift above it.
std::int64_t ScaleVertically(std::int64_t value, int verticalIndex) {
  const int step = std::clamp(verticalIndex, 0, kVerticalLastIndex);
  if (step < kVerticalUnityIndex) return value * (std::int64_t{1} << (kVerticalUnityIndex - step));
  return value >> (step - kVerticalUnityIndex);
}

// (x << shift) / rise, with a zero rise counting as 1.
std::int64_t ShiftedOverRise(std::int64_t x, int shift, std::uint16_t rise) {
  return x * (std::int64_t{1} << std::clamp(shift, 0, 30)) / std::max<std::int64_t>(rise, 1);
}

}  // namespace

std::optional<Trace> DecodeTraceRecord(std::span<const std::uint8_t> record) {
  if (record.size() != kTraceRecordBytes) return std::nullopt;
  Trace trace;
  for (std::size_t i = 0; i < kTraceSamples; ++i) {
    trace[i].analog = static_cast<std::int16_t>(Word(record, 4 * i));
    trace[i].lines = Word(record, 4 * i + 2);
  }
  return trace;
}

void TraceAverager::Reset() {
  sums_ = {};
  ring_ = {};
  index_ = 0;
}

void TraceAverager::Apply(Trace& trace, int count) {
  const int n = static_cast<int>(std::bit_floor(static_cast<unsigned>(std::clamp(count, 1, kRingSize))));
  if (n != count_) {
    Reset();
    count_ = n;
  }
  const int shift = std::countr_zero(static_cast<unsigned>(n));
  auto& slot = ring_[static_cast<std::size_t>(index_)];
  for (std::size_t i = 0; i < kTraceSamples; ++i) {
    sums_[i] += trace[i].analog - slot[i];
    slot[i] = trace[i].analog;
    trace[i].analog = static_cast<std::int16_t>(sums_[i] >> shift);
  }
  index_ = (index_ + 1) % n;
}

int TraceBaseline(const Trace& trace, bool peak) {
  if (!peak) return 0;
  return std::max_element(trace.begin(), trace.end(),
                          [](const TraceSample& a, const TraceSample& b) { return a.analog < b.analog; })
      ->analog;
}

int TraceDisplayValue(int x, int baseline, const TraceDisplay& display) {
  // 64-bit throughout: a 16-bit sample shifted by up to 15 leaves int range.
  const std::int64_t lifted = std::int64_t{x} - baseline;
  std::int64_t value = 0;
  switch (display.input) {
    case kTraceFast:
      value = ShiftedOverRise(lifted, display.fastShift, display.fastRise);
      break;
    case kTraceAdc:
      value = lifted * 2;
      break;
    default:
      value = display.phaMode ? lifted * 2 : ShiftedOverRise(lifted, display.slowShift, display.slowRise);
      break;
  }
  value = ScaleVertically(value - display.offset, display.verticalIndex);
  const std::int64_t limit = display.clipLimit;
  return static_cast<int>(std::clamp(value, -limit, limit));
}

std::array<int, kTraceSamples> TraceDisplayValues(const Trace& trace, bool peak,
                                                  const TraceDisplay& display) {
  const int baseline = TraceBaseline(trace, peak);
  std::array<int, kTraceSamples> values{};
  for (std::size_t i = 0; i < kTraceSamples; ++i)
    values[i] = TraceDisplayValue(trace[i].analog, baseline, display);
  return values;
}

int TraceOrdinate(int value, int plotWidth) { return plotWidth <= 256 ? -value / 2 : -value; }

int LogicLineOrdinate(int line, bool set, int plotHeight) {
  const int row = plotHeight / 16;
  const int k = std::clamp(line, 0, kTraceLines - 1);
  if (set) return (k + 1) * row - row / 2;
  return k == kRoiScaLine ? 8 * row - 2 : (k + 1) * row;
}

int TraceSampleStep(int code, int plotWidth) {
  const int step = code > 10 ? 1 : 12 - code;
  return plotWidth > 256 ? 2 * step : step;
}

OffsetPlacement PlaceOffsetSlider(int offset, int verticalIndex) {
  const int step = std::clamp(verticalIndex, 0, kVerticalLastIndex);
  const std::int64_t position = step >= kVerticalUnityIndex
                                    ? offset / (std::int64_t{1} << (step - kVerticalUnityIndex))
                                    : std::int64_t{offset} * (1 << (kVerticalUnityIndex - step));
  if (position < kOffsetSliderLow || position > kOffsetSliderHigh) return {0, offset};
  return {static_cast<int>(position), 0};
}

int OffsetFromSlider(int base, int position, int verticalIndex) {
  const int step = std::clamp(verticalIndex, 0, kVerticalLastIndex);
  if (step >= kVerticalUnityIndex) return base + position * (1 << (step - kVerticalUnityIndex));
  return base + (position >> (kVerticalUnityIndex - step));
}

}  // namespace korva
