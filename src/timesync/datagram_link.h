#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace korva {

namespace error_code {
// A host name that does not resolve to an IPv4 address, or a server text
// that names no host and port.
inline constexpr long kHostNotFound = 11001;
// A datagram that is not a believable answer to the request that was sent.
inline constexpr long kInvalidReply = 13;
}  // namespace error_code

// One UDP conversation with one peer, as the SNTP client needs it. The real
// link uses a socket; tests hand in a scripted one. Every operation returns
// an error code (0 on success): the system's error number, or one of the
// program's own codes.
class DatagramLink {
 public:
  virtual ~DatagramLink() = default;

  // Creates the socket. Any socket still open is closed first.
  virtual long Open() = 0;
  // Resolves `host` (a dotted IPv4 address is used without a name lookup;
  // otherwise the first IPv4 address of the lookup) and connects the socket
  // to it, so only datagrams from that peer are received.
  virtual long Connect(const std::string& host, std::uint16_t port) = 0;
  virtual long Send(std::span<const std::uint8_t> datagram) = 0;
  // Waits until a datagram (or an error) is waiting; kSocketTimedOut when
  // `timeoutMs` pass first.
  virtual long WaitReadable(int timeoutMs) = 0;
  // Takes one datagram; one longer than `buffer` is cut to its size.
  virtual long Receive(std::span<std::uint8_t> buffer, std::size_t& received) = 0;
  virtual void Close() = 0;
};

}  // namespace korva
