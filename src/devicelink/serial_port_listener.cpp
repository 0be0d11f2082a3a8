#include "devicelink/serial_port_listener.h"

#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <system_error>

#include "devicelink/line_error_counts.h"
#include "devicelink/serial_event.h"
#include "devicelink/serial_port_error.h"

namespace korva {
namespace {

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
  WatchInputAgain();
  return code;
}

long CSerialEx::Read(std::span<std::uint8_t> buffer, std::size_t& bytesRead) {
  const long code = CSerial::Read(buffer, bytesRead);
  WatchInputAgain();
  return code;
}

long CSerialEx::Purge() {
  const long code = CSerial::Purge();
  WatchInputAgain();
  return code;
}

long CSerialEx::StartListener() {
  wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeFd_ < 0) return ErrorFromErrno(errno);
  stop_ = false;
  watchingInput_ = true;
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
  while (!stop_) {
    pollfd entries[2] = {{wakeFd_, POLLIN, 0},
                         {lineUp ? portFd : -1, static_cast<short>(watchingInput_ ? POLLIN : 0), 0}};
    if (::poll(entries, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (entries[0].revents != 0) {
      std::uint64_t wakeups = 0;
      [[maybe_unused]] const ssize_t ignored = ::read(wakeFd_, &wakeups, sizeof wakeups);
    }
    if (stop_) return;
    const short line = entries[1].revents;
    if ((line & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
      lineUp = false;
      OnSerialHangup();
    } else if ((line & POLLIN) != 0) {
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
