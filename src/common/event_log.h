#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korva {

// A local calendar moment as the event log stamps it.
struct LocalCalendar {
  int year = 2000;
  int month = 1;  // 1-12
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Source of the local time. An empty answer means the clock could not be
// read; the log then keeps the previous date and time.
class LocalClock {
 public:
  virtual ~LocalClock() = default;
  virtual std::optional<LocalCalendar> Now() = 0;
};

// The computer's clock in the local time zone.
class SystemLocalClock : public LocalClock {
 public:
  std::optional<LocalCalendar> Now() override;
};

// The running log of what the program does with the instrument: every line
// is "DD-MON-YY@HH:MM:SS>> message", and the last 200 lines are kept.
class EventLog {
 public:
  static constexpr std::size_t kMaxLines = 200;

  // Told of every change so a pane can mirror the log.
  struct Listener {
    virtual ~Listener() = default;
    virtual void OnLineAppended(const std::string& line) = 0;
    virtual void OnFirstLineRemoved() = 0;
  };

  explicit EventLog(LocalClock& clock);

  void AddLine(std::string_view message);

  const std::deque<std::string>& Lines() const { return lines_; }
  const std::string& DateText() const { return dateText_; }
  const std::string& TimeText() const { return timeText_; }
  // The moment of the last line: year - 2000, month 0-11, day, hour, minute, second.
  const std::array<std::uint16_t, 6>& Stamp() const { return stamp_; }

  void AddListener(Listener* listener);
  void RemoveListener(Listener* listener);

 private:
  void UpdateStamp();

  LocalClock& clock_;
  std::deque<std::string> lines_;
  std::string dateText_;
  std::string timeText_;
  std::array<std::uint16_t, 6> stamp_{};
  std::vector<Listener*> listeners_;
};

}  // namespace korva
