#include "devicelink/line_error_counts.h"

#include "devicelink/serial_event.h"

namespace korva {

std::uint16_t LineErrorsBetween(const LineErrorCounts& before, const LineErrorCounts& after) {
  std::uint16_t errors = 0;
  if (after.framing != before.framing) errors |= line_error::kFraming;
  if (after.overrun != before.overrun) errors |= line_error::kOverrun;
  if (after.parity != before.parity) errors |= line_error::kParity;
  if (after.breaks != before.breaks) errors |= line_error::kBreak;
  if (after.bufferOverrun != before.bufferOverrun) errors |= line_error::kReceiveQueueOverflow;
  return errors;
}

std::uint16_t EventsForLineErrors(std::uint16_t lineErrors) {
  constexpr std::uint16_t kStatusErrors = line_error::kOverrun | line_error::kParity | line_error::kFraming;
  std::uint16_t events = 0;
  if (lineErrors & kStatusErrors) events |= serial_event::kLineStatusError;
  if (lineErrors & line_error::kBreak) events |= serial_event::kBreak;
  return events;
}

}  // namespace korva
