#include "sim/trace_lines.h"

#include <algorithm>
#include <cmath>

namespace korva::sim {

namespace {

constexpr double kChannels = 4096.0;

enum Line { kFastLld, kSlowLld, kPeakDetect, kStore, kPileUp, kInhibit, kInputR, kRoiSca };

}  // namespace

double ShaperTicks(std::uint16_t value) { return std::max(1.0, static_cast<double>(value)); }

namespace {

// Where a trapezoid of `height` stays above `threshold`.
std::optional<LineInterval> AboveThreshold(double arrival, double height, double rise, double flat,
                                           double threshold) {
  if (height <= threshold || height <= 0.0) return std::nullopt;
  const double cross = rise * std::max(threshold, 0.0) / height;
  return LineInterval{arrival + cross, arrival + 2.0 * rise + flat - cross};
}

void Merge(std::vector<LineInterval>& line) {
  std::sort(line.begin(), line.end(),
            [](const LineInterval& a, const LineInterval& b) { return a.start < b.start; });
  std::vector<LineInterval> merged;
  for (const LineInterval& interval : line) {
    if (!merged.empty() && interval.start <= merged.back().end) {
      merged.back().end = std::max(merged.back().end, interval.end);
    } else {
      merged.push_back(interval);
    }
  }
  line = std::move(merged);
}

}  // namespace

TraceShapes ReadTraceShapes(const RegisterBank& registers, const AnalyserSettings& analyser) {
  TraceShapes shapes;
  shapes.slowRise = ShaperTicks(registers[reg::kSlowRise]);
  shapes.slowFlat = registers[reg::kSlowFlatTop];
  shapes.fastRise = ShaperTicks(registers[reg::kFastRise]);
  shapes.fastFlat = registers[reg::kFastFlatTop];
  shapes.slowThreshold = std::max(analyser.slowThreshold, 0.0);
  shapes.fastThreshold = std::max(analyser.fastThreshold, 0.0);
  shapes.roiLow = registers[reg::kRoiScaLow];
  shapes.roiHigh = registers[reg::kRoiScaHigh];
  return shapes;
}

LineIntervals TraceLineIntervals(const std::vector<TracePulse>& pulses, const TraceShapes& shapes) {
  LineIntervals lines;
  const double length = shapes.SlowLength();
  double busyUntil = -1e300;
  std::optional<std::size_t> taken;  // the pulse being processed
  std::vector<bool> pileUp(pulses.size(), false);
  std::vector<bool> processed(pulses.size(), false);

  for (std::size_t i = 0; i < pulses.size(); ++i) {
    const TracePulse& pulse = pulses[i];
    if (auto fast = AboveThreshold(pulse.arrival, pulse.height, shapes.fastRise, shapes.fastFlat,
                                   shapes.fastThreshold)) {
      lines[kFastLld].push_back(*fast);
    }
    if (auto slow = AboveThreshold(pulse.arrival, pulse.height, shapes.slowRise, shapes.slowFlat,
                                   shapes.slowThreshold)) {
      lines[kSlowLld].push_back(*slow);
    }
    if (pulse.height <= shapes.fastThreshold) continue;  // never comes in
    if (pulse.arrival < busyUntil) {
      lines[kPileUp].push_back({pulse.arrival, busyUntil});
      if (taken) pileUp[*taken] = true;
      continue;
    }
    taken = i;
    processed[i] = true;
    busyUntil = pulse.arrival + length;
    lines[kInhibit].push_back({pulse.arrival, busyUntil});
    lines[kPeakDetect].push_back(
        {pulse.arrival + shapes.slowRise, pulse.arrival + shapes.slowRise + shapes.slowFlat});
  }

  for (std::size_t i = 0; i < pulses.size(); ++i) {
    const TracePulse& pulse = pulses[i];
    if (!processed[i] || pileUp[i] || pulse.height < shapes.slowThreshold || pulse.height >= kChannels)
      continue;
    const double store = pulse.arrival + shapes.slowRise + shapes.slowFlat;
    lines[kStore].push_back({store, store + kStoreTicks});
    const auto channel = static_cast<std::uint32_t>(pulse.height);
    if (channel >= shapes.roiLow && channel <= shapes.roiHigh) {
      lines[kRoiSca].push_back({store, store + kStoreTicks});
    }
  }
  for (auto& line : lines) Merge(line);
  return lines;
}

std::optional<double> TriggerEdge(const std::vector<LineInterval>& line, bool inverted, double from,
                                  double until) {
  for (const LineInterval& interval : line) {
    const double edge = inverted ? interval.end : interval.start;
    if (edge >= from && edge < until) return edge;
  }
  return std::nullopt;
}

// Sample bounds are sums of fractional tick times; an edge within a
// millionth of a tick of a bound counts as lying on it.
bool LineSetWithin(const std::vector<LineInterval>& line, double start, double end) {
  constexpr double kTolerance = 1e-6;
  start += kTolerance;
  end -= kTolerance;
  const auto after =
      std::upper_bound(line.begin(), line.end(), start,
                       [](double time, const LineInterval& interval) { return time < interval.end; });
  return after != line.end() && after->start < end;
}

}  // namespace korva::sim
