#include "fpga/fpga_frames.h"

#include <algorithm>

namespace korva {

namespace {

using namespace fpga;

void Seal(wire::Frame& frame) {
  frame.back() = wire::Checksum(std::span<const std::uint8_t>(frame).first(frame.size() - 1));
}

bool ChecksumHolds(std::span<const std::uint8_t> reply) {
  return !reply.empty() && wire::Checksum(reply.first(reply.size() - 1)) == reply.back();
}

// The complete-length test guards every field read below.
FpgaReplyFault Judge(std::span<const std::uint8_t> reply, std::size_t length, bool fieldsHold) {
  if (reply.size() != length || !fieldsHold) return FpgaReplyFault::kBadReply;
  return ChecksumHolds(reply) ? FpgaReplyFault::kNone : FpgaReplyFault::kBadChecksum;
}

}  // namespace

wire::Frame BuildUploadFrame(std::uint32_t address, FpgaBlock block) {
  wire::Frame frame(kUploadFrameLength, 0);
  wire::WriteU16(frame, 0, kUploadCommand);
  wire::WriteU16(frame, 2, static_cast<std::uint16_t>(kUploadFrameLength));
  wire::WriteU32(frame, 4, address);
  std::ranges::copy(block, frame.begin() + kUploadDataOffset);
  Seal(frame);
  return frame;
}

wire::Frame BuildVerifyFrame(std::uint16_t command, std::uint32_t address) {
  wire::Frame frame(kVerifyFrameLength, 0);
  wire::WriteU16(frame, 0, command);
  wire::WriteU16(frame, 2, static_cast<std::uint16_t>(kVerifyFrameLength));
  wire::WriteU32(frame, 4, address);
  wire::WriteU16(frame, 8, static_cast<std::uint16_t>(kBlockBytes));
  Seal(frame);
  return frame;
}

wire::Frame BuildConfigureFrame() {
  wire::Frame frame(kConfigureFrameLength, 0);
  wire::WriteU16(frame, 0, kConfigureCommand);
  wire::WriteU16(frame, 2, static_cast<std::uint16_t>(kConfigureFrameLength));
  wire::WriteU16(frame, 4, kConfigureWord1);
  wire::WriteU16(frame, 6, kConfigureWord2);
  Seal(frame);
  return frame;
}

std::uint16_t VerifyCommandFor(std::uint16_t headerCommand) {
  return headerCommand == kUploadCommand ? kVerifyCommand : headerCommand;
}

FpgaReplyFault CheckUploadReply(std::span<const std::uint8_t> reply, std::uint16_t expectedCommand) {
  const bool complete = reply.size() == kUploadReplyLength;
  return Judge(reply, kUploadReplyLength,
               complete && wire::ReadU16(reply, 0) == expectedCommand &&
                   wire::ReadU16(reply, 2) == kUploadReplyLength);
}

FpgaReplyFault CheckVerifyReply(std::span<const std::uint8_t> reply) {
  const bool complete = reply.size() == kVerifyReplyLength;
  return Judge(reply, kVerifyReplyLength, complete && wire::ReadU16(reply, 0) == kVerifyCommand);
}

FpgaReplyFault CheckConfigureReply(std::span<const std::uint8_t> reply) {
  const bool complete = reply.size() == kConfigureReplyLength;
  return Judge(reply, kConfigureReplyLength, complete && wire::ReadU16(reply, 0) == kConfigureCommand);
}

std::uint32_t VerifyReplyAddress(std::span<const std::uint8_t> reply) { return wire::ReadU32(reply, 4); }

FpgaBlock VerifyReplyData(std::span<const std::uint8_t, kVerifyReplyLength> reply) {
  return reply.subspan<kVerifyDataOffset, kBlockBytes>();
}

}  // namespace korva
