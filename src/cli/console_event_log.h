#pragma once

#include <iostream>

#include "common/event_log.h"

namespace korva {

// Echoes every event-log line on standard error as it is appended, and
// remembers when the engine gave the link up.
class ConsoleEventLog : private EventLog::Listener {
 public:
  explicit ConsoleEventLog(EventLog& log) : log_(log) { log_.AddListener(this); }
  ~ConsoleEventLog() override { log_.RemoveListener(this); }
  ConsoleEventLog(const ConsoleEventLog&) = delete;
  ConsoleEventLog& operator=(const ConsoleEventLog&) = delete;

  bool LinkGivenUp() const { return linkGivenUp_; }

 private:
  void OnLineAppended(const std::string& line) override {
    std::cerr << line << std::endl;
    if (line.ends_with(">> Communication Time Out- Timer")) linkGivenUp_ = true;
  }
  void OnFirstLineRemoved() override {}

  EventLog& log_;
  bool linkGivenUp_ = false;
};

}  // namespace korva
