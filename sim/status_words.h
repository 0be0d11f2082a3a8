#pragma once

#include <array>
#include <chrono>
#include <cstdint>

#include "devicelink/wire_frame.h"
#include "sim/instrument_identity.h"

namespace korva::sim {

// Auxiliary slot contents: PMT A, B and C threshold calibration codes (the
// codes for 0 and for -500 threshold units, slots 0-5), slot 6 unused, and
// the calibration date in slot 7 (bits 12-15 month, 7-11 day, 0-6 year-2000).
// Each PMT's slope lies within a few percent of the model's nominal slope.
std::array<std::uint16_t, 8> CalibrationSlots(Model model);

// The status block that every read reply carries: identity, one auxiliary
// slot (the slots take turns, one per reply), the slow ADC reading and the
// internal temperature, which climbs while the instrument warms up.
class StatusWords {
 public:
  explicit StatusWords(const InstrumentIdentity& identity);

  wire::StatusBlock Next();
  void Advance(std::chrono::microseconds elapsed);

 private:
  InstrumentIdentity identity_;
  std::array<std::uint16_t, 8> slots_;
  std::uint32_t repliesSent_ = 0;
  std::chrono::microseconds poweredFor_{0};
};

}  // namespace korva::sim
