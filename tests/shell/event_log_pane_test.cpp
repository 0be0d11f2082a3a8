#include "shell/event_log_pane.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <string>

namespace korva {
namespace {

class FixedClock : public LocalClock {
 public:
  std::optional<LocalCalendar> Now() override { return LocalCalendar{2024, 3, 7, 14, 5, 9}; }
};

TEST(EventsPane, StartsWithStartApplicationAfterEarlierLines) {
  FixedClock clock;
  EventLog log(clock);
  log.AddLine("before the pane");
  COutputWnd pane(log);
  ASSERT_EQ(pane.LineCount(), 2);
  EXPECT_EQ(pane.LineAt(0), "07-MAR-24@14:05:09>> before the pane");
  EXPECT_EQ(pane.LineAt(1), "07-MAR-24@14:05:09>> Start Application");
}

TEST(EventsPane, MirrorsTheCapAndShrinksTheExtentWhenTheWidestLineGoes) {
  FixedClock clock;
  EventLog log(clock);
  COutputWnd pane(log);
  const std::string wide(300, 'W');
  log.AddLine(wide);
  const int wideExtent = pane.HorizontalExtent();
  for (int i = 0; i < 200; ++i) log.AddLine("short " + std::to_string(i));
  EXPECT_EQ(pane.LineCount(), 200);
  EXPECT_EQ(pane.LineAt(199), "07-MAR-24@14:05:09>> short 199");
  EXPECT_LT(pane.HorizontalExtent(), wideExtent);
  const QFontMetrics metrics(pane.font());
  EXPECT_GE(pane.HorizontalExtent(), metrics.horizontalAdvance("07-MAR-24@14:05:09>> short 199") + 10 - 1);
}

}  // namespace
}  // namespace korva
