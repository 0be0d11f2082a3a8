#pragma once

#include <cstdint>
#include <functional>

#include "common/event_log.h"
#include "devicelink/serial_event.h"

namespace korva {

// Handles one port notification on the user-interface thread, as the main
// frame and the Port Finder both do: nothing at all while `suppressed` (the
// FPGA transfer runs its own exchange); otherwise "An internal error
// occurred." when any line error is flagged, then "A line-status error
// occurred." for the line-status event, then `onReplyBytes` for received
// characters, in that order.
void HandleSerialNotification(std::uint16_t events, std::uint16_t lineErrors, bool suppressed, EventLog& log,
                              const std::function<void()>& onReplyBytes);

}  // namespace korva
