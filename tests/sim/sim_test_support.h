#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "devicelink/wire_frame.h"
#include "sim/virtual_instrument.h"

namespace korva::sim::testing {

// Sends one request and returns every reply the instrument sends for it.
inline std::vector<Reply> Exchange(VirtualInstrument& instrument, const wire::Frame& request) {
  instrument.Receive(request);
  return instrument.TakeReplies();
}

// The single reply to `request`, which must be valid by the program's checks.
inline wire::Frame ValidReply(VirtualInstrument& instrument, const wire::Frame& request, std::size_t length) {
  const std::vector<Reply> replies = Exchange(instrument, request);
  if (replies.size() != 1) {
    ADD_FAILURE() << "expected one reply, got " << replies.size();
    return {};
  }
  EXPECT_TRUE(wire::CheckReply(request, length, replies[0].bytes).Valid());
  return replies[0].bytes;
}

inline std::vector<std::uint16_t> ReadRegisters(VirtualInstrument& instrument, std::uint32_t first,
                                                std::uint32_t count) {
  const wire::Frame reply = ValidReply(instrument, wire::RequestRegistersFrame(first, count),
                                       wire::ExpectedReadReplyLength(static_cast<std::uint16_t>(2 * count)));
  std::vector<std::uint16_t> words;
  for (std::size_t i = 0; i < count && !reply.empty(); ++i) {
    words.push_back(wire::ReadU16(reply, wire::kReadDataOffset + 2 * i));
  }
  return words;
}

inline std::uint16_t ReadRegister(VirtualInstrument& instrument, std::uint32_t index) {
  const auto words = ReadRegisters(instrument, index, 1);
  return words.empty() ? 0 : words[0];
}

inline void WriteRegisters(VirtualInstrument& instrument, std::uint32_t first,
                           const std::vector<std::uint16_t>& words) {
  ValidReply(instrument, wire::BuildWriteRequest(wire::RegisterWriteAddress(first), words),
             wire::kWriteReplyLength);
}

}  // namespace korva::sim::testing
