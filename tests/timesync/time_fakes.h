#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "devicelink/serial_link.h"
#include "timesync/calendar_time.h"
#include "timesync/datagram_link.h"
#include "timesync/ntp_timestamp.h"
#include "timesync/system_clock_setter.h"
#include "timesync/time_zone.h"
#include "timesync/utc_clock.h"

namespace korva::testing {

inline CalendarTime Utc(int year, int month, int day, int hour, int minute, int second, int millisecond = 0) {
  CalendarTime c;
  c.year = static_cast<std::uint16_t>(year);
  c.month = static_cast<std::uint16_t>(month);
  c.day = static_cast<std::uint16_t>(day);
  c.hour = static_cast<std::uint16_t>(hour);
  c.minute = static_cast<std::uint16_t>(minute);
  c.second = static_cast<std::uint16_t>(second);
  c.millisecond = static_cast<std::uint16_t>(millisecond);
  return c;
}

// A server's answer to `request`: by default a good one (leap indicator 0,
// version 4, mode 4, stratum 2, our transmit timestamp echoed as originate).
struct ReplyShape {
  std::uint8_t header = 0x24;
  std::uint8_t stratum = 2;
  NtpTimestamp receive{0, 3'900'000'000u};
  NtpTimestamp transmit{0, 3'900'000'000u};
  bool echoOriginate = true;
  std::size_t size = 48;
};

inline std::vector<std::uint8_t> MakeReply(const std::vector<std::uint8_t>& request,
                                           const ReplyShape& shape) {
  std::vector<std::uint8_t> reply(std::max<std::size_t>(shape.size, 48), 0);
  reply[0] = shape.header;
  reply[1] = shape.stratum;
  if (shape.echoOriginate && request.size() >= 48) std::copy_n(request.begin() + 40, 8, reply.begin() + 24);
  WriteNtpTimestamp(shape.receive, std::span(reply).subspan(32).first<8>());
  WriteNtpTimestamp(shape.transmit, std::span(reply).subspan(40).first<8>());
  reply.resize(shape.size);
  return reply;
}

// A UTC clock that moves only when told to.
class ManualClock : public UtcClock {
 public:
  explicit ManualClock(const CalendarTime& start) : fileTime_(ToFileTime(start)) {}
  CalendarTime Now() const override { return CalendarFromFileTime(fileTime_); }
  void Advance(std::uint64_t milliseconds) { fileTime_ += milliseconds * 10'000; }

 private:
  std::uint64_t fileTime_;
};

// Remembers every time it is asked to set and never touches the real clock.
class RecordingClockSetter : public SystemClockSetter {
 public:
  bool refuse = false;
  std::vector<CalendarTime> requests;
  bool SetUtc(const CalendarTime& utc) override {
    requests.push_back(utc);
    return !refuse;
  }
};

// A zone a fixed number of hours east of UTC.
class FixedZone : public TimeZone {
 public:
  explicit FixedZone(int hours) : hours_(hours) {}
  CalendarTime ToLocal(const CalendarTime& utc) const override {
    return CalendarFromFileTime(ToFileTime(utc) +
                                static_cast<std::uint64_t>(hours_) * 3600 * kFileTimeTicksPerSecond);
  }
  std::string Description() const override { return "UTC+" + std::to_string(hours_); }

 private:
  int hours_;
};

class FixedZoneSource : public TimeZoneSource {
 public:
  int hours = 2;
  std::unique_ptr<TimeZone> CaptureCurrent() const override { return std::make_unique<FixedZone>(hours); }
};

// A datagram link that answers each request with what `answer` makes of it.
// Each step can be made to fail with a chosen error.
class ScriptedLink : public DatagramLink {
 public:
  std::function<std::vector<std::uint8_t>(const std::vector<std::uint8_t>& request)> answer;
  std::function<void()> whileWaiting;  // e.g. moves the clock by the round trip
  long openError = 0, connectError = 0, sendError = 0, waitError = 0, receiveError = 0;

  std::optional<std::string> host;
  std::uint16_t port = 0;
  std::vector<std::uint8_t> sent;
  int waitedMs = -1;
  bool open = false;

  long Open() override {
    open = openError == 0;
    return openError;
  }
  long Connect(const std::string& h, std::uint16_t p) override {
    host = h;
    port = p;
    return connectError;
  }
  long Send(std::span<const std::uint8_t> datagram) override {
    sent.assign(datagram.begin(), datagram.end());
    return sendError;
  }
  long WaitReadable(int timeoutMs) override {
    waitedMs = timeoutMs;
    if (whileWaiting) whileWaiting();
    return waitError;
  }
  long Receive(std::span<std::uint8_t> buffer, std::size_t& received) override {
    received = 0;
    if (receiveError != 0) return receiveError;
    const std::vector<std::uint8_t> reply = answer ? answer(sent) : std::vector<std::uint8_t>{};
    received = std::min(reply.size(), buffer.size());
    std::copy_n(reply.begin(), received, buffer.begin());
    return 0;
  }
  void Close() override { open = false; }
};

}  // namespace korva::testing
