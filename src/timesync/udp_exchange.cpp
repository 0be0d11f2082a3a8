#include "timesync/udp_exchange.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "common/error_code.h"

namespace korva {
namespace {

// The server's IPv4 address: a dotted address as it is, otherwise the first
// IPv4 address the name lookup returns.
bool Resolve(const std::string& host, in_addr& address) {
  if (inet_pton(AF_INET, host.c_str(), &address) == 1) return true;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return false;
  address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
  freeaddrinfo(found);
  return true;
}

}  // namespace

UdpExchange::~UdpExchange() { Close(); }

long UdpExchange::Open() {
  Close();
  socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  return socket_ < 0 ? errno : error_code::kSuccess;
}

long UdpExchange::Connect(const std::string& host, std::uint16_t port) {
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(port);
  if (!Resolve(host, peer.sin_addr)) return error_code::kHostNotFound;
  if (::connect(socket_, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) return errno;
  return error_code::kSuccess;
}

long UdpExchange::Send(std::span<const std::uint8_t> datagram) {
  const ssize_t sent = ::send(socket_, datagram.data(), datagram.size(), 0);
  if (sent < 0) return errno;
  return static_cast<std::size_t>(sent) == datagram.size() ? error_code::kSuccess : EMSGSIZE;
}

// A signal that interrupts the wait does not shorten the time-out: the wait
// resumes with the time that is left.
long UdpExchange::WaitReadable(int timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd entry{socket_, POLLIN, 0};
    const int ready = ::poll(&entry, 1, static_cast<int>(left > 0 ? left : 0));
    if (ready > 0) return error_code::kSuccess;
    if (ready == 0) return error_code::kSocketTimedOut;
    if (errno != EINTR) return errno;
  }
}

long UdpExchange::Receive(std::span<std::uint8_t> buffer, std::size_t& received) {
  received = 0;
  const ssize_t count = ::recv(socket_, buffer.data(), buffer.size(), MSG_DONTWAIT);
  if (count < 0) return errno;
  received = static_cast<std::size_t>(count);
  return error_code::kSuccess;
}

void UdpExchange::Close() {
  if (socket_ >= 0) ::close(socket_);
  socket_ = -1;
}

}  // namespace korva
