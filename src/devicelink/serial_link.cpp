#include "devicelink/serial_link.h"

#include <array>

namespace korva {

void DrainLink(SerialLink& link) {
  std::array<std::uint8_t, 10> scratch{};
  while (link.IsOpen()) {
    std::size_t bytesRead = 0;
    if (link.Read(scratch, bytesRead) != error_code::kSuccess || bytesRead == 0) return;
  }
}

}  // namespace korva
