#include "timesync/clock_sync.h"

#include <gtest/gtest.h>

#include "time_fakes.h"

namespace korva {
namespace {

using testing::ManualClock;
using testing::RecordingClockSetter;
using testing::Utc;

const std::string kSeparator(54, '-');

TEST(ClockSync, AnHourOrMoreIsRefusedWithoutTouchingTheClock) {
  ManualClock clock(Utc(2024, 3, 7, 10, 0, 0));
  RecordingClockSetter setter;
  for (const double offset : {3600.0, -3600.0, 86400.0}) {
    EXPECT_EQ(SynchroniseClock(offset, clock, setter),
              (std::vector<std::string>{"Can not synchronize: time difference > 1 hour", kSeparator}));
  }
  EXPECT_TRUE(setter.requests.empty());
}

TEST(ClockSync, SetsTheClockToNowPlusTheOffset) {
  ManualClock clock(Utc(2024, 3, 7, 10, 0, 0));
  RecordingClockSetter setter;
  EXPECT_EQ(SynchroniseClock(3599.9, clock, setter),
            (std::vector<std::string>{"System time successfully synchronised", kSeparator}));
  SynchroniseClock(-3599.9, clock, setter);
  // 0.9996 s rounds to a whole second: the clock is set to a valid millisecond.
  SynchroniseClock(0.9996, clock, setter);
  ASSERT_EQ(setter.requests.size(), 3u);
  EXPECT_EQ(setter.requests[0], Utc(2024, 3, 7, 10, 59, 59, 900));
  EXPECT_EQ(setter.requests[1], Utc(2024, 3, 7, 9, 0, 0, 100));
  EXPECT_EQ(setter.requests[2], Utc(2024, 3, 7, 10, 0, 1, 0));

  setter.refuse = true;
  EXPECT_EQ(SynchroniseClock(0.5, clock, setter),
            (std::vector<std::string>{"Failed to set the system time", kSeparator}));
}

}  // namespace
}  // namespace korva
