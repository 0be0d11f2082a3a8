#include "devicelink/serial_notification.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korva {
namespace {

class FixedClock : public LocalClock {
 public:
  std::optional<LocalCalendar> Now() override { return LocalCalendar{2024, 3, 7, 14, 5, 9}; }
};

// The log lines and the data handling one notification causes, in order.
std::vector<std::string> EffectsOf(std::uint16_t events, std::uint16_t lineErrors, bool suppressed = false) {
  FixedClock clock;
  EventLog log(clock);
  std::vector<std::string> effects;
  std::size_t seen = 0;
  auto logged = [&] {
    for (; seen < log.Lines().size(); ++seen) effects.push_back(log.Lines()[seen].substr(21));  // after ">> "
  };
  HandleSerialNotification(events, lineErrors, suppressed, log, [&] {
    logged();
    effects.push_back("reply bytes");
  });
  logged();
  return effects;
}

TEST(SerialNotification, LogsLineErrorsBeforeHandingOverTheReplyBytes) {
  const std::string internal = "An internal error occurred.";
  const std::string lineStatus = "A line-status error occurred.";
  using Effects = std::vector<std::string>;
  EXPECT_EQ(
      EffectsOf(serial_event::kCharactersReceived | serial_event::kLineStatusError, line_error::kFraming),
      (Effects{internal, lineStatus, "reply bytes"}));
  EXPECT_EQ(EffectsOf(serial_event::kCharactersReceived, 0), Effects{"reply bytes"});
  EXPECT_EQ(EffectsOf(serial_event::kCharactersReceived, line_error::kReceiveQueueOverflow),
            (Effects{internal, "reply bytes"}));
  EXPECT_EQ(EffectsOf(serial_event::kLineStatusError, 0), Effects{lineStatus});
  EXPECT_EQ(EffectsOf(serial_event::kBreak, 0), Effects{});
}

TEST(SerialNotification, IsIgnoredEntirelyWhileSuppressed) {
  EXPECT_TRUE(
      EffectsOf(serial_event::kCharactersReceived | serial_event::kLineStatusError, 0xFFFF, true).empty());
}

}  // namespace
}  // namespace korva
