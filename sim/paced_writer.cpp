#include "sim/paced_writer.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

namespace korva::sim {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint64_t kBitsPerByte = 10;
constexpr std::uint64_t kNanosPerSecond = 1'000'000'000;
// Longest single wait, so that a stop request is noticed promptly.
constexpr auto kWaitSlice = std::chrono::milliseconds(10);

// Bytes the line has carried `elapsed` after the start.
std::size_t BytesCarried(Clock::duration elapsed, std::uint32_t baud) {
  const auto nanos = static_cast<std::uint64_t>(std::chrono::nanoseconds(elapsed).count());
  return static_cast<std::size_t>(nanos * baud / (kBitsPerByte * kNanosPerSecond));
}

void WaitWritable(int fd) {
  pollfd descriptor{fd, POLLOUT, 0};
  ::poll(&descriptor, 1, static_cast<int>(kWaitSlice.count()));
}

}  // namespace

std::chrono::nanoseconds WireTime(std::size_t bytes, std::uint32_t baud) {
  if (baud == 0) return std::chrono::nanoseconds{0};
  const std::uint64_t bits = bytes * kBitsPerByte * kNanosPerSecond;
  return std::chrono::nanoseconds(static_cast<std::int64_t>((bits + baud - 1) / baud));
}

bool SleepUntil(Clock::time_point deadline, const std::stop_token& stop) {
  while (!stop.stop_requested()) {
    const auto now = Clock::now();
    if (now >= deadline) return true;
    std::this_thread::sleep_until(std::min(deadline, now + kWaitSlice));
  }
  return false;
}

WriteOutcome WritePaced(int fd, std::span<const std::uint8_t> bytes, std::uint32_t baud,
                        const std::stop_token& stop) {
  const auto start = Clock::now();
  // Wake-ups come about once a millisecond's worth of bytes is due.
  const std::size_t burst = std::max<std::size_t>(1, baud / (kBitsPerByte * 1000));
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    if (stop.stop_requested()) return WriteOutcome::kStopped;
    const std::size_t due =
        baud == 0 ? bytes.size() : std::min(bytes.size(), BytesCarried(Clock::now() - start, baud));
    if (due <= sent) {
      const std::size_t target = std::min(bytes.size(), sent + burst);
      if (!SleepUntil(start + WireTime(target, baud), stop)) return WriteOutcome::kStopped;
      continue;
    }
    const ssize_t written = ::write(fd, bytes.data() + sent, due - sent);
    if (written > 0) {
      sent += static_cast<std::size_t>(written);
    } else if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      WaitWritable(fd);
    } else if (!(written < 0 && errno == EINTR)) {
      return WriteOutcome::kFailed;
    }
  }
  return WriteOutcome::kWritten;
}

}  // namespace korva::sim
