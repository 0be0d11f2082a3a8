#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace korva::bench {

// What the line carried, as the proxy judged it.
struct ExchangeCounts {
  std::uint64_t exchanges = 0;   // requests answered or not
  std::uint64_t repeats = 0;     // a request sent again after a damaged or missing reply
  std::uint64_t mismatched = 0;  // a damaged or missing reply the tool went on from
};

// Judges the exchanges of one line: each request with the bytes that came
// back before the next request. A request sent again right after a reply
// that fails the reply checks is a repeat; any other request after such a
// reply means the tool took it. The last exchange of a tool run is not
// judged: a run that gives up ends on a damaged reply.
class ExchangeJudge {
 public:
  void OnRequestBytes(std::span<const std::uint8_t> bytes);
  void OnReplyBytes(std::span<const std::uint8_t> bytes);
  void EndOfRun();
  const ExchangeCounts& Counts() const { return counts_; }

 private:
  void OnRequest(std::vector<std::uint8_t> request);

  std::vector<std::uint8_t> pendingRequestBytes_;
  std::optional<std::vector<std::uint8_t>> request_;
  std::vector<std::uint8_t> reply_;
  ExchangeCounts counts_;
};

// A pseudo-terminal the tool opens in place of the instrument's: every
// byte passes on unchanged in both directions while a judge watches.
class LineProxy {
 public:
  explicit LineProxy(const std::string& instrumentDevice);
  ~LineProxy();
  LineProxy(const LineProxy&) = delete;
  LineProxy& operator=(const LineProxy&) = delete;

  const std::string& DevicePath() const { return devicePath_; }
  // A tool run ended; waits briefly for the bytes still on their way.
  void EndOfRun();
  ExchangeCounts Counts();

 private:
  void Pass(std::stop_token stop);

  int master_ = -1;
  int heldSlave_ = -1;  // keeps the line up between tool runs
  int instrument_ = -1;
  std::string devicePath_;
  std::mutex mutex_;
  ExchangeJudge judge_;
  std::jthread thread_;
};

}  // namespace korva::bench
