#include "timesync/sntp_client.h"

#include <gtest/gtest.h>

#include "time_fakes.h"

namespace korva {
namespace {

using testing::MakeReply;
using testing::ManualClock;
using testing::ReplyShape;
using testing::ScriptedLink;
using testing::Utc;

class SntpClientTest : public ::testing::Test {
 protected:
  ManualClock clock{Utc(2024, 3, 7, 12, 0, 0)};
  ScriptedLink link;
  CSNTPClient client{link, clock};
  SntpResult result;
};

// The server runs 10.1 s ahead of us, holds the request 50 ms, and the round
// trip takes 200 ms on our clock.
TEST_F(SntpClientTest, MeasuresOffsetAndDelayFromTheFourTimestamps) {
  const NtpTimestamp t1 = Now(clock);
  ReplyShape shape;
  shape.stratum = 3;
  shape.header = 0x5C;  // leap indicator 1, version 3, mode 4
  shape.receive = AddSeconds(t1, 10.1);
  shape.transmit = AddSeconds(t1, 10.15);
  link.answer = [&](const auto& request) { return MakeReply(request, shape); };
  link.whileWaiting = [&] { clock.Advance(200); };

  ASSERT_TRUE(client.Query("192.0.2.7", result));
  EXPECT_EQ(link.host, "192.0.2.7");
  EXPECT_EQ(link.port, 123);
  EXPECT_EQ(link.waitedMs, 5000);
  EXPECT_FALSE(link.open);

  ASSERT_EQ(link.sent.size(), 48u);
  EXPECT_EQ(link.sent[0], 0x1B);
  for (std::size_t i = 1; i < 40; ++i) EXPECT_EQ(link.sent[i], 0) << i;
  EXPECT_EQ(ReadNtpTimestamp(std::span(link.sent).subspan(40).first<8>()), t1);

  EXPECT_EQ(result.leapIndicator, 1);
  EXPECT_EQ(result.stratum, 3);
  EXPECT_EQ(result.originate, t1);
  EXPECT_EQ(result.receive, shape.receive);
  EXPECT_EQ(result.transmit, shape.transmit);
  EXPECT_EQ(result.destination, Now(clock));
  EXPECT_NEAR(result.delay, 0.15, 1e-6);
  EXPECT_NEAR(result.offset, 10.025, 1e-6);
}

TEST_F(SntpClientTest, ServerTextMayCarryAPort) {
  link.answer = [](const auto& request) { return MakeReply(request, {}); };
  ASSERT_TRUE(client.Query(" ntp.example:8123 ", result));
  EXPECT_EQ(link.host, "ntp.example");
  EXPECT_EQ(link.port, 8123);

  for (const char* bad :
       {"", "   ", ":123", "ntp.example:", "ntp.example:0", "ntp.example:65536", "host:12x"}) {
    link.host.reset();
    EXPECT_FALSE(client.Query(bad, result)) << bad;
    EXPECT_EQ(client.LastFailure(), SntpFailure::kNoServer) << bad;
    EXPECT_EQ(client.LastError(), error_code::kHostNotFound) << bad;
    EXPECT_FALSE(link.host.has_value()) << bad;
    EXPECT_FALSE(link.open);
  }
}

TEST_F(SntpClientTest, EachFailingStepIsReportedAndClosesTheSocket) {
  struct Case {
    long ScriptedLink::*step;
    long error;
    SntpFailure failure;
    long lastError;
  };
  const Case cases[] = {
      {&ScriptedLink::openError, 24, SntpFailure::kNoSocket, 24},
      {&ScriptedLink::connectError, 101, SntpFailure::kNoServer, 101},
      {&ScriptedLink::sendError, 90, SntpFailure::kSend, 90},
      {&ScriptedLink::waitError, 4, SntpFailure::kTimedOut, error_code::kSocketTimedOut},
      {&ScriptedLink::waitError, error_code::kSocketTimedOut, SntpFailure::kTimedOut,
       error_code::kSocketTimedOut},
      {&ScriptedLink::receiveError, 111, SntpFailure::kReceive, 111},
  };
  result.stratum = 99;
  for (const Case& c : cases) {
    ScriptedLink failing;
    failing.answer = [](const auto& request) { return MakeReply(request, {}); };
    failing.*(c.step) = c.error;
    CSNTPClient sntp(failing, clock);
    EXPECT_FALSE(sntp.Query("192.0.2.7", result));
    EXPECT_EQ(sntp.LastFailure(), c.failure);
    EXPECT_EQ(sntp.LastError(), c.lastError);
    EXPECT_FALSE(failing.open);
  }
  EXPECT_EQ(result.stratum, 99) << "a failed query leaves the last result alone";
}

}  // namespace
}  // namespace korva
