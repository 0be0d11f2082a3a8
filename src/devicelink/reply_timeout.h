#pragma once

#include <cstddef>
#include <cstdint>

namespace korva {

// Ticks of the 200 ms main timer a request may wait for its reply: the
// fixed `minimumTicks` (22 unless the settings shorten it), or twice the
// wire time of the request and its expected reply at the port's baud rate
// when that is longer (an 8225-byte chunk takes 8.6 s at 9600 baud). Ten
// bits go over the line per byte.
inline constexpr std::uint16_t kMinimumReplyTimeoutTicks = 22;
inline constexpr int kMainTimerTickMs = 200;

std::uint16_t ReplyTimeoutTicks(std::size_t requestBytes, std::size_t replyBytes, std::uint32_t baudRate,
                                std::uint16_t minimumTicks = kMinimumReplyTimeoutTicks);

}  // namespace korva
