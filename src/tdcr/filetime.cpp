#include "tdcr/filetime.h"

#include <chrono>
#include <cstdio>

namespace korva {

namespace {

using FileTimeTicks = std::chrono::duration<std::int64_t, std::ratio<1, 10'000'000>>;
constexpr std::uint64_t kTicksPerMillisecond = 10'000;
constexpr std::chrono::sys_days kFileTimeEpoch =
    std::chrono::year{1601} / std::chrono::January / std::chrono::day{1};

}  // namespace

std::uint64_t FileTimeFromStampTime(const StampTime& time) {
  using namespace std::chrono;
  const sys_days date =
      year{time.year} / month{static_cast<unsigned>(time.month)} / day{static_cast<unsigned>(time.day)};
  const auto sinceEpoch = (date - kFileTimeEpoch) + hours{time.hour} + minutes{time.minute} +
                          seconds{time.second} + milliseconds{time.millisecond};
  return static_cast<std::uint64_t>(duration_cast<FileTimeTicks>(sinceEpoch).count());
}

StampTime StampTimeFromFileTime(std::uint64_t fileTime) {
  using namespace std::chrono;
  const milliseconds sinceEpoch{static_cast<std::int64_t>(fileTime / kTicksPerMillisecond)};
  const days wholeDays = floor<days>(sinceEpoch);
  const year_month_day date{kFileTimeEpoch + wholeDays};
  const hh_mm_ss clock{sinceEpoch - wholeDays};
  return StampTime{static_cast<int>(date.year()),
                   static_cast<int>(static_cast<unsigned>(date.month())),
                   static_cast<int>(static_cast<unsigned>(date.day())),
                   static_cast<int>(clock.hours().count()),
                   static_cast<int>(clock.minutes().count()),
                   static_cast<int>(clock.seconds().count()),
                   static_cast<int>(clock.subseconds().count())};
}

std::string FormatStartTime(const StampTime& time) {
  char text[64];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d  %02d:%02d:%02d.%02d", time.day, time.month, time.year,
                time.hour, time.minute, time.second, time.millisecond / 10);
  return text;
}

}  // namespace korva
