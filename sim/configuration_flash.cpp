#include "sim/configuration_flash.h"

#include <algorithm>

namespace korva::sim {

namespace {

using namespace korva::wire;

constexpr std::uint8_t kUpload = 210;
constexpr std::uint8_t kVerify = 215;
constexpr std::uint8_t kConfigure = 246;
constexpr std::size_t kBlock = 512;
constexpr std::size_t kUploadLength = 521;
constexpr std::size_t kVerifyLength = 11;
constexpr std::size_t kConfigureLength = 9;
constexpr std::size_t kShortReplyLength = 9;
constexpr std::size_t kVerifyReplyLength = 523;
constexpr std::size_t kUploadDataOffset = 8;
constexpr std::size_t kVerifyDataOffset = 10;

Frame ShortReply(std::uint16_t command, std::uint32_t field) {
  Frame reply(kShortReplyLength, 0);
  WriteU16(reply, 0, command);
  WriteU16(reply, 2, static_cast<std::uint16_t>(kShortReplyLength));
  WriteU32(reply, 4, field);
  return reply;
}

void Seal(Frame& frame) {
  frame.back() = Checksum(std::span<const std::uint8_t>(frame).first(frame.size() - 1));
}

}  // namespace

std::size_t FpgaFrameLength(std::uint8_t command) {
  switch (command) {
    case kUpload:
      return kUploadLength;
    case kVerify:
      return kVerifyLength;
    case kConfigure:
      return kConfigureLength;
    default:
      return 0;
  }
}

ConfigurationFlash::ConfigurationFlash(std::size_t bytes) : bytes_(bytes, 0xFF) {}

std::optional<Frame> ConfigurationFlash::Answer(std::span<const std::uint8_t> frame) {
  if (frame.size() < 4 || frame[1] != 0) return std::nullopt;
  const std::size_t length = FpgaFrameLength(frame[0]);
  if (length == 0 || frame.size() != length || ReadU16(frame, 2) != length) return std::nullopt;
  switch (frame[0]) {
    case kUpload:
      return Upload(frame);
    case kVerify:
      return Verify(frame);
    default:
      return Configure();
  }
}

bool ConfigurationFlash::HoldsBlock(std::uint32_t address) const {
  return bytes_.size() >= kBlock && address <= bytes_.size() - kBlock;
}

std::optional<Frame> ConfigurationFlash::Upload(std::span<const std::uint8_t> frame) {
  const std::uint32_t address = ReadU32(frame, 4);
  if (!HoldsBlock(address)) return std::nullopt;
  std::ranges::copy(frame.subspan(kUploadDataOffset, kBlock), bytes_.begin() + address);
  Frame reply = ShortReply(ReadU16(frame, 0), address);
  Seal(reply);
  return reply;
}

std::optional<Frame> ConfigurationFlash::Verify(std::span<const std::uint8_t> frame) {
  const std::uint32_t address = ReadU32(frame, 4);
  if (ReadU16(frame, 8) != kBlock || !HoldsBlock(address)) return std::nullopt;
  Frame reply(kVerifyReplyLength, 0);
  WriteU16(reply, 0, kVerify);
  WriteU16(reply, 2, static_cast<std::uint16_t>(kVerifyReplyLength));
  WriteU32(reply, 4, address);
  WriteU16(reply, 8, static_cast<std::uint16_t>(kBlock));
  std::copy_n(bytes_.begin() + address, kBlock, reply.begin() + kVerifyDataOffset);
  Seal(reply);
  return reply;
}

Frame ConfigurationFlash::Configure() {
  ++configurations_;
  Frame reply = ShortReply(kConfigure, 0xAABB5544u);
  Seal(reply);
  return reply;
}

}  // namespace korva::sim
