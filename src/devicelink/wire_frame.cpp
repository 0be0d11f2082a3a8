#include "devicelink/wire_frame.h"

#include <algorithm>

namespace korva::wire {

std::uint8_t Checksum(std::span<const std::uint8_t> body) {
  std::uint8_t sum = 0;
  for (std::uint8_t byte : body) sum = static_cast<std::uint8_t>(sum + byte);
  return static_cast<std::uint8_t>(kChecksumTarget - sum);
}

namespace {

Frame FrameHeader(std::uint8_t command, std::size_t length, std::uint32_t address) {
  Frame frame(length, 0);
  frame[0] = command;
  frame[1] = 0;
  WriteU16(frame, 2, static_cast<std::uint16_t>(length));
  WriteU32(frame, 4, address);
  return frame;
}

void SealFrame(Frame& frame) {
  frame.back() = Checksum(std::span<const std::uint8_t>(frame).first(frame.size() - 1));
}

}  // namespace

Frame BuildReadRequest(std::uint32_t address, std::uint16_t byteCount) {
  Frame frame = FrameHeader(kReadCommand, kReadRequestLength, address);
  WriteU16(frame, 8, byteCount);
  SealFrame(frame);
  return frame;
}

Frame BuildWriteRequest(std::uint32_t address, std::span<const std::uint16_t> words) {
  Frame frame = FrameHeader(kWriteCommand, kWriteRequestOverhead + 2 * words.size(), address);
  for (std::size_t i = 0; i < words.size(); ++i) WriteU16(frame, kWriteDataOffset + 2 * i, words[i]);
  SealFrame(frame);
  return frame;
}

std::size_t ExpectedReadReplyLength(std::uint16_t byteCount) {
  return std::size_t{byteCount} + kReadReplyOverhead;
}

std::uint32_t RegisterReadAddress(std::uint32_t firstRegister) {
  return kRegisterReadRegion | (kRegisterWordBase + firstRegister);
}

std::uint32_t RegisterWriteAddress(std::uint32_t firstRegister) {
  return kRegisterWriteRegion | (kRegisterWordBase + firstRegister);
}

std::uint32_t SpectrumReadAddress(std::uint32_t firstEntry) { return kSpectrumRegion + 2 * firstEntry; }

std::uint32_t SpectrumChunkEntries(std::uint32_t firstEntry) {
  const auto total = static_cast<std::uint32_t>(kSpectrumEntries);
  if (firstEntry >= total) return 0;
  return std::min<std::uint32_t>(static_cast<std::uint32_t>(kSpectrumChunkEntries), total - firstEntry);
}

Frame RequestRegistersFrame(std::uint32_t first, std::uint32_t count) {
  return BuildReadRequest(RegisterReadAddress(first), static_cast<std::uint16_t>(2 * count));
}

Frame RequestAllRegistersFrame() { return RequestRegistersFrame(1, 127); }

Frame RequestSpectrumChunkFrame(std::uint32_t firstEntry) {
  return BuildReadRequest(SpectrumReadAddress(firstEntry),
                          static_cast<std::uint16_t>(4 * SpectrumChunkEntries(firstEntry)));
}

Frame RequestTraceFrame() { return BuildReadRequest(kTraceAddress, static_cast<std::uint16_t>(kTraceBytes)); }

Frame SendSettingsRegistersFrame(std::span<const std::uint16_t, kRegisterCount> registers) {
  return BuildWriteRequest(RegisterWriteAddress(12), registers.subspan(12));
}

Frame SendAllRegistersFrame(std::span<const std::uint16_t, kRegisterCount> registers) {
  return BuildWriteRequest(RegisterWriteAddress(0), registers);
}

ReplyCheck CheckReply(std::span<const std::uint8_t> request, std::size_t expectedLength,
                      std::span<const std::uint8_t> received) {
  // Bytes missing from a short reply read as 0, as the cleared receive
  // buffer of the engine would give them.
  auto byteAt = [&](std::size_t i) -> std::uint8_t { return i < received.size() ? received[i] : 0; };
  auto wordAt = [&](std::size_t i) -> std::uint16_t {
    return static_cast<std::uint16_t>(byteAt(i) | (byteAt(i + 1) << 8));
  };
  auto requestWord = [&](std::size_t i) -> std::uint16_t {
    return static_cast<std::uint16_t>(request[i] | (request[i + 1] << 8));
  };

  ReplyCheck check;
  check.countOk = received.size() == expectedLength;
  check.commandOk = wordAt(0) == requestWord(0);
  check.lengthFieldOk = wordAt(2) == expectedLength;
  check.addressOk = wordAt(4) == requestWord(4) && wordAt(6) == requestWord(6);
  if (expectedLength > 0) {
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i + 1 < expectedLength; ++i) sum = static_cast<std::uint8_t>(sum + byteAt(i));
    check.checksumOk = byteAt(expectedLength - 1) == static_cast<std::uint8_t>(kChecksumTarget - sum);
  }
  return check;
}

void ClearReplyHeader(std::span<std::uint8_t> receiveBuffer) {
  std::fill_n(receiveBuffer.begin(), std::min<std::size_t>(8, receiveBuffer.size()), std::uint8_t{0});
}

std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(ReadU16(bytes, offset)) |
         (static_cast<std::uint32_t>(ReadU16(bytes, offset + 2)) << 16);
}

void WriteU16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
  bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
  bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void WriteU32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
  WriteU16(bytes, offset, static_cast<std::uint16_t>(value & 0xFFFF));
  WriteU16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

StatusBlock ReadStatusBlock(std::span<const std::uint8_t> reply) {
  auto word = [&](std::size_t offset) { return ReadU16(reply, offset); };
  StatusBlock status;
  status.firmwareVersion = static_cast<std::int16_t>(word(8));
  status.serialNumber = word(10);
  status.auxSelector = word(12);
  status.auxValue = word(14);
  status.slowAdc = word(16);
  status.reserved18 = word(18);
  status.temperature = static_cast<std::int16_t>(word(20));
  status.reserved22 = word(22);
  return status;
}

void WriteStatusBlock(std::span<std::uint8_t> reply, const StatusBlock& status) {
  WriteU16(reply, 8, static_cast<std::uint16_t>(status.firmwareVersion));
  WriteU16(reply, 10, status.serialNumber);
  WriteU16(reply, 12, status.auxSelector);
  WriteU16(reply, 14, status.auxValue);
  WriteU16(reply, 16, status.slowAdc);
  WriteU16(reply, 18, status.reserved18);
  WriteU16(reply, 20, static_cast<std::uint16_t>(status.temperature));
  WriteU16(reply, 22, status.reserved22);
}

}  // namespace korva::wire
