#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "devicelink/serial_link.h"
#include "devicelink/wire_frame.h"

namespace korva::test {

// An in-memory port: records every frame written and hands out the bytes a
// test queues as if the instrument had sent them. A test can make writes
// fail (`writeError`, e.g. a write time-out: the frame never leaves) and
// answer frames as they are written (`onWrite`).
class FakeSerialLink : public SerialLink {
 public:
  bool open = true;
  std::vector<wire::Frame> written;
  std::deque<std::uint8_t> incoming;
  int purges = 0;
  long writeError = error_code::kSuccess;
  std::function<void(const wire::Frame&)> onWrite;

  bool IsOpen() const override { return open; }
  long Write(std::span<const std::uint8_t> data, std::uint32_t) override {
    if (!open) return error_code::kInvalidHandle;
    if (writeError != error_code::kSuccess) return writeError;
    written.emplace_back(data.begin(), data.end());
    if (onWrite) onWrite(written.back());
    return error_code::kSuccess;
  }
  long Read(std::span<std::uint8_t> buffer, std::size_t& bytesRead) override {
    bytesRead = 0;
    if (!open) return error_code::kInvalidHandle;
    while (bytesRead < buffer.size() && !incoming.empty()) {
      buffer[bytesRead++] = incoming.front();
      incoming.pop_front();
    }
    return error_code::kSuccess;
  }
  long Purge() override {
    ++purges;
    incoming.clear();
    return error_code::kSuccess;
  }

  void Queue(const wire::Frame& bytes) { incoming.insert(incoming.end(), bytes.begin(), bytes.end()); }
  const wire::Frame& Last() const { return written.back(); }
};

// Replies as the instrument builds them, for a given request.
wire::Frame ReadReplyTo(const wire::Frame& request, std::span<const std::uint8_t> data,
                        const wire::StatusBlock& status = {});
wire::Frame WriteAckTo(const wire::Frame& request);
// A read reply of the right size with every data byte set to `fill`.
wire::Frame FilledReadReplyTo(const wire::Frame& request, std::uint8_t fill = 0,
                              const wire::StatusBlock& status = {});

}  // namespace korva::test
