#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korva {

inline constexpr std::uint16_t kNtpPort = 123;

struct NtpServerAddress {
  std::string host;
  std::uint16_t port = kNtpPort;

  friend bool operator==(const NtpServerAddress&, const NtpServerAddress&) = default;
};

// Reads the server text the user typed: a host name or dotted IPv4 address,
// optionally followed by ":port" (1-65535) for a server on another port.
// Surrounding blanks are ignored. Empty when no host is named or the port is
// not a number in range.
std::optional<NtpServerAddress> ParseNtpServer(std::string_view text);

}  // namespace korva
