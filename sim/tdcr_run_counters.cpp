#include "sim/tdcr_run_counters.h"

#include <algorithm>
#include <cmath>

namespace korva::sim {

namespace {

constexpr double kNsPerTick = 1e6;           // timers count milliseconds
constexpr double kNsPerClockPeriod = 100.0;  // 10 MHz

std::uint64_t Whole(double value) { return static_cast<std::uint64_t>(std::floor(value)); }

TdcrDeadTimeGate Gate(const TdcrSettings& settings, std::size_t extension) {
  const double resolvingNs = std::max(settings.windowNs[0], settings.windowNs[1]);
  return TdcrDeadTimeGate(settings.deadTimeMode[extension], settings.extensionNs[extension], resolvingNs);
}

std::array<TdcrCoincidenceWindow, 2> Windows(const TdcrSettings& settings) {
  return {TdcrCoincidenceWindow(settings.windowNs[0]), TdcrCoincidenceWindow(settings.windowNs[1])};
}

}  // namespace

TdcrRunCounters::TdcrRunCounters(const TdcrSettings& settings)
    : gates_{Gate(settings, 0), Gate(settings, 1)}, windows_{Windows(settings), Windows(settings)} {}

void TdcrRunCounters::Pulse(double timeNs, int channel) {
  const auto c = static_cast<std::size_t>(channel);
  ++raw_[c];
  for (std::size_t e = 0; e < 2; ++e) {
    if (!gates_[e].Accept(timeNs, channel)) continue;
    ++accepted_[e][c];
    for (TdcrCoincidenceWindow& window : windows_[e]) window.Add(timeNs, channel);
  }
}

void TdcrRunCounters::AdvanceTo(double timeNs) {
  realNs_ = timeNs;
  for (auto& windows : windows_) {
    for (TdcrCoincidenceWindow& window : windows) window.CloseBefore(timeNs);
  }
}

void TdcrRunCounters::Finish() {
  for (auto& windows : windows_) {
    for (TdcrCoincidenceWindow& window : windows) window.Close();
  }
}

TdcrRunRecord TdcrRunCounters::Record(double referencePpm) const {
  namespace counter = tdcr_counter;
  TdcrRunRecord record{};
  for (std::size_t c = 0; c < 3; ++c) record[counter::Raw(c)] = raw_[c];
  for (std::size_t e = 0; e < 2; ++e) {
    for (std::size_t c = 0; c < 3; ++c) record[counter::Single(c, e)] = accepted_[e][c];
    for (std::size_t s = 0; s < kChannelSetCount; ++s) {
      const auto set = static_cast<ChannelSet>(s);
      record[counter::LiveTime(set, e)] = Whole(gates_[e].LiveNs(set, realNs_) / kNsPerTick);
    }
    for (std::size_t w = 0; w < 2; ++w) {
      const CoincidenceCounts& counts = windows_[e][w].Counts();
      record[counter::Coincidence(ChannelSet::kAB, w, e)] = counts.ab;
      record[counter::Coincidence(ChannelSet::kBC, w, e)] = counts.bc;
      record[counter::Coincidence(ChannelSet::kAC, w, e)] = counts.ac;
      record[counter::Coincidence(ChannelSet::kABC, w, e)] = counts.t;
      record[counter::Double(w, e)] = counts.d;
    }
  }
  record[counter::kRealTime] = Whole(realNs_ / kNsPerTick);
  record[counter::kInternalClock] = Whole(realNs_ / kNsPerClockPeriod);
  const std::uint64_t referenceCount = Whole(realNs_ * (1.0 + referencePpm * 1e-6) / kNsPerClockPeriod);
  record[counter::kInternalReference] = referenceCount;
  record[counter::kExternalReference] = referenceCount;
  return record;
}

}  // namespace korva::sim
