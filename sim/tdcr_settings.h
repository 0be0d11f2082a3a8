#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "sim/register_bank.h"

namespace korva::sim {

enum class DeadTimeMode { kIndividual, kCommon };  // IDT, CDT

// Which channels a coincidence type or live timer looks at.
enum class ChannelSet { kA, kB, kC, kAB, kAC, kBC, kABC };
inline constexpr std::size_t kChannelSetCount = 7;

// A live timer: the time in which none of `set`'s channels is dead under
// extension `extension` (0 or 1).
struct LiveTimer {
  int extension = 0;
  ChannelSet set = ChannelSet::kA;
};

// The TDCR settings registers as the instrument reads them.
struct TdcrSettings {
  std::array<double, 2> windowNs{};  // coincidence windows N and M
  std::array<double, 2> extensionNs{};
  std::array<DeadTimeMode, 2> deadTimeMode{};
  // Photoelectrons a pulse of PMT A, B, C needs to cross its discriminator.
  std::array<int, 3> photoelectronsNeeded{};
  int runs = 1;
  std::uint32_t presetMs = 0;
  std::uint32_t gapMs = 0;
  std::optional<LiveTimer> stopTimer;  // empty: runs end on real time
};

// Extension positions outside the instrument's 80..62500 (0.640..500.000 us)
// are taken at the nearest limit. Thresholds go through the model's nominal
// scale to millivolts; every full 50 mV (one photoelectron's pulse height)
// below 0 mV asks for one more photoelectron, so a threshold at or above
// 0 mV passes every pulse and one at -60 mV only pulses of 2 or more.
TdcrSettings DecodeTdcrSettings(const RegisterBank& registers);

}  // namespace korva::sim
