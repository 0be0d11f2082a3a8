#include "sim/fault_injector.h"

namespace korva::sim {

FaultInjector::FaultInjector(const FaultOptions& options) { Configure(options); }

void FaultInjector::Configure(const FaultOptions& options) {
  options_ = options;
  repliesLeft_ = options.next;
  random_.seed(options.seed);
}

Delivery FaultInjector::Apply(RequestKind kind, wire::Frame& reply) {
  if (!Subject(kind)) return {};
  Delivery delivery{true, options_.delay};
  if (options_.silent || Chance(options_.dropProbability)) {
    delivery.send = false;
    return delivery;
  }
  if (Chance(options_.corruptProbability)) {
    std::uniform_int_distribution<std::size_t> position(0, reply.size() - 1);
    std::uniform_int_distribution<int> flip(1, 255);
    reply[position(random_)] ^= static_cast<std::uint8_t>(flip(random_));
  }
  if (Chance(options_.truncateProbability)) {
    std::uniform_int_distribution<std::size_t> kept(1, reply.size() - 1);
    reply.resize(kept(random_));
  }
  return delivery;
}

bool FaultInjector::Subject(RequestKind kind) {
  if (options_.only && *options_.only != kind) return false;
  if (!repliesLeft_) return true;
  if (*repliesLeft_ == 0) return false;
  --*repliesLeft_;
  return true;
}

bool FaultInjector::Chance(double probability) {
  return probability > 0.0 && std::uniform_real_distribution<double>(0.0, 1.0)(random_) < probability;
}

}  // namespace korva::sim
