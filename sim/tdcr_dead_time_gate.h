#pragma once

#include <array>
#include <cstdint>
#include <limits>

#include "sim/tdcr_settings.h"

namespace korva::sim {

// The extendable dead time of one extension, in front of the coincidence
// logic, and the live timers it drives. Times are nanoseconds from the start
// of the run; pulses arrive in time order.
//
// IDT: each channel has its own dead time. A pulse that finds its channel
// live is accepted; every pulse, accepted or lost, makes the channel dead
// until one extension after it.
//
// CDT: the three channels share one dead time. An accepted pulse opens an
// event; the other channels' first pulses within the resolving time after it
// (the longer coincidence window) join the event and are accepted too. From
// the end of the resolving time all three channels are dead until one
// extension after the opening pulse, and each pulse lost meanwhile extends
// that to one extension after itself.
//
// A live timer counts the time in which none of its channels is dead.
class TdcrDeadTimeGate {
 public:
  TdcrDeadTimeGate(DeadTimeMode mode, double extensionNs, double resolvingNs);

  // Whether the pulse of `channel` (0..2) at `timeNs` gets through.
  bool Accept(double timeNs, int channel);
  // The live timer of `set` at `timeNs`, which is not before the last pulse.
  double LiveNs(ChannelSet set, double timeNs) const;

 private:
  // The latest stretch of time in which some channel of a set is dead, and
  // the length of the stretches before it. A channel's dead time always ends
  // one extension after its latest pulse, so a new dead interval reaches at
  // least as far as every earlier one: it either prolongs the latest stretch
  // or begins a new one after it.
  struct DeadCover {
    double start = 0.0;
    double end = 0.0;
    double closedNs = 0.0;
    void Add(double from, double until);
  };

  bool AcceptIndividual(double timeNs, std::size_t channel);
  bool AcceptCommon(double timeNs, std::size_t channel);
  void MarkDead(std::uint8_t channels, double from, double until);

  DeadTimeMode mode_;
  double extensionNs_;
  double resolvingNs_;
  std::array<double, 3> deadUntil_{};
  double eventStart_ = -std::numeric_limits<double>::infinity();
  std::uint8_t eventChannels_ = 0;
  std::array<DeadCover, kChannelSetCount> covers_{};
};

}  // namespace korva::sim
