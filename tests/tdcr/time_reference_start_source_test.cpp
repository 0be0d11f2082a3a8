#include "tdcr/time_reference_start_source.h"

#include <gtest/gtest.h>

#include "../timesync/time_fakes.h"

namespace korva {
namespace {

TEST(TimeReferenceStartSource, StampsFollowTheChosenReference) {
  testing::ManualClock clock(testing::Utc(2024, 3, 7, 14, 5, 9, 123));
  testing::FixedZoneSource zones;
  TimeReferenceState reference(clock, zones);
  int choices = 0;
  TimeReferenceStartSource source(reference, [&] {
    ++choices;
    reference.Choose(TimeReferenceKind::kUtc, 0.25);
  });

  EXPECT_TRUE(source.NeedsChoice());
  source.ChooseReference();
  EXPECT_EQ(choices, 1);
  EXPECT_FALSE(source.NeedsChoice());

  const StartStamp stamp = source.TakeStartTime();
  EXPECT_EQ(stamp.reference, StartReference::kUtc);
  EXPECT_EQ(stamp.calendar, (StampTime{2024, 3, 7, 14, 5, 9, 373}));
  // The registers and the shown text describe the same moment.
  EXPECT_EQ(FileTimeFromStampTime(stamp.calendar), stamp.fileTime);
  EXPECT_EQ(StampTimeFromFileTime(stamp.fileTime), stamp.calendar);
  EXPECT_EQ(FormatStartTime(stamp.calendar), "07/03/2024  14:05:09.37");
}

}  // namespace
}  // namespace korva
