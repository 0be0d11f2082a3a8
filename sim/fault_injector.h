#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <random>

#include "devicelink/wire_frame.h"
#include "sim/request_decoder.h"

namespace korva::sim {

// Faults the instrument can be told to show on its replies. Each reply that
// is subject to faults is dropped with dropProbability; otherwise it is
// corrupted (one byte changed, so its checksum fails) with
// corruptProbability, and cut short with truncateProbability; every such
// reply waits `delay` first. `silent` drops every such reply.
//
// Targeting narrows which replies are subject to faults: only those to
// requests of kind `only`, and of those only the next `next` replies (a
// fresh count each time the options are set).
struct FaultOptions {
  double dropProbability = 0.0;
  double corruptProbability = 0.0;
  double truncateProbability = 0.0;
  std::chrono::milliseconds delay{0};
  bool silent = false;
  std::optional<std::uint32_t> next = std::nullopt;
  std::optional<RequestKind> only = std::nullopt;
  std::uint32_t seed = 1;
};

// What becomes of one reply.
struct Delivery {
  bool send = true;
  std::chrono::milliseconds delay{0};
};

class FaultInjector {
 public:
  explicit FaultInjector(const FaultOptions& options = {});

  void Configure(const FaultOptions& options);

  // Decides the fate of the reply to a request of `kind`, damaging or
  // shortening `reply` in place when a fault says so.
  Delivery Apply(RequestKind kind, wire::Frame& reply);

 private:
  bool Subject(RequestKind kind);
  bool Chance(double probability);

  FaultOptions options_;
  std::optional<std::uint32_t> repliesLeft_;
  std::mt19937 random_;
};

}  // namespace korva::sim
