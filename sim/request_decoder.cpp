#include "sim/request_decoder.h"

#include <array>
#include <utility>

#include "devicelink/wire_frame.h"

namespace korva::sim {

namespace {

using namespace korva::wire;

constexpr std::uint32_t kRegionMask = 0xFFFF0000;
constexpr std::uint32_t kWordMask = 0x0000FFFF;
constexpr std::uint32_t kMaxReadData = 0xFFFF - kReadReplyOverhead;  // the reply length must fit 16 bits

constexpr std::array<std::pair<RequestKind, std::string_view>, 5> kKindNames = {{
    {RequestKind::kRegisterRead, "registers"},
    {RequestKind::kSpectrumRead, "spectrum"},
    {RequestKind::kTraceRead, "trace"},
    {RequestKind::kRegisterWrite, "writes"},
    {RequestKind::kFpga, "fpga"},
}};

bool FitsRegisters(std::uint32_t first, std::uint32_t count) {
  return count > 0 && first + count <= kRegisterCount;
}

std::optional<Request> DecodeRead(std::uint32_t address, std::uint16_t dataBytes) {
  if (dataBytes == 0 || dataBytes > kMaxReadData) return std::nullopt;
  Request request;
  request.address = address;
  request.replyDataBytes = dataBytes;

  if (address == kTraceAddress) {
    if (dataBytes % 2 != 0 || dataBytes > kTraceBytes) return std::nullopt;
    request.kind = RequestKind::kTraceRead;
    request.count = dataBytes;
    return request;
  }
  if ((address & kRegionMask) != kRegisterReadRegion) return std::nullopt;

  const std::uint32_t word = address & kWordMask;
  if (word >= kRegisterWordBase) {
    request.kind = RequestKind::kRegisterRead;
    request.first = word - kRegisterWordBase;
    request.count = dataBytes / 2u;
    if (dataBytes % 2 != 0 || !FitsRegisters(request.first, request.count)) return std::nullopt;
    return request;
  }
  request.kind = RequestKind::kSpectrumRead;
  request.first = word / 2;
  request.count = dataBytes / 4u;
  if (word % 2 != 0 || dataBytes % 4 != 0 || request.first + request.count > kSpectrumEntries) {
    return std::nullopt;
  }
  return request;
}

std::optional<Request> DecodeWrite(std::uint32_t address, std::span<const std::uint8_t> frame) {
  if ((address & kRegionMask) != kRegisterWriteRegion) return std::nullopt;
  const std::uint32_t word = address & kWordMask;
  const std::size_t dataBytes = frame.size() - kWriteRequestOverhead;
  if (word < kRegisterWordBase || dataBytes % 2 != 0) return std::nullopt;

  Request request;
  request.kind = RequestKind::kRegisterWrite;
  request.address = address;
  request.first = word - kRegisterWordBase;
  request.count = static_cast<std::uint32_t>(dataBytes / 2);
  if (!FitsRegisters(request.first, request.count)) return std::nullopt;
  for (std::size_t i = 0; i < request.count; ++i) {
    request.words.push_back(ReadU16(frame, kWriteDataOffset + 2 * i));
  }
  return request;
}

}  // namespace

std::optional<Request> DecodeRequest(std::span<const std::uint8_t> frame) {
  if (frame.size() < kReadRequestLength) return std::nullopt;
  const std::uint32_t address = ReadU32(frame, 4);
  if (frame[0] == kReadCommand && frame.size() == kReadRequestLength) {
    return DecodeRead(address, ReadU16(frame, 8));
  }
  if (frame[0] == kWriteCommand) return DecodeWrite(address, frame);
  return std::nullopt;
}

std::optional<RequestKind> RequestKindFromName(std::string_view name) {
  for (const auto& [kind, known] : kKindNames) {
    if (known == name) return kind;
  }
  return std::nullopt;
}

}  // namespace korva::sim
