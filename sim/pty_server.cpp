#include "sim/pty_server.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "sim/paced_writer.h"

namespace korva::sim {

namespace {

using Clock = std::chrono::steady_clock;

// How long the server waits for a request before it lets instrument time pass.
constexpr int kPollMs = 5;
// The instrument's time passes in slices of at most kLongestSlice of
// steady-clock time, each shortened while it costs more than kSliceCost of
// computing and lengthened again when it costs less than a quarter of it,
// and the server spends at most kPhysicsBudget on them before it looks at
// the line again. A busy vial (1e5 decays per second at time scale 5) can
// cost more than the steady clock gives on a loaded machine; its time then
// lags behind the clock, and catches up when it can, while every request is
// still answered within a few milliseconds.
constexpr std::chrono::microseconds kLongestSlice{1000};
constexpr std::chrono::microseconds kShortestSlice{10};
constexpr Clock::duration kSliceCost = std::chrono::microseconds{1000};
constexpr std::chrono::microseconds kPhysicsBudget{4000};

}  // namespace

PtyServer::PtyServer(const ServerOptions& options)
    : instrument_(options.identity, options.seed, options.tdcr, options.spectrum, options.flashBytes),
      faults_(options.faults),
      baud_(options.baud),
      slice_(kShortestSlice) {}

PtyServer::~PtyServer() { Stop(); }

void PtyServer::Start() {
  if (thread_.joinable()) return;
  thread_ = std::jthread([this](const std::stop_token& stop) { Run(stop); });
}

void PtyServer::Stop() {
  if (!thread_.joinable()) return;
  thread_.request_stop();
  thread_.join();
}

void PtyServer::SetFaults(const FaultOptions& faults) {
  std::lock_guard lock(mutex_);
  faults_.Configure(faults);
}

void PtyServer::SetBaud(std::uint32_t baud) {
  std::lock_guard lock(mutex_);
  baud_ = baud;
}

void PtyServer::Inspect(const std::function<void(VirtualInstrument&)>& access) {
  std::lock_guard lock(mutex_);
  access(instrument_);
}

void PtyServer::Run(const std::stop_token& stop) {
  std::array<std::uint8_t, 4096> buffer{};
  auto last = Clock::now();
  auto requestsArrived = last;  // when the requests read so far are through the line
  Clock::duration owed{0};      // steady-clock time the instrument has not lived yet
  while (!stop.stop_requested()) {
    const std::size_t received = ReadRequests(buffer, owed >= kLongestSlice ? 0 : kPollMs);
    const auto now = Clock::now();
    owed += now - last;
    last = now;
    std::vector<Outgoing> outgoing = StepInstrument(std::span(buffer).first(received), owed);

    std::uint32_t baud = 0;
    {
      std::lock_guard lock(mutex_);
      baud = baud_;
    }
    if (received > 0) requestsArrived = std::max(requestsArrived, now) + WireTime(received, baud);
    for (const Outgoing& reply : outgoing) {
      if (!SleepUntil(std::max(Clock::now() + reply.delay, requestsArrived), stop)) return;
      // A reply the line cannot take is lost, as on a real line.
      if (WritePaced(terminal_.MasterFd(), reply.bytes, baud, stop) == WriteOutcome::kStopped) return;
    }
  }
}

std::size_t PtyServer::ReadRequests(std::span<std::uint8_t> buffer, int waitMs) {
  pollfd descriptor{terminal_.MasterFd(), POLLIN, 0};
  if (::poll(&descriptor, 1, waitMs) <= 0 || (descriptor.revents & POLLIN) == 0) return 0;
  const ssize_t count = ::read(terminal_.MasterFd(), buffer.data(), buffer.size());
  return count > 0 ? static_cast<std::size_t>(count) : 0;
}

// Lets the instrument live what it owes, in slices, until it is paid or the
// budget is spent, then hands it the received bytes.
std::vector<PtyServer::Outgoing> PtyServer::StepInstrument(std::span<const std::uint8_t> received,
                                                           Clock::duration& owed) {
  std::lock_guard lock(mutex_);
  const auto budgetEnd = Clock::now() + kPhysicsBudget;
  while (owed > Clock::duration{0} && Clock::now() < budgetEnd) {
    const auto slice =
        std::chrono::duration_cast<std::chrono::microseconds>(std::min<Clock::duration>(owed, slice_));
    if (slice.count() == 0) break;
    const auto began = Clock::now();
    instrument_.Advance(slice);
    owed -= slice;
    AdaptSlice(Clock::now() - began);
  }
  instrument_.Receive(received);
  std::vector<Outgoing> outgoing;
  for (Reply& reply : instrument_.TakeReplies()) {
    const Delivery delivery = faults_.Apply(reply.kind, reply.bytes);
    if (delivery.send) outgoing.push_back({std::move(reply.bytes), delivery.delay});
  }
  return outgoing;
}

void PtyServer::AdaptSlice(Clock::duration cost) {
  if (cost > kSliceCost) {
    slice_ = std::max(kShortestSlice, slice_ / 2);
  } else if (cost < kSliceCost / 4) {
    slice_ = std::min(kLongestSlice, slice_ * 2);
  }
}

}  // namespace korva::sim
