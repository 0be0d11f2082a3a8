#include "devicelink/line_error_counts.h"

#include <gtest/gtest.h>

#include "devicelink/serial_event.h"

namespace korva {
namespace {

TEST(LineErrorCounts, EachChangedCounterFlagsItsOwnErrorAndEvent) {
  struct Case {
    LineErrorCounts after;
    std::uint16_t lineErrors;
    std::uint16_t events;
  };
  const LineErrorCounts before{3, 4, 5, 6, 7};
  const Case cases[] = {
      {{4, 4, 5, 6, 7}, line_error::kFraming, serial_event::kLineStatusError},
      {{3, 5, 5, 6, 7}, line_error::kOverrun, serial_event::kLineStatusError},
      {{3, 4, 6, 6, 7}, line_error::kParity, serial_event::kLineStatusError},
      {{3, 4, 5, 7, 7}, line_error::kBreak, serial_event::kBreak},
      {{3, 4, 5, 6, 8}, line_error::kReceiveQueueOverflow, 0},
      {{3, 4, 5, 6, 7}, 0, 0},
      {{9, 4, 5, 9, 7},
       line_error::kFraming | line_error::kBreak,
       serial_event::kLineStatusError | serial_event::kBreak},
  };
  for (const Case& c : cases) {
    const std::uint16_t lineErrors = LineErrorsBetween(before, c.after);
    EXPECT_EQ(lineErrors, c.lineErrors);
    EXPECT_EQ(EventsForLineErrors(lineErrors), c.events) << "line errors " << lineErrors;
  }
}

}  // namespace
}  // namespace korva
