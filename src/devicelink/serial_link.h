#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "common/error_code.h"

namespace korva {

// What the command engine needs of a serial port. The real port, the virtual
// instrument on a pseudo-terminal and in-memory test doubles all fit it.
// Every operation returns an error code (0 on success).
class SerialLink {
 public:
  virtual ~SerialLink() = default;

  virtual bool IsOpen() const = 0;
  // Sends `data`, waiting at most `timeoutMs`; kTimeout when it expires.
  virtual long Write(std::span<const std::uint8_t> data, std::uint32_t timeoutMs) = 0;
  // Returns at once with whatever bytes are queued (possibly none).
  virtual long Read(std::span<std::uint8_t> buffer, std::size_t& bytesRead) = 0;
  // Discards the receive and transmit queues.
  virtual long Purge() = 0;
};

// Reads and discards queued bytes, 10 at a time, until a read returns none.
void DrainLink(SerialLink& link);

}  // namespace korva
