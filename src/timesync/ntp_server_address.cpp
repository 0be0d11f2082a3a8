#include "timesync/ntp_server_address.h"

#include <charconv>

#include "common/trimmed.h"

namespace korva {
namespace {

std::optional<std::uint16_t> ParsePort(std::string_view digits) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size()) return std::nullopt;
  if (value == 0 || value > 65535) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

}  // namespace

std::optional<NtpServerAddress> ParseNtpServer(std::string_view text) {
  const std::string_view trimmed = Trimmed(text);
  const auto colon = trimmed.find(':');
  if (colon == std::string_view::npos) {
    if (trimmed.empty()) return std::nullopt;
    return NtpServerAddress{std::string(trimmed), kNtpPort};
  }
  const std::string_view host = trimmed.substr(0, colon);
  const std::optional<std::uint16_t> port = ParsePort(trimmed.substr(colon + 1));
  if (host.empty() || !port) return std::nullopt;
  return NtpServerAddress{std::string(host), *port};
}

}  // namespace korva
