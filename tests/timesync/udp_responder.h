#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace korva::testing {

using Datagram = std::vector<std::uint8_t>;

inline int BoundLoopbackSocket(std::uint16_t& port) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("cannot bind a UDP socket on 127.0.0.1");
  }
  port = ntohs(address.sin_port);
  return fd;
}

// A port on 127.0.0.1 that was free a moment ago.
inline std::uint16_t FreeUdpPort() {
  std::uint16_t port = 0;
  ::close(BoundLoopbackSocket(port));
  return port;
}

// Answers every datagram sent to it on 127.0.0.1 with the datagrams
// `respond` makes of it (none: it stays silent), on its own thread.
class UdpResponder {
 public:
  using Respond = std::function<std::vector<Datagram>(const Datagram& request)>;

  explicit UdpResponder(Respond respond)
      : respond_(std::move(respond)), socket_(BoundLoopbackSocket(port_)), thread_([this] { Serve(); }) {}
  UdpResponder(const UdpResponder&) = delete;
  UdpResponder& operator=(const UdpResponder&) = delete;
  ~UdpResponder() {
    stop_ = true;
    thread_.join();
    ::close(socket_);
  }

  std::string ServerText() const { return "127.0.0.1:" + std::to_string(port_); }
  std::uint16_t Port() const { return port_; }

 private:
  void Serve() {
    while (!stop_) {
      pollfd entry{socket_, POLLIN, 0};
      if (::poll(&entry, 1, 20) <= 0) continue;
      Datagram request(512);
      sockaddr_in peer{};
      socklen_t length = sizeof peer;
      const ssize_t count =
          ::recvfrom(socket_, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&peer), &length);
      if (count < 0) continue;
      request.resize(static_cast<std::size_t>(count));
      for (const Datagram& reply : respond_(request)) {
        ::sendto(socket_, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&peer), length);
      }
    }
  }

  Respond respond_;
  std::uint16_t port_ = 0;
  int socket_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace korva::testing
