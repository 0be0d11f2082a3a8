#include "timesync/time_reference.h"

#include <gtest/gtest.h>

#include "time_fakes.h"

namespace korva {
namespace {

using testing::FixedZoneSource;
using testing::ManualClock;
using testing::Utc;

class TimeReferenceTest : public ::testing::Test {
 protected:
  ManualClock clock{Utc(2024, 3, 7, 12, 0, 0)};
  FixedZoneSource zones;
  TimeReferenceState reference{clock, zones};
};

TEST_F(TimeReferenceTest, MustBeChosenBeforeTheFirstStampAndAfterEachConnectionAttempt) {
  EXPECT_TRUE(reference.MustChoose());
  EXPECT_TRUE(reference.NeedsTimeReferenceChoice());
  reference.Choose(TimeReferenceKind::kSystem, 0.0);
  EXPECT_FALSE(reference.NeedsTimeReferenceChoice());
  EXPECT_EQ(reference.ChosenAt(), ToFileTime(clock.Now()));
  reference.RequireChoice();
  EXPECT_TRUE(reference.NeedsTimeReferenceChoice());
}

TEST_F(TimeReferenceTest, OnlyAUtcChoiceExpiresAfterFiveMinutes) {
  reference.Choose(TimeReferenceKind::kUtc, 1.5);
  clock.Advance(299'000);
  EXPECT_FALSE(reference.NeedsTimeReferenceChoice());
  clock.Advance(1'000);
  EXPECT_FALSE(reference.NeedsTimeReferenceChoice()) << "exactly 300 s is not yet more than 300 s";
  clock.Advance(1'000);
  EXPECT_TRUE(reference.NeedsTimeReferenceChoice());

  for (const TimeReferenceKind kind : {TimeReferenceKind::kSystem, TimeReferenceKind::kLocal}) {
    reference.Choose(kind, 1.5);
    clock.Advance(86'400'000);
    EXPECT_FALSE(reference.NeedsTimeReferenceChoice());
  }
}

TEST_F(TimeReferenceTest, KeepsTheNtpServerWithAUtcChoiceOnly) {
  reference.Choose(TimeReferenceKind::kUtc, 0.5, "pool.ntp.org");
  EXPECT_EQ(reference.NtpServer(), "pool.ntp.org");
  reference.Choose(TimeReferenceKind::kLocal, 0.5, "pool.ntp.org");
  EXPECT_EQ(reference.NtpServer(), "");
  EXPECT_EQ(reference.ClockOffset(), 0.0);
  reference.Choose(TimeReferenceKind::kUtc, 0.5, "pool.ntp.org");
  reference.Choose(TimeReferenceKind::kSystem, 0.5);
  EXPECT_EQ(reference.NtpServer(), "") << "a SYSTEM choice keeps no server of an earlier UTC one";
}

// Labels and offsets are pinned through the dialog's tests; here the stamp.
TEST_F(TimeReferenceTest, StampsFollowTheChosenReference) {
  reference.Choose(TimeReferenceKind::kUtc, -2.25);
  StartTime start = reference.StartTimeNow();
  EXPECT_EQ(start.reference, TimeReferenceKind::kUtc);
  EXPECT_EQ(start.calendar, Utc(2024, 3, 7, 11, 59, 57, 750));
  EXPECT_EQ(start.fileTime, ToFileTime(start.calendar));

  reference.Choose(TimeReferenceKind::kSystem, -2.25);
  EXPECT_EQ(reference.StartTimeNow().calendar, clock.Now());

  reference.Choose(TimeReferenceKind::kLocal, -2.25);
  zones.hours = 9;  // the computer's zone changes after the choice
  start = reference.StartTimeNow();
  EXPECT_EQ(start.calendar, Utc(2024, 3, 7, 14, 0, 0));
  EXPECT_EQ(start.fileTime, ToFileTime(Utc(2024, 3, 7, 14, 0, 0)));
}

}  // namespace
}  // namespace korva
