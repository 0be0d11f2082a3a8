#include "common/event_log.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "common/month_name.h"

namespace korva {

std::optional<LocalCalendar> SystemLocalClock::Now() {
  const std::time_t now = std::time(nullptr);
  if (now == 0 || now == static_cast<std::time_t>(-1)) return std::nullopt;
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return std::nullopt;
  return LocalCalendar{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                       local.tm_hour,        local.tm_min,     local.tm_sec};
}

EventLog::EventLog(LocalClock& clock) : clock_(clock) {}

void EventLog::UpdateStamp() {
  const std::optional<LocalCalendar> now = clock_.Now();
  if (!now) return;
  char text[32];
  std::snprintf(text, sizeof text, "%02d-%s-%02d", now->day,
                std::string(MonthAbbreviation(static_cast<unsigned>(now->month))).c_str(), now->year - 2000);
  dateText_ = text;
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", now->hour, now->minute, now->second);
  timeText_ = text;
  stamp_ = {static_cast<std::uint16_t>(now->year - 2000), static_cast<std::uint16_t>(now->month - 1),
            static_cast<std::uint16_t>(now->day),         static_cast<std::uint16_t>(now->hour),
            static_cast<std::uint16_t>(now->minute),      static_cast<std::uint16_t>(now->second)};
}

void EventLog::AddLine(std::string_view message) {
  UpdateStamp();
  std::string line = dateText_ + "@" + timeText_ + ">> ";
  line += message;
  lines_.push_back(line);
  for (Listener* listener : listeners_) listener->OnLineAppended(line);
  if (lines_.size() > kMaxLines) {
    lines_.pop_front();
    for (Listener* listener : listeners_) listener->OnFirstLineRemoved();
  }
}

void EventLog::AddListener(Listener* listener) { listeners_.push_back(listener); }

void EventLog::RemoveListener(Listener* listener) { std::erase(listeners_, listener); }

}  // namespace korva
