#pragma once

#include <cstddef>
#include <cstdint>

namespace korva {

// Where the multichannel analyser's run and gating settings live in the
// register image.
namespace acquisition_register {
inline constexpr std::size_t kControl = 16;       // bits in acquisition_bit
inline constexpr std::size_t kStartDate = 22;     // day + 32 month + 512 (year - 2000)
inline constexpr std::size_t kStartTime = 23;     // second / 2 + 32 minute + 2048 hour
inline constexpr std::size_t kPresetLow = 42;     // 42 low, 43 high: preset seconds x 100
inline constexpr std::size_t kRateCount1 = 44;    // counts in gate 1: throughput
inline constexpr std::size_t kRateCount2 = 45;    // counts in gate 2: incoming
inline constexpr std::size_t kRateGate1 = 46;     // gate 1 length in 2048-tick units
inline constexpr std::size_t kRateGate2 = 47;     // gate 2 length in 2048-tick units
inline constexpr std::size_t kRealTimeLow = 56;   // 56 low, 57 high: 10 ms units
inline constexpr std::size_t kLiveTimeLow = 58;   // 58 low, 59 high: 10 ms units
inline constexpr std::size_t kRealTimeFine = 60;  // 16-tick units
inline constexpr std::size_t kLiveTimeFine = 61;  // 16-tick units
inline constexpr std::size_t kCoincidenceDelay = 68;
inline constexpr std::size_t kCoincidenceWindow = 69;  // width bits 0-13, anticoincidence 14, windowed 15
inline constexpr std::size_t kStrobeDelay = 70;
inline constexpr std::size_t kCoincidenceInput = 96;  // second source bits 0-1, external signals off 9, 10
inline constexpr std::size_t kTdcrDelay1First = 100;  // 100 + 102: TDCR signal 1 delay
inline constexpr std::size_t kTdcrDelay2First = 101;  // 101 + 103: TDCR signal 2 delay
inline constexpr std::size_t kTdcrDelay1Second = 102;
inline constexpr std::size_t kTdcrDelay2Second = 103;
}  // namespace acquisition_register

// Register 16 as the acquisition uses it.
namespace acquisition_bit {
inline constexpr std::uint16_t kRun = 1u << 0;
inline constexpr std::uint16_t kRunCompanion = 1u << 1;  // set and cleared with kRun
inline constexpr std::uint16_t kEraseRequest = 1u << 2;
inline constexpr std::uint16_t kLiveTimer = 1u << 3;  // stop timer: live (1) or real (0)
inline constexpr std::uint16_t kEraseDone = 1u << 4;
inline constexpr std::uint16_t kEraseArmed = 1u << 5;
inline constexpr std::uint16_t kPulserOff = 1u << 9;
inline constexpr std::uint16_t kUtcStart = 1u << 10;
inline constexpr std::uint16_t kSystemStart = 1u << 11;
inline constexpr std::uint16_t kCoincidenceNotMca = 1u << 14;
}  // namespace acquisition_bit

// One pulse-processor clock tick, the unit of every delay and of the fine
// time registers.
inline constexpr double kTickMicroseconds = 0.008;

}  // namespace korva
