#include "devicelink/reply_timeout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korva {

namespace {

constexpr double kBitsPerByte = 10.0;
constexpr double kSafetyFactor = 2.0;

}  // namespace

std::uint16_t ReplyTimeoutTicks(std::size_t requestBytes, std::size_t replyBytes, std::uint32_t baudRate,
                                std::uint16_t minimumTicks) {
  if (baudRate == 0) return minimumTicks;
  const double wireMs = static_cast<double>(requestBytes + replyBytes) * kBitsPerByte * 1000.0 / baudRate;
  const double ticks = std::ceil(kSafetyFactor * wireMs / kMainTimerTickMs);
  const double limited = std::min(ticks, static_cast<double>(std::numeric_limits<std::uint16_t>::max()));
  return std::max(minimumTicks, static_cast<std::uint16_t>(limited));
}

}  // namespace korva
