#include "timesync/ntp_timestamp.h"

#include <gtest/gtest.h>

#include <array>

#include "time_fakes.h"

namespace korva {
namespace {

using testing::ManualClock;
using testing::Utc;

constexpr std::uint32_t kNoon20240307 = 3'918'801'600u;  // 2024-03-07 12:00:00 UTC

TEST(NtpTimestamp, NowTurnsMillisecondsIntoRoundedBinaryFractions) {
  EXPECT_EQ(Now(ManualClock(Utc(2024, 3, 7, 12, 0, 0, 500))), (NtpTimestamp{2'147'483'648u, kNoon20240307}));
  EXPECT_EQ(Now(ManualClock(Utc(2024, 3, 7, 12, 0, 0, 0))), (NtpTimestamp{0, kNoon20240307}));
  EXPECT_EQ(Now(ManualClock(Utc(2024, 3, 7, 12, 0, 0, 999))).fraction, 4'290'672'329u);
  EXPECT_EQ(Now(ManualClock(Utc(1900, 1, 1, 0, 0, 0))), (NtpTimestamp{0, 0}));
  EXPECT_EQ(Now(ManualClock(Utc(2036, 2, 7, 6, 28, 15))).seconds, 4'294'967'295u);
  EXPECT_EQ(Now(ManualClock(Utc(2036, 2, 7, 6, 28, 16))).seconds, 0u);
}

TEST(NtpTimestamp, CalendarRoundTripKeepsEveryMillisecond) {
  for (const CalendarTime& day :
       {Utc(2000, 2, 29, 23, 59, 59), Utc(1999, 12, 31, 0, 0, 0), Utc(2100, 3, 1, 12, 30, 7)}) {
    for (int ms = 0; ms < 1000; ++ms) {
      CalendarTime t = day;
      t.millisecond = static_cast<std::uint16_t>(ms);
      ASSERT_EQ(ToCalendar(FromCalendar(t)), t) << ms;
    }
  }
}

TEST(NtpTimestamp, CalendarCarriesOnPastTheEraChangeOf2036) {
  EXPECT_EQ(ToCalendar({0, 4'294'967'295u}), Utc(2036, 2, 7, 6, 28, 15));
  EXPECT_EQ(ToCalendar({0, 0}), Utc(2036, 2, 7, 6, 28, 16));
  EXPECT_EQ(ToCalendar({0xFFFFFFFFu, 4'294'967'295u}), Utc(2036, 2, 7, 6, 28, 16));
  EXPECT_EQ(ToCalendar({0, 0x80000000u}), Utc(1968, 1, 20, 3, 14, 8));
  EXPECT_EQ(ToCalendar({0, kNoon20240307}).dayOfWeek, 4);
  EXPECT_DOUBLE_EQ(Difference({0, 1}, {0, 4'294'967'295u}), 2.0);
  EXPECT_DOUBLE_EQ(Difference({0, 4'294'967'295u}, {0, 1}), -2.0);
}

TEST(NtpTimestamp, MillisecondRoundingToAThousandCarriesIntoTheNextSecond) {
  const std::uint32_t lastSecondOf1999 = FromCalendar(Utc(1999, 12, 31, 23, 59, 59)).seconds;
  const CalendarTime carried = ToCalendar({4'292'819'812u, lastSecondOf1999});
  EXPECT_EQ(carried, Utc(2000, 1, 1, 0, 0, 0, 0));
  EXPECT_EQ(carried.dayOfWeek, 6);
  EXPECT_EQ(ToCalendar({0xFFFFFFFFu, lastSecondOf1999}), Utc(2000, 1, 1, 0, 0, 0, 0));
  EXPECT_EQ(ToCalendar({4'292'819'811u, lastSecondOf1999}), Utc(1999, 12, 31, 23, 59, 59, 999));
}

TEST(NtpTimestamp, AddSecondsCarriesAndBorrowsThroughTheFraction) {
  EXPECT_EQ(AddSeconds({0, 1000}, -0.25), (NtpTimestamp{3'221'225'473u, 999}));
  EXPECT_EQ(AddSeconds({0x80000000u, 1000}, 0.75), (NtpTimestamp{1'073'741'823u, 1001}));
  EXPECT_EQ(AddSeconds({0, 1000}, -1.5), (NtpTimestamp{2'147'483'649u, 998}));
  EXPECT_EQ(AddSeconds({123, 1000}, 0.0), (NtpTimestamp{123, 1000}));
  EXPECT_EQ(AddSeconds({0, 4'294'967'295u}, 2.0), (NtpTimestamp{0, 1}));
}

TEST(NtpTimestamp, DifferenceIsSignedAndUndoesAddSeconds) {
  EXPECT_DOUBLE_EQ(Difference({0, 10}, {0xC0000000u, 9}), 0.25);
  EXPECT_DOUBLE_EQ(Difference({0xC0000000u, 9}, {0, 10}), -0.25);
  EXPECT_DOUBLE_EQ(Difference({7, 7}, {7, 7}), 0.0);
  const NtpTimestamp base{0x12345678u, kNoon20240307};
  for (const double offset : {3599.9, -3599.9, 0.0004, -0.0004, 1e6}) {
    EXPECT_NEAR(Difference(AddSeconds(base, offset), base), offset, 1e-9) << offset;
  }
}

TEST(NtpTimestamp, WireFormIsBigEndianSecondsFirst) {
  std::array<std::uint8_t, 8> bytes{};
  WriteNtpTimestamp({0x05060708u, 0x01020304u}, bytes);
  EXPECT_EQ(bytes, (std::array<std::uint8_t, 8>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(ReadNtpTimestamp(bytes), (NtpTimestamp{0x05060708u, 0x01020304u}));
}

TEST(FileTime, CountsHundredNanosecondTicksFrom1601) {
  EXPECT_EQ(ToFileTime(Utc(1601, 1, 1, 0, 0, 0)), 0u);
  EXPECT_EQ(ToFileTime(Utc(1970, 1, 1, 0, 0, 0)), kUnixEpochFileTime);
  const CalendarTime t = Utc(2024, 3, 7, 12, 34, 56, 789);
  EXPECT_EQ(ToFileTime(t), kUnixEpochFileTime + 1'709'814'896'789ull * 10'000);
  EXPECT_EQ(CalendarFromFileTime(ToFileTime(t)), t);
  EXPECT_EQ(CalendarFromFileTime(ToFileTime(t)).dayOfWeek, 4);
}

}  // namespace
}  // namespace korva
