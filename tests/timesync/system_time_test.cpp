#include <gtest/gtest.h>

#include <QDateTime>
#include <QTimeZone>

#include "time_fakes.h"
#include "timesync/system_time_zone.h"
#include "timesync/system_utc_clock.h"

namespace korva {
namespace {

using testing::Utc;

TEST(SystemUtcClock, ReadsTheComputersUtcTime) {
  const QDateTime expected = QDateTime::currentDateTimeUtc();
  const CalendarTime now = SystemUtcClock().Now();
  const QDateTime read(QDate(now.year, now.month, now.day),
                       QTime(now.hour, now.minute, now.second, now.millisecond), Qt::UTC);
  EXPECT_LT(std::abs(expected.msecsTo(read)), 2000);
  EXPECT_EQ(now.dayOfWeek, read.date().dayOfWeek() % 7);
}

TEST(QtTimeZone, ConvertsWithTheZonesDaylightSavingRules) {
  const QtTimeZone vienna(QTimeZone("Europe/Vienna"));
  EXPECT_EQ(vienna.Description(), "Europe/Vienna");
  EXPECT_EQ(vienna.ToLocal(Utc(2024, 1, 15, 23, 30, 0, 250)), Utc(2024, 1, 16, 0, 30, 0, 250));
  EXPECT_EQ(vienna.ToLocal(Utc(2024, 7, 15, 12, 0, 0)), Utc(2024, 7, 15, 14, 0, 0));
  EXPECT_EQ(vienna.ToLocal(Utc(2024, 1, 15, 23, 30, 0)).dayOfWeek, 2);
}

}  // namespace
}  // namespace korva
