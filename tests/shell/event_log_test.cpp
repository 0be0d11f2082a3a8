#include "common/event_log.h"

#include <gtest/gtest.h>

#include <string>

namespace korva {
namespace {

class FixedClock : public LocalClock {
 public:
  std::optional<LocalCalendar> now = LocalCalendar{2024, 3, 7, 14, 5, 9};
  std::optional<LocalCalendar> Now() override { return now; }
};

TEST(EventLog, LineCarriesLocalDateTimeAndMessage) {
  FixedClock clock;
  EventLog log(clock);
  log.AddLine("Connected to: /dev/ttyUSB0");
  ASSERT_EQ(log.Lines().size(), 1u);
  EXPECT_EQ(log.Lines().back(), "07-MAR-24@14:05:09>> Connected to: /dev/ttyUSB0");
  const std::array<std::uint16_t, 6> stamp = {24, 2, 7, 14, 5, 9};
  EXPECT_EQ(log.Stamp(), stamp);

  clock.now = LocalCalendar{2005, 12, 31, 23, 59, 58};
  log.AddLine("");
  EXPECT_EQ(log.Lines().back(), "31-DEC-05@23:59:58>> ");
}

TEST(EventLog, UnreadableClockKeepsThePreviousStamp) {
  FixedClock clock;
  EventLog log(clock);
  log.AddLine("first");
  clock.now.reset();
  log.AddLine("second");
  EXPECT_EQ(log.Lines().back(), "07-MAR-24@14:05:09>> second");
}

struct RecordingListener : EventLog::Listener {
  int appended = 0;
  int removed = 0;
  void OnLineAppended(const std::string&) override { ++appended; }
  void OnFirstLineRemoved() override { ++removed; }
};

TEST(EventLog, KeepsTheLast200Lines) {
  FixedClock clock;
  EventLog log(clock);
  RecordingListener listener;
  log.AddListener(&listener);
  for (int i = 1; i <= 201; ++i) log.AddLine("line " + std::to_string(i));
  EXPECT_EQ(log.Lines().size(), EventLog::kMaxLines);
  EXPECT_EQ(log.Lines().front(), "07-MAR-24@14:05:09>> line 2");
  EXPECT_EQ(log.Lines().back(), "07-MAR-24@14:05:09>> line 201");
  EXPECT_EQ(listener.appended, 201);
  EXPECT_EQ(listener.removed, 1);
  log.RemoveListener(&listener);
  log.AddLine("unheard");
  EXPECT_EQ(listener.appended, 201);
}

}  // namespace
}  // namespace korva
