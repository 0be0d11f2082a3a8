#include "fake_serial_link.h"

#include <algorithm>

namespace korva::test {

namespace {

void Seal(wire::Frame& frame) {
  frame.back() = wire::Checksum(std::span<const std::uint8_t>(frame).first(frame.size() - 1));
}

}  // namespace

wire::Frame ReadReplyTo(const wire::Frame& request, std::span<const std::uint8_t> data,
                        const wire::StatusBlock& status) {
  wire::Frame reply(wire::kReadReplyOverhead + data.size(), 0);
  reply[0] = request[0];
  wire::WriteU16(reply, 2, static_cast<std::uint16_t>(reply.size()));
  std::copy_n(request.begin() + 4, 4, reply.begin() + 4);
  wire::WriteStatusBlock(reply, status);
  std::copy(data.begin(), data.end(), reply.begin() + wire::kReadDataOffset);
  Seal(reply);
  return reply;
}

wire::Frame WriteAckTo(const wire::Frame& request) {
  wire::Frame reply(wire::kWriteReplyLength, 0);
  reply[0] = request[0];
  wire::WriteU16(reply, 2, static_cast<std::uint16_t>(wire::kWriteReplyLength));
  std::copy_n(request.begin() + 4, 4, reply.begin() + 4);
  Seal(reply);
  return reply;
}

wire::Frame FilledReadReplyTo(const wire::Frame& request, std::uint8_t fill,
                              const wire::StatusBlock& status) {
  const std::vector<std::uint8_t> data(wire::ReadU16(request, 8), fill);
  return ReadReplyTo(request, data, status);
}

}  // namespace korva::test
