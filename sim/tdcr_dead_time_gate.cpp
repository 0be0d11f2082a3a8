#include "sim/tdcr_dead_time_gate.h"

#include <algorithm>

namespace korva::sim {

namespace {

constexpr std::uint8_t kAllChannels = 0b111;
constexpr std::array<std::uint8_t, kChannelSetCount> kSetChannels = {0b001, 0b010, 0b100,       0b011,
                                                                     0b101, 0b110, kAllChannels};

}  // namespace

void TdcrDeadTimeGate::DeadCover::Add(double from, double until) {
  if (from <= end) {
    end = std::max(end, until);
    return;
  }
  closedNs += end - start;
  start = from;
  end = until;
}

TdcrDeadTimeGate::TdcrDeadTimeGate(DeadTimeMode mode, double extensionNs, double resolvingNs)
    : mode_(mode), extensionNs_(extensionNs), resolvingNs_(resolvingNs) {}

bool TdcrDeadTimeGate::Accept(double timeNs, int channel) {
  const auto index = static_cast<std::size_t>(channel);
  return mode_ == DeadTimeMode::kIndividual ? AcceptIndividual(timeNs, index) : AcceptCommon(timeNs, index);
}

double TdcrDeadTimeGate::LiveNs(ChannelSet set, double timeNs) const {
  const DeadCover& cover = covers_[static_cast<std::size_t>(set)];
  const double openDeadNs = std::max(0.0, std::min(timeNs, cover.end) - cover.start);
  return timeNs - cover.closedNs - openDeadNs;
}

bool TdcrDeadTimeGate::AcceptIndividual(double timeNs, std::size_t channel) {
  const bool live = timeNs >= deadUntil_[channel];
  deadUntil_[channel] = timeNs + extensionNs_;
  MarkDead(static_cast<std::uint8_t>(1u << channel), timeNs, deadUntil_[channel]);
  return live;
}

bool TdcrDeadTimeGate::AcceptCommon(double timeNs, std::size_t channel) {
  const auto bit = static_cast<std::uint8_t>(1u << channel);
  if (timeNs <= eventStart_ + resolvingNs_) {
    const bool joins = (eventChannels_ & bit) == 0;
    eventChannels_ = static_cast<std::uint8_t>(eventChannels_ | bit);
    return joins;
  }
  const bool live = timeNs >= deadUntil_[0];
  if (live) {
    eventStart_ = timeNs;
    eventChannels_ = bit;
  }
  deadUntil_.fill(std::max(timeNs + extensionNs_, eventStart_ + resolvingNs_));
  MarkDead(kAllChannels, live ? timeNs + resolvingNs_ : timeNs, deadUntil_[0]);
  return live;
}

void TdcrDeadTimeGate::MarkDead(std::uint8_t channels, double from, double until) {
  for (std::size_t set = 0; set < kChannelSetCount; ++set) {
    if ((kSetChannels[set] & channels) != 0) covers_[set].Add(from, until);
  }
}

}  // namespace korva::sim
