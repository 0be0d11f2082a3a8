#include "timesync/time_stamp_session.h"

#include <cstdio>

#include "timesync/clock_sync.h"

namespace korva {
namespace {

std::string TimestampLine(const char* caption, NtpTimestamp t) {
  const CalendarTime c = ToCalendar(t);
  char text[96];
  std::snprintf(text, sizeof text, "%s%02d/%02d/%04d  %02d:%02d:%02d.%03d", caption, c.day, c.month, c.year,
                c.hour, c.minute, c.second, c.millisecond);
  return text;
}

std::string SecondsLine(const char* format, double seconds) {
  char text[96];
  std::snprintf(text, sizeof text, format, seconds);
  return text;
}

std::vector<std::string> QueryReport(std::string_view server, const SntpResult& result) {
  return {
      "UTC Succesfully Retreived from: " + std::string(server),
      TimestampLine("This SYSTEM Originate Timestamp: ", result.originate),
      TimestampLine("NTP Server Receive Timestamp:     ", result.receive),
      TimestampLine("NTP Server Transmit Timestamp:    ", result.transmit),
      TimestampLine("This SYSTEM Destination Timestamp: ", result.destination),
      SecondsLine("SYSTEM-NTP-SYSTEM Delay: %f seconds", result.delay),
      SecondsLine("SYSTEM/LOCAL Clock Offset: %f seconds", result.offset),
  };
}

// A socket that cannot be created is reported with the socket layer's
// start-up message; no query was made.
std::string FailureLine(std::string_view server, SntpFailure failure) {
  if (failure == SntpFailure::kNoSocket) return "Failed to load winsock stack!";
  return "Failed to retreive time from: " + std::string(server);
}

}  // namespace

TimeStampSession::TimeStampSession(const TimeStampTools& tools) : tools_(tools) {}

std::vector<std::string> TimeStampSession::GetUtc(std::string_view server) {
  SntpResult result;
  queryGood_ = tools_.sntp.Query(server, result);
  std::vector<std::string> lines;
  if (queryGood_) {
    lastResult_ = result;
    lastServer_ = std::string(server);
    lines = QueryReport(server, result);
  } else {
    lines.push_back(FailureLine(server, tools_.sntp.LastFailure()));
  }
  lines.emplace_back(76, '-');
  return lines;
}

std::vector<std::string> TimeStampSession::Synchronise() {
  if (!queryGood_) return {};
  bool clockSet = false;
  std::vector<std::string> lines =
      SynchroniseClock(lastResult_.offset, tools_.clock, tools_.clockSetter, &clockSet);
  // The clock now runs on the server's time: "Use UTC" must not add the
  // measured offset a second time.
  if (clockSet) lastResult_.offset = 0;
  return lines;
}

}  // namespace korva
