#include "devicelink/serial_port.h"

// termios2 (any speed) comes from the kernel header; glibc's <termios.h>
// would clash with it and is not used here.
#include <asm/termbits.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "devicelink/serial_port_error.h"

namespace korva {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kBreakDuration = std::chrono::milliseconds(100);

// Raw mode: no line editing, echo, signals, translations or software flow
// control; reads return at once (VMIN = VTIME = 0).
void MakeRaw(termios2& line) {
  line.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
  line.c_oflag &= ~OPOST;
  line.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  line.c_cflag |= CREAD | CLOCAL;
  line.c_cc[VMIN] = 0;
  line.c_cc[VTIME] = 0;
}

void SetSpeed(termios2& line, std::uint32_t baudRate) {
  line.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
  line.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  line.c_ospeed = baudRate;
  line.c_ispeed = baudRate;
}

tcflag_t DataBitsFlag(int dataBits) {
  switch (dataBits) {
    case 5:
      return CS5;
    case 6:
      return CS6;
    case 7:
      return CS7;
    default:
      return CS8;
  }
}

void SetParity(termios2& line, CSerial::Parity parity) {
  line.c_cflag &= ~(PARENB | PARODD | CMSPAR);
  line.c_iflag &= ~INPCK;
  if (parity == CSerial::Parity::kNone) return;
  line.c_cflag |= PARENB;
  line.c_iflag |= INPCK;
  if (parity == CSerial::Parity::kOdd || parity == CSerial::Parity::kMark) line.c_cflag |= PARODD;
  if (parity == CSerial::Parity::kMark || parity == CSerial::Parity::kSpace) line.c_cflag |= CMSPAR;
}

long LastSystemError() { return ErrorFromErrno(errno); }

long GetLine(int fd, termios2& line) {
  return ::ioctl(fd, TCGETS2, &line) == 0 ? error_code::kSuccess : LastSystemError();
}

long SetLine(int fd, const termios2& line) {
  return ::ioctl(fd, TCSETS2, &line) == 0 ? error_code::kSuccess : LastSystemError();
}

// A USB adapter with a latency timer (FTDI and friends) otherwise holds
// short replies back for up to 16 ms. Drivers without the setting (ttyACM,
// pseudo-terminals) refuse the request, and a driver that refuses keeps its
// own latency: neither is an error.
void RequestLowLatency(int fd) {
  serial_struct serial{};
  if (::ioctl(fd, TIOCGSERIAL, &serial) != 0 || (serial.flags & ASYNC_LOW_LATENCY) != 0) return;
  serial.flags |= ASYNC_LOW_LATENCY;
  ::ioctl(fd, TIOCSSERIAL, &serial);
}

// Waits until `fd` takes more output or `deadline` passes; false on expiry.
// A hung-up line counts as writable so that the write reports the error.
bool WaitWritable(int fd, Clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    pollfd entry{fd, POLLOUT, 0};
    const int ready = ::poll(&entry, 1, static_cast<int>(left.count()));
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return true;
  }
}

}  // namespace

CSerial::~CSerial() {
  if (IsOpen()) CSerial::Close();
}

long CSerial::Open(const std::string& device, std::size_t inputQueueSize, std::size_t outputQueueSize) {
  if (IsOpen()) return Remember(error_code::kAlreadyInitialized);
  if (const long code = OpenExclusive(device); code != error_code::kSuccess) return Remember(code);
  if (const long code = ApplyDefaultLine(); code != error_code::kSuccess) {
    CSerial::Close();
    return Remember(code);
  }
  RequestLowLatency(fd_);
  inputQueueSize_ = inputQueueSize;
  outputQueueSize_ = outputQueueSize;
  eventMask_ = serial_event::kDefaultMask;
  readTimeouts_ = ReadTimeouts::kNonBlocking;
  return Remember(error_code::kSuccess);
}

// The advisory lock keeps out every other port object, in this process or
// another, root's included; TIOCEXCL also keeps out programs that open the
// device without taking the lock (except when they run as root).
long CSerial::OpenExclusive(const std::string& device) {
  const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return LastSystemError();
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
    const long code = LastSystemError();
    ::close(fd);
    return code;
  }
  fd_ = fd;
  return error_code::kSuccess;
}

// The line starts raw, 8N1, at the speed the driver has, without flow control.
long CSerial::ApplyDefaultLine() {
  termios2 line{};
  if (const long code = GetLine(fd_, line); code != error_code::kSuccess) return code;
  MakeRaw(line);
  line.c_cflag &= ~(CSIZE | CSTOPB | CRTSCTS);
  line.c_cflag |= CS8;
  SetParity(line, Parity::kNone);
  return SetLine(fd_, line);
}

long CSerial::Close() {
  if (!IsOpen()) return Remember(error_code::kInvalidHandle);
  // The exclusive flag belongs to the device, not to this descriptor.
  ::ioctl(fd_, TIOCNXCL);
  const long code = ::close(fd_) == 0 ? error_code::kSuccess : LastSystemError();
  fd_ = -1;
  return Remember(code);
}

long CSerial::Setup(std::uint32_t baudRate, int dataBits, Parity parity, StopBits stopBits) {
  if (!IsOpen()) return Remember(error_code::kInvalidHandle);
  if (baudRate == 0 || dataBits < 5 || dataBits > 8) return Remember(error_code::kInvalidParameter);
  termios2 line{};
  if (const long code = GetLine(fd_, line); code != error_code::kSuccess) return Remember(code);
  MakeRaw(line);
  SetSpeed(line, baudRate);
  line.c_cflag &= ~(CSIZE | CSTOPB);
  line.c_cflag |= DataBitsFlag(dataBits);
  if (stopBits != StopBits::kOne) line.c_cflag |= CSTOPB;
  SetParity(line, parity);
  if (const long code = SetLine(fd_, line); code != error_code::kSuccess) return Remember(code);
  readTimeouts_ = ReadTimeouts::kNonBlocking;
  return Remember(error_code::kSuccess);
}

long CSerial::SetHandshaking(Handshake mode) {
  if (!IsOpen()) return Remember(error_code::kInvalidHandle);
  termios2 line{};
  if (const long code = GetLine(fd_, line); code != error_code::kSuccess) return Remember(code);
  line.c_iflag &= ~(IXON | IXOFF | IXANY);
  line.c_cflag &= ~CRTSCTS;
  if (mode == Handshake::kRtsCts) line.c_cflag |= CRTSCTS;
  if (const long code = SetLine(fd_, line); code != error_code::kSuccess) return Remember(code);
  if (mode == Handshake::kRtsCts) {
    // A line without modem control (a pseudo-terminal) has no DTR to hold off.
    const int dtr = TIOCM_DTR;
    if (::ioctl(fd_, TIOCMBIC, &dtr) != 0 && errno != ENOTTY && errno != EINVAL) {
      return Remember(LastSystemError());
    }
  }
  return Remember(error_code::kSuccess);
}

long CSerial::SetEventMask(std::uint16_t mask) {
  if (!IsOpen()) return Remember(error_code::kInvalidHandle);
  eventMask_ = mask;
  return Remember(error_code::kSuccess);
}

long CSerial::SetReadTimeouts(ReadTimeouts mode) {
  if (!IsOpen()) return Remember(error_code::kInvalidHandle);
  readTimeouts_ = mode;
  return Remember(error_code::kSuccess);
}

long CSerial::Write(std::span<const std::uint8_t> data, std::uint32_t timeoutMs) {
  if (!IsOpen()) return Remember(error_code::kInvalidHandle);
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::size_t sent = 0;
  while (sent < data.size()) {
    const ssize_t written = ::write(fd_, data.data() + sent, data.size() - sent);
    if (written > 0) {
      sent += static_cast<std::size_t>(written);
    } else if (written < 0 && errno != EAGAIN && errno != EINTR) {
      return Remember(LastSystemError());
    } else if (!WaitWritable(fd_, deadline)) {
      ::ioctl(fd_, TCFLSH, TCOFLUSH);
      return Remember(error_code::kTimeout);
    }
  }
  return Remember(error_code::kSuccess);
}

long CSerial::Read(std::span<std::uint8_t> buffer, std::size_t& bytesRead) {
  bytesRead = 0;
  if (!IsOpen()) return Remember(error_code::kInvalidHandle);
  if (readTimeouts_ == ReadTimeouts::kBlocking) return Remember(ReadBlocking(buffer, bytesRead));
  for (;;) {
    const ssize_t got = ::read(fd_, buffer.data(), buffer.size());
    if (got >= 0) {
      bytesRead = static_cast<std::size_t>(got);
      return Remember(error_code::kSuccess);
    }
    if (errno == EAGAIN) return Remember(error_code::kSuccess);
    if (errno != EINTR) return Remember(LastSystemError());
  }
}

// Waits for input until `buffer` is full; a hung-up line ends the wait with
// what has arrived.
long CSerial::ReadBlocking(std::span<std::uint8_t> buffer, std::size_t& bytesRead) {
  while (bytesRead < buffer.size()) {
    pollfd entry{fd_, POLLIN, 0};
    if (::poll(&entry, 1, -1) < 0) {
      if (errno == EINTR) continue;
      return LastSystemError();
    }
    const ssize_t got = ::read(fd_, buffer.data() + bytesRead, buffer.size() - bytesRead);
    if (got > 0) {
      bytesRead += static_cast<std::size_t>(got);
    } else if (got < 0 && errno != EAGAIN && errno != EINTR) {
      return LastSystemError();
    } else if ((entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
      break;
    }
  }
  return error_code::kSuccess;
}

long CSerial::Purge() {
  if (!IsOpen()) return Remember(error_code::kInvalidHandle);
  return Remember(::ioctl(fd_, TCFLSH, TCIOFLUSH) == 0 ? error_code::kSuccess : LastSystemError());
}

long CSerial::Break() {
  if (!IsOpen()) return Remember(error_code::kInvalidHandle);
  if (::ioctl(fd_, TIOCSBRK) != 0) return Remember(LastSystemError());
  std::this_thread::sleep_for(kBreakDuration);
  return Remember(::ioctl(fd_, TIOCCBRK) == 0 ? error_code::kSuccess : LastSystemError());
}

}  // namespace korva
