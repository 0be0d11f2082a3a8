#pragma once

#include <cstdint>

namespace korva {

// The driver's running counts of receive errors on a line.
struct LineErrorCounts {
  int framing = 0;
  int overrun = 0;
  int parity = 0;
  int breaks = 0;
  int bufferOverrun = 0;
};

// The line-error word (line_error bits) for the errors counted between
// `before` and `after`.
std::uint16_t LineErrorsBetween(const LineErrorCounts& before, const LineErrorCounts& after);

// The events a line-error word raises: kLineStatusError for overrun, parity
// and framing errors, kBreak for a break. A receive-queue overflow raises
// none of its own; it travels with whatever else is reported.
std::uint16_t EventsForLineErrors(std::uint16_t lineErrors);

}  // namespace korva
