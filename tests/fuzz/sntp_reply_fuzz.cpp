// libFuzzer harness of the SNTP client's reply handling: the input is the
// datagram a time server sends back. The first input byte decides whether
// the reply echoes the request's transmit timestamp (as a real answer
// does), so the search reaches the accepted path too. Besides never
// crashing, an accepted reply must give a finite delay and offset, and the
// corrected clock must read as a calendar moment.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "timesync/sntp_client.h"
#include "timesync/sntp_packet.h"

namespace {

void Require(bool holds) {
  if (!holds) __builtin_trap();
}

class FixedUtcClock : public korva::UtcClock {
 public:
  korva::CalendarTime Now() const override { return {2024, 3, 4, 7, 14, 5, 9, 250}; }
};

// Answers the one request with the scripted datagram.
class ScriptedServer : public korva::DatagramLink {
 public:
  ScriptedServer(std::span<const std::uint8_t> reply, bool echo)
      : reply_(reply.begin(), reply.end()), echo_(echo) {}

  long Open() override { return 0; }
  long Connect(const std::string&, std::uint16_t) override { return 0; }
  long Send(std::span<const std::uint8_t> request) override {
    if (echo_ && reply_.size() >= 32) std::copy_n(request.begin() + 40, 8, reply_.begin() + 24);
    return 0;
  }
  long WaitReadable(int) override { return 0; }
  long Receive(std::span<std::uint8_t> buffer, std::size_t& received) override {
    received = std::min(buffer.size(), reply_.size());
    std::copy_n(reply_.begin(), received, buffer.begin());
    return 0;
  }
  void Close() override {}

 private:
  std::vector<std::uint8_t> reply_;
  bool echo_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const bool echo = size > 0 && (data[0] & 1) != 0;
  const auto reply = size > 0 ? std::span(data + 1, size - 1) : std::span<const std::uint8_t>();
  ScriptedServer server(reply, echo);
  FixedUtcClock clock;
  korva::CSNTPClient client(server, clock);
  korva::SntpResult result;
  const bool accepted = client.Query("192.0.2.1", result);
  Require(accepted == (client.LastFailure() == korva::SntpFailure::kNone));
  if (accepted) {
    Require(reply.size() >= korva::kSntpPacketBytes);
    Require(std::isfinite(result.delay) && std::isfinite(result.offset));
    const korva::CalendarTime corrected =
        korva::ToCalendar(korva::AddSeconds(result.destination, result.offset));
    Require(corrected.month >= 1 && corrected.month <= 12 && corrected.day >= 1 && corrected.day <= 31);
  }
  return 0;
}
