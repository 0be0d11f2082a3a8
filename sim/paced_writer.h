#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stop_token>

namespace korva::sim {

// Time `bytes` take on a serial line at `baud`, 10 bit times per byte.
std::chrono::nanoseconds WireTime(std::size_t bytes, std::uint32_t baud);

enum class WriteOutcome { kWritten, kStopped, kFailed };

// Writes all of `bytes` to the non-blocking descriptor `fd` no faster than a
// serial line at `baud` would carry them (0: as fast as the descriptor takes
// them). Byte k may leave only once WireTime(k) has passed since the call, so
// the last byte leaves at the reply's ideal wire time however the writes are
// split; deadlines count from the start, so sleeping late never adds up. A
// full descriptor is waited for. Stops early when `stop` is requested.
WriteOutcome WritePaced(int fd, std::span<const std::uint8_t> bytes, std::uint32_t baud,
                        const std::stop_token& stop);

// Sleeps until `deadline`, waking early when `stop` is requested. False when stopped.
bool SleepUntil(std::chrono::steady_clock::time_point deadline, const std::stop_token& stop);

}  // namespace korva::sim
