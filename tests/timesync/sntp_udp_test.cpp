#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>

#include "time_fakes.h"
#include "timesync/sntp_client.h"
#include "timesync/system_utc_clock.h"
#include "timesync/udp_exchange.h"
#include "udp_responder.h"

namespace korva {
namespace {

using testing::Datagram;
using testing::MakeReply;
using testing::ReplyShape;
using testing::UdpResponder;
using Edit = std::function<void(Datagram&)>;

constexpr double kServerAheadSeconds = 30.0;

// A well-behaved server 30 s ahead of this computer, with `edit` applied to
// each reply before it goes out.
UdpResponder::Respond ServerAhead(Edit edit = [](Datagram&) {}) {
  return [edit](const Datagram& request) {
    ReplyShape shape;
    shape.receive = AddSeconds(Now(SystemUtcClock()), kServerAheadSeconds);
    shape.transmit = shape.receive;
    Datagram reply = MakeReply(request, shape);
    edit(reply);
    return std::vector<Datagram>{reply};
  };
}

class SntpOverUdp : public ::testing::Test {
 protected:
  SystemUtcClock clock;
  UdpExchange udp;
  CSNTPClient client{udp, clock};
  SntpResult result;
};

TEST_F(SntpOverUdp, BelievableRepliesAreAccepted) {
  const std::pair<const char*, Edit> cases[] = {
      {"version 4", [](Datagram&) {}},
      {"version 1", [](Datagram& r) { r[0] = 0x0C; }},
      {"leap indicator 2, version 3", [](Datagram& r) { r[0] = 0x9C; }},
      {"stratum 15", [](Datagram& r) { r[1] = 15; }},
      {"stratum 1", [](Datagram& r) { r[1] = 1; }},
      {"key identifier and digest after the 48 bytes", [](Datagram& r) { r.resize(68, 0xAB); }},
      {"longer than the receive buffer", [](Datagram& r) { r.resize(200, 0xAB); }},
  };
  for (const auto& [name, edit] : cases) {
    UdpResponder server(ServerAhead(edit));
    ASSERT_TRUE(client.Query(server.ServerText(), result)) << name << ", error " << client.LastError();
    EXPECT_NEAR(result.offset, kServerAheadSeconds, 0.1) << name;
    EXPECT_GE(result.delay, -0.01) << name;
    EXPECT_LT(result.delay, 0.1) << name;
  }
  UdpResponder server(ServerAhead());
  EXPECT_TRUE(client.Query("localhost:" + std::to_string(server.Port()), result)) << client.LastError();
}

// None of these may set the offset, and through it the computer's clock.
TEST_F(SntpOverUdp, MalformedAndSpoofedRepliesFailTheQuery) {
  const std::pair<const char*, Edit> cases[] = {
      {"47 bytes", [](Datagram& r) { r.resize(47); }},
      {"empty", [](Datagram& r) { r.clear(); }},
      {"mode 3 (a client)", [](Datagram& r) { r[0] = 0x23; }},
      {"mode 5 (broadcast)", [](Datagram& r) { r[0] = 0x25; }},
      {"version 0", [](Datagram& r) { r[0] = 0x04; }},
      {"version 5", [](Datagram& r) { r[0] = 0x2C; }},
      {"leap indicator 3 (unsynchronised)", [](Datagram& r) { r[0] = 0xE4; }},
      {"stratum 0 (kiss-o'-death)", [](Datagram& r) { r[1] = 0; }},
      {"stratum 16", [](Datagram& r) { r[1] = 16; }},
      {"transmit timestamp zero", [](Datagram& r) { std::fill(r.begin() + 40, r.begin() + 48, 0); }},
      {"originate not our transmit timestamp", [](Datagram& r) { r[31] ^= 1; }},
  };
  for (const auto& [name, edit] : cases) {
    UdpResponder server(ServerAhead(edit));
    result = SntpResult{};
    EXPECT_FALSE(client.Query(server.ServerText(), result)) << name;
    EXPECT_EQ(client.LastFailure(), SntpFailure::kBadReply) << name;
    EXPECT_EQ(client.LastError(), error_code::kInvalidReply) << name;
    EXPECT_EQ(result.offset, 0.0) << name;
  }
}

TEST_F(SntpOverUdp, ASilentServerTimesOutWith10060) {
  UdpResponder server([](const Datagram&) { return std::vector<Datagram>{}; });
  client.SetReplyTimeoutMs(300);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(client.Query(server.ServerText(), result));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(client.LastFailure(), SntpFailure::kTimedOut);
  EXPECT_EQ(client.LastError(), error_code::kSocketTimedOut);
  EXPECT_GE(waited, std::chrono::milliseconds(290));
  EXPECT_LT(waited, std::chrono::milliseconds(3000));
}

TEST_F(SntpOverUdp, NobodyListeningFailsAtOnce) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(client.Query("127.0.0.1:" + std::to_string(testing::FreeUdpPort()), result));
  EXPECT_EQ(client.LastFailure(), SntpFailure::kReceive);
  EXPECT_EQ(client.LastError(), ECONNREFUSED);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(3000));
}

}  // namespace
}  // namespace korva
