#include "devicelink/serial_notification.h"

namespace korva {

void HandleSerialNotification(std::uint16_t events, std::uint16_t lineErrors, bool suppressed, EventLog& log,
                              const std::function<void()>& onReplyBytes) {
  if (suppressed) return;
  if (lineErrors != 0) log.AddLine("An internal error occurred.");
  if (events & serial_event::kLineStatusError) log.AddLine("A line-status error occurred.");
  if (events & serial_event::kCharactersReceived) onReplyBytes();
}

}  // namespace korva
