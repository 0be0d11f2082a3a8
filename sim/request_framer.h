#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "devicelink/wire_frame.h"

namespace korva::sim {

// Cuts the byte stream from the host into request frames. A frame starts
// with 0x64 or 0x6E, a 0 byte and a length that such a request can have
// (11 for a read, 11-265 and odd for a write), or is an FPGA transfer frame
// (see FpgaFrameLength), and is taken only when its checksum holds.
// Anything else is line noise, passed over one byte at a time so that a
// real frame start hidden behind it is still found.
class RequestFramer {
 public:
  void Append(std::span<const std::uint8_t> bytes);

  // The next complete frame, or empty when more bytes are needed.
  std::optional<wire::Frame> Next();

  // True while bytes wait for the rest of a frame.
  bool HasPending() const { return start_ < buffer_.size(); }

  // The line has gone quiet, so a started frame will not be completed:
  // returns every complete frame still found among the waiting bytes and
  // drops the rest.
  std::vector<wire::Frame> Abandon();

 private:
  // Length of the frame that seems to start at `offset`: 0 when the bytes
  // there cannot start a frame, empty when too few bytes are in to tell.
  std::optional<std::size_t> PlausibleLengthAt(std::size_t offset) const;
  void Consume(std::size_t count);

  std::vector<std::uint8_t> buffer_;
  std::size_t start_ = 0;
};

}  // namespace korva::sim
