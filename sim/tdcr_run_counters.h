#pragma once

#include <array>
#include <cstdint>

#include "sim/tdcr_coincidence_window.h"
#include "sim/tdcr_dead_time_gate.h"
#include "sim/tdcr_run_record.h"
#include "sim/tdcr_settings.h"

namespace korva::sim {

// Everything one run counts: the raw singles, and behind each of the two
// dead-time extensions the accepted singles, the live timers and the
// coincidences within windows N and M; the real time and the clock counts.
// Times are nanoseconds of the instrument's internal clock since the run began.
class TdcrRunCounters {
 public:
  explicit TdcrRunCounters(const TdcrSettings& settings);

  // A discriminator pulse of `channel` (0..2); pulses come in time order.
  void Pulse(double timeNs, int channel);
  // The run has lasted `timeNs`, not before the last pulse.
  void AdvanceTo(double timeNs);
  // The run ends: events still inside their window are counted.
  void Finish();

  double RealNs() const { return realNs_; }
  double LiveNs(const LiveTimer& timer) const {
    return gates_[static_cast<std::size_t>(timer.extension)].LiveNs(timer.set, realNs_);
  }

  // The counters as the instrument publishes them; the references run
  // `referencePpm` parts per million ahead of the internal 10 MHz clock.
  TdcrRunRecord Record(double referencePpm) const;

 private:
  std::array<std::uint64_t, 3> raw_{};
  std::array<std::array<std::uint64_t, 3>, 2> accepted_{};  // [extension][channel]
  std::array<TdcrDeadTimeGate, 2> gates_;
  std::array<std::array<TdcrCoincidenceWindow, 2>, 2> windows_;  // [extension][window]
  double realNs_ = 0.0;
};

}  // namespace korva::sim
