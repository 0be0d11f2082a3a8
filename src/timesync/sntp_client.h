#pragma once

#include <cstdint>
#include <string_view>

#include "timesync/datagram_link.h"
#include "timesync/ntp_timestamp.h"
#include "timesync/utc_clock.h"

namespace korva {

// What one exchange with a time server measured.
struct SntpResult {
  std::uint8_t leapIndicator = 0;
  std::uint8_t stratum = 0;
  NtpTimestamp originate;    // T1: our clock when the request left, as echoed
  NtpTimestamp receive;      // T2: the server's clock when the request arrived
  NtpTimestamp transmit;     // T3: the server's clock when the reply left
  NtpTimestamp destination;  // T4: our clock when the reply became readable
  double delay = 0;          // round trip less the server's holding time, seconds
  double offset = 0;         // seconds to add to our UTC clock (the ClockOffset)
};

// The step of a query that failed.
enum class SntpFailure {
  kNone,
  kNoSocket,  // the socket could not be created
  kNoServer,  // bad server text, failed lookup or connect
  kSend,
  kTimedOut,  // no answer within the reply time-out
  kReceive,
  kBadReply,  // a datagram arrived but is no answer to our request
};

// Asks a time server for the time with one SNTP request and reply. The query
// blocks for at most the reply time-out plus the name lookup.
class CSNTPClient {
 public:
  static constexpr int kDefaultReplyTimeoutMs = 5000;

  CSNTPClient(DatagramLink& link, const UtcClock& clock);

  // `server` is a host name or dotted IPv4 address with an optional ":port"
  // (123 otherwise). On success fills `result` and returns true; on failure
  // LastFailure() and LastError() tell why (kSocketTimedOut on time-out) and
  // `result` is left as it was.
  bool Query(std::string_view server, SntpResult& result);

  long LastError() const { return lastError_; }
  SntpFailure LastFailure() const { return lastFailure_; }

  // For tests of the time-out path; real use keeps the default.
  void SetReplyTimeoutMs(int timeoutMs) { replyTimeoutMs_ = timeoutMs; }

 private:
  bool Exchange(std::string_view server, SntpResult& result);
  bool Fail(SntpFailure failure, long error);

  DatagramLink& link_;
  const UtcClock& clock_;
  int replyTimeoutMs_ = kDefaultReplyTimeoutMs;
  long lastError_ = 0;
  SntpFailure lastFailure_ = SntpFailure::kNone;
};

}  // namespace korva
