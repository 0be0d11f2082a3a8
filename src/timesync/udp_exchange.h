#pragma once

#include "timesync/datagram_link.h"

namespace korva {

// A connected IPv4 UDP socket. Errors are the system's errno values.
class UdpExchange : public DatagramLink {
 public:
  UdpExchange() = default;
  UdpExchange(const UdpExchange&) = delete;
  UdpExchange& operator=(const UdpExchange&) = delete;
  ~UdpExchange() override;

  long Open() override;
  long Connect(const std::string& host, std::uint16_t port) override;
  long Send(std::span<const std::uint8_t> datagram) override;
  long WaitReadable(int timeoutMs) override;
  long Receive(std::span<std::uint8_t> buffer, std::size_t& received) override;
  void Close() override;

 private:
  int socket_ = -1;
};

}  // namespace korva
