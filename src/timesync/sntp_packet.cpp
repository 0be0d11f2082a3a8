#include "timesync/sntp_packet.h"

namespace korva {
namespace {

constexpr std::uint8_t kClientRequestHeader = 0x1B;  // LI 0, version 3, mode 3
constexpr std::uint8_t kServerMode = 4;
constexpr std::uint8_t kLeapUnsynchronised = 3;
constexpr std::uint8_t kMaxStratum = 15;
constexpr std::size_t kOriginateOffset = 24;
constexpr std::size_t kReceiveOffset = 32;
constexpr std::size_t kTransmitOffset = 40;

NtpTimestamp TimestampAt(std::span<const std::uint8_t> packet, std::size_t offset) {
  return ReadNtpTimestamp(packet.subspan(offset).first<kNtpTimestampBytes>());
}

}  // namespace

std::array<std::uint8_t, kSntpPacketBytes> BuildSntpRequest(NtpTimestamp transmit) {
  std::array<std::uint8_t, kSntpPacketBytes> request{};
  request[0] = kClientRequestHeader;
  WriteNtpTimestamp(transmit, std::span(request).subspan<kTransmitOffset, kNtpTimestampBytes>());
  return request;
}

bool IsAcceptableSntpReply(std::span<const std::uint8_t> reply, NtpTimestamp requestTransmit) {
  if (reply.size() < kSntpPacketBytes) return false;
  const std::uint8_t leap = reply[0] >> 6;
  const std::uint8_t version = (reply[0] >> 3) & 0x7;
  const std::uint8_t mode = reply[0] & 0x7;
  const std::uint8_t stratum = reply[1];
  return mode == kServerMode && version >= 1 && version <= 4 && leap != kLeapUnsynchronised && stratum >= 1 &&
         stratum <= kMaxStratum && TimestampAt(reply, kTransmitOffset) != NtpTimestamp{} &&
         TimestampAt(reply, kOriginateOffset) == requestTransmit;
}

SntpReply ReadSntpReply(std::span<const std::uint8_t> reply) {
  SntpReply fields;
  fields.leapIndicator = reply[0] >> 6;
  fields.stratum = reply[1];
  fields.originate = TimestampAt(reply, kOriginateOffset);
  fields.receive = TimestampAt(reply, kReceiveOffset);
  fields.transmit = TimestampAt(reply, kTransmitOffset);
  return fields;
}

}  // namespace korva
