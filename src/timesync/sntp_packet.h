#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "timesync/ntp_timestamp.h"

namespace korva {

inline constexpr std::size_t kSntpPacketBytes = 48;
// Room for a reply with a key identifier and digest after the 48 bytes used.
inline constexpr std::size_t kSntpReceiveBytes = 68;

// A client request: leap indicator 0, version 3, mode 3, everything zero
// but the transmit timestamp in bytes 40-47.
std::array<std::uint8_t, kSntpPacketBytes> BuildSntpRequest(NtpTimestamp transmit);

// The fields of a server reply the client uses.
struct SntpReply {
  std::uint8_t leapIndicator = 0;
  std::uint8_t stratum = 0;
  NtpTimestamp originate;  // our transmit timestamp, echoed (bytes 24-31)
  NtpTimestamp receive;    // when the server received the request (32-39)
  NtpTimestamp transmit;   // when the server sent the reply (40-47)
};

// Only a reply that passes this check may set the offset, and through it the
// computer's clock: at least 48 bytes, mode 4 (server), version 1-4, leap
// indicator other than 3 (server unsynchronised), stratum 1-15 (0 is a
// kiss-o'-death), a non-zero transmit timestamp, and the originate timestamp
// equal to the transmit timestamp of `request`, which ties the reply to it.
bool IsAcceptableSntpReply(std::span<const std::uint8_t> reply, NtpTimestamp requestTransmit);

// The reply must hold at least 48 bytes.
SntpReply ReadSntpReply(std::span<const std::uint8_t> reply);

}  // namespace korva
