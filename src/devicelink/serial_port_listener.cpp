#include "devicelink/serial_port_listener.h"

// termios2 (the port's speed) comes from the kernel header, as in serial_port.cpp.
#include <asm/termbits.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>
#include <system_error>

#include "devicelink/line_error_counts.h"
#include "devicelink/serial_event.h"
#include "devicelink/serial_port_error.h"

namespace korva {
namespace {

using std::chrono::nanoseconds;

// Limits of one hold: the driver's buffer never fills while the listener
// waits, and a reader that asks for more than ever comes still hears of
// what came.
constexpr std::size_t kHeldBytesLimit = 2000;
constexpr nanoseconds kLongestHold = std::chrono::milliseconds(25);

// A report of fresh input held back while the rest of a reply is on the line.
struct InputHold {
  bool active = false;
  timespec timeout{};
  // Bytes queued when the hold began; empty before the first hold.
  std::optional<std::size_t> queuedAtStart;
};

// Time the line takes for `bytes` at the port's receive speed, 10 bit times
// per byte; empty when the driver does not say its speed.
std::optional<nanoseconds> LineTime(int fd, std::size_t bytes) {
  termios2 line{};
  if (::ioctl(fd, TCGETS2, &line) != 0 || line.c_ispeed == 0) return std::nullopt;
  return nanoseconds(static_cast<std::int64_t>(bytes * 10'000'000'000ull / line.c_ispeed));
}

// Starts a hold when fewer than `wanted` bytes are queued and the line has
// brought more since the last hold began; false when the input is to be
// reported now.
bool HoldInput(int fd, std::size_t wanted, InputHold& hold) {
  const std::size_t awaited = std::min(wanted, kHeldBytesLimit);
  int queued = 0;
  if (awaited == 0 || ::ioctl(fd, FIONREAD, &queued) != 0) return false;
  const auto have = static_cast<std::size_t>(std::max(queued, 0));
  if (have >= awaited || hold.queuedAtStart == have) return false;
  const std::optional<nanoseconds> time = LineTime(fd, awaited - have);
  if (!time) return false;
  const nanoseconds wait = std::min(*time, kLongestHold);
  hold = {true, {0, static_cast<long>(wait.count())}, have};
  return true;
}

// The driver's error counters, or nothing when it keeps none (USB CDC-ACM
// devices, pseudo-terminals).
std::optional<LineErrorCounts> ReadLineErrorCounts(int fd) {
  serial_icounter_struct counters{};
  if (::ioctl(fd, TIOCGICOUNT, &counters) != 0) return std::nullopt;
  return LineErrorCounts{counters.frame, counters.overrun, counters.parity, counters.brk,
                         counters.buf_overrun};
}

}  // namespace

CSerialEx::~CSerialEx() {
  if (IsOpen()) CSerialEx::Close();
}

long CSerialEx::Open(const std::string& device, std::size_t inputQueueSize, std::size_t outputQueueSize) {
  if (const long code = CSerial::Open(device, inputQueueSize, outputQueueSize);
      code != error_code::kSuccess) {
    return code;
  }
  if (const long code = StartListener(); code != error_code::kSuccess) {
    CSerial::Close();
    return Remember(code);
  }
  return error_code::kSuccess;
}

long CSerialEx::Close() {
  StopListener();
  return CSerial::Close();
}

long CSerialEx::Write(std::span<const std::uint8_t> data, std::uint32_t timeoutMs) {
  const long code = CSerial::Write(data, timeoutMs);
  // A new request or a purge ends any wait for the rest of a reply.
  if (wantedBytes_.exchange(0) != 0) Wake();
  WatchInputAgain();
  return code;
}

long CSerialEx::Read(std::span<std::uint8_t> buffer, std::size_t& bytesRead) {
  const long code = CSerial::Read(buffer, bytesRead);
  wantedBytes_ = buffer.size() - bytesRead;
  WatchInputAgain();
  return code;
}

long CSerialEx::Purge() {
  const long code = CSerial::Purge();
  if (wantedBytes_.exchange(0) != 0) Wake();
  WatchInputAgain();
  return code;
}

long CSerialEx::StartListener() {
  wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeFd_ < 0) return ErrorFromErrno(errno);
  stop_ = false;
  watchingInput_ = true;
  wantedBytes_ = 0;
  try {
    listener_ = std::thread(&CSerialEx::Listen, this, Handle());
  } catch (const std::system_error& failure) {
    ::close(wakeFd_);
    wakeFd_ = -1;
    return ErrorFromErrno(failure.code().value());
  }
  return error_code::kSuccess;
}

// The listener blocks only in poll(), which the wake-up ends, so the join
// returns at once.
void CSerialEx::StopListener() {
  if (!listener_.joinable()) return;
  stop_ = true;
  Wake();
  listener_.join();
  ::close(wakeFd_);
  wakeFd_ = -1;
}

// A failing poll() ends the listener; no further notifications arrive until
// the port is closed and opened again.
void CSerialEx::Listen(int portFd) {
  bool lineUp = true;
  std::optional<LineErrorCounts> counts = ReadLineErrorCounts(portFd);
  InputHold hold;
  while (!stop_) {
    // A hang-up is seen during a hold too: it does not depend on the events asked for.
    const bool watchInput = watchingInput_ && !hold.active;
    pollfd entries[2] = {{wakeFd_, POLLIN, 0},
                         {lineUp ? portFd : -1, static_cast<short>(watchInput ? POLLIN : 0), 0}};
    const int ready = ::ppoll(entries, 2, hold.active ? &hold.timeout : nullptr, nullptr);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return;
    }
    const bool holdEnded = ready == 0;
    hold.active = false;
    if (entries[0].revents != 0) {
      std::uint64_t wakeups = 0;
      [[maybe_unused]] const ssize_t ignored = ::read(wakeFd_, &wakeups, sizeof wakeups);
      hold = {};
    }
    if (stop_) return;
    const short line = entries[1].revents;
    if ((line & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
      lineUp = false;
      OnSerialHangup();
    } else if ((line & POLLIN) != 0 || holdEnded) {
      if (HoldInput(portFd, wantedBytes_, hold)) continue;
      hold = {};
      ReportInput(portFd, counts);
    }
  }
}

// Stops watching for input before counting the queue, so that a read racing
// with this report always finds watchingInput_ false and wakes the listener
// to watch again. With nothing queued (the read took it all) the listener
// goes on watching.
void CSerialEx::ReportInput(int portFd, std::optional<LineErrorCounts>& counts) {
  watchingInput_ = false;
  int queued = 0;
  if (::ioctl(portFd, FIONREAD, &queued) != 0 || queued <= 0) watchingInput_ = true;
  std::uint16_t lineErrors = 0;
  if (counts) {
    if (const std::optional<LineErrorCounts> now = ReadLineErrorCounts(portFd)) {
      lineErrors = LineErrorsBetween(*counts, *now);
      counts = now;
    }
  }
  const std::uint16_t received = queued > 0 ? serial_event::kCharactersReceived : 0;
  const std::uint16_t events = (received | EventsForLineErrors(lineErrors)) & EventMask();
  if (events != 0) OnSerialEvent(events, lineErrors);
}

void CSerialEx::WatchInputAgain() {
  if (IsOpen() && !watchingInput_.exchange(true)) Wake();
}

void CSerialEx::Wake() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t ignored = ::write(wakeFd_, &one, sizeof one);
}

}  // namespace korva
