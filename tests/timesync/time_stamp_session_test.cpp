#include "timesync/time_stamp_session.h"

#include <gtest/gtest.h>

#include "time_fakes.h"

namespace korva {
namespace {

using testing::MakeReply;
using testing::ManualClock;
using testing::RecordingClockSetter;
using testing::ReplyShape;
using testing::ScriptedLink;
using testing::Utc;

using Lines = std::vector<std::string>;
const std::string kQuerySeparator(76, '-');

class TimeStampSessionTest : public ::testing::Test {
 protected:
  // The server is 0.5 s ahead and holds the request 250 ms; the round trip
  // takes 400 ms on our clock.
  void SetUp() override {
    const NtpTimestamp t1 = Now(clock);
    shape.receive = AddSeconds(t1, 0.5);
    shape.transmit = AddSeconds(t1, 0.75);
    link.answer = [this](const auto& request) { return MakeReply(request, shape); };
    link.whileWaiting = [this] { clock.Advance(400); };
  }

  ManualClock clock{Utc(2024, 3, 7, 12, 0, 0)};
  ScriptedLink link;
  ReplyShape shape;
  CSNTPClient sntp{link, clock};
  RecordingClockSetter setter;
  TimeStampSession session{{sntp, clock, setter}};
};

TEST_F(TimeStampSessionTest, AGoodQueryReportsTimestampsDelayAndOffset) {
  EXPECT_FALSE(session.QueryGood());
  EXPECT_EQ(session.GetUtc("ntp.example"), (Lines{
                                               "UTC Succesfully Retreived from: ntp.example",
                                               "This SYSTEM Originate Timestamp: 07/03/2024  12:00:00.000",
                                               "NTP Server Receive Timestamp:     07/03/2024  12:00:00.500",
                                               "NTP Server Transmit Timestamp:    07/03/2024  12:00:00.750",
                                               "This SYSTEM Destination Timestamp: 07/03/2024  12:00:00.400",
                                               "SYSTEM-NTP-SYSTEM Delay: 0.150000 seconds",
                                               "SYSTEM/LOCAL Clock Offset: 0.425000 seconds",
                                               kQuerySeparator,
                                           }));
  EXPECT_TRUE(session.QueryGood());
  EXPECT_NEAR(session.LastOffset(), 0.425, 1e-6);

  EXPECT_EQ(session.Synchronise(), (Lines{"System time successfully synchronised", std::string(54, '-')}));
  ASSERT_EQ(setter.requests.size(), 1u);
  EXPECT_EQ(setter.requests[0], Utc(2024, 3, 7, 12, 0, 0, 825));
}

// A server 100 s ahead: once the clock was set by the query's offset, "Use
// UTC" stamps with the clock alone.
TEST_F(TimeStampSessionTest, AfterTheClockIsSetUseUtcAddsNoOffset) {
  shape.receive = AddSeconds(Now(clock), 100.0);
  shape.transmit = AddSeconds(Now(clock), 100.0);
  session.GetUtc("ntp.example");
  EXPECT_NEAR(session.LastOffset(), 99.8, 1e-6);
  session.Synchronise();
  EXPECT_TRUE(session.QueryGood());
  EXPECT_EQ(session.LastOffset(), 0.0);
}

TEST_F(TimeStampSessionTest, AClockThatCouldNotBeSetKeepsTheMeasuredOffset) {
  setter.refuse = true;
  session.GetUtc("ntp.example");
  session.Synchronise();
  EXPECT_NEAR(session.LastOffset(), 0.425, 1e-6);
}

TEST_F(TimeStampSessionTest, ASocketThatCannotBeCreatedIsReportedAsTheSocketLayer) {
  link.openError = 24;
  EXPECT_EQ(session.GetUtc("ntp.example"), (Lines{"Failed to load winsock stack!", kQuerySeparator}));
  EXPECT_FALSE(session.QueryGood());
}

}  // namespace
}  // namespace korva
