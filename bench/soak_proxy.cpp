#include "soak_proxy.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

#include "devicelink/wire_frame.h"

namespace korva::bench {

namespace {

constexpr std::size_t kMaxWriteFrame = 512;

std::size_t ExpectedReplyLength(std::span<const std::uint8_t> request) {
  return request[0] == wire::kReadCommand ? wire::ExpectedReadReplyLength(wire::ReadU16(request, 8))
                                          : wire::kWriteReplyLength;
}

// The length of the frame `bytes` starts with: 0 when more bytes are
// needed, none when the first byte starts no request.
std::optional<std::size_t> FrameLength(std::span<const std::uint8_t> bytes) {
  if (bytes[0] == wire::kReadCommand)
    return bytes.size() >= wire::kReadRequestLength ? wire::kReadRequestLength : 0;
  if (bytes[0] != wire::kWriteCommand) return std::nullopt;
  if (bytes.size() < 4) return 0;
  const std::size_t length = wire::ReadU16(bytes, 2);
  if (length < wire::kWriteRequestOverhead || length > kMaxWriteFrame) return std::nullopt;
  return bytes.size() >= length ? length : 0;
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EAGAIN || errno == EINTR) continue;
      return false;
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

int OpenRaw(const char* path) {
  const int fd = ::open(path, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return fd;
  termios line{};
  ::tcgetattr(fd, &line);
  ::cfmakeraw(&line);
  ::tcsetattr(fd, TCSANOW, &line);
  return fd;
}

}  // namespace

void ExchangeJudge::OnRequestBytes(std::span<const std::uint8_t> bytes) {
  pendingRequestBytes_.insert(pendingRequestBytes_.end(), bytes.begin(), bytes.end());
  while (!pendingRequestBytes_.empty()) {
    const std::optional<std::size_t> length = FrameLength(pendingRequestBytes_);
    if (length == 0) return;
    const std::size_t taken = length.value_or(1);
    std::vector<std::uint8_t> frame(pendingRequestBytes_.begin(),
                                    pendingRequestBytes_.begin() + static_cast<std::ptrdiff_t>(taken));
    pendingRequestBytes_.erase(pendingRequestBytes_.begin(),
                               pendingRequestBytes_.begin() + static_cast<std::ptrdiff_t>(taken));
    if (length) OnRequest(std::move(frame));
  }
}

void ExchangeJudge::OnReplyBytes(std::span<const std::uint8_t> bytes) {
  reply_.insert(reply_.end(), bytes.begin(), bytes.end());
}

void ExchangeJudge::OnRequest(std::vector<std::uint8_t> request) {
  if (request_) {
    ++counts_.exchanges;
    const bool valid = wire::CheckReply(*request_, ExpectedReplyLength(*request_), reply_).Valid();
    if (!valid && request == *request_) ++counts_.repeats;
    if (!valid && request != *request_) ++counts_.mismatched;
  }
  request_ = std::move(request);
  reply_.clear();
}

void ExchangeJudge::EndOfRun() {
  if (request_) ++counts_.exchanges;
  request_.reset();
  reply_.clear();
  pendingRequestBytes_.clear();
}

LineProxy::LineProxy(const std::string& instrumentDevice) {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
  devicePath_ = ::ptsname(master_);
  heldSlave_ = OpenRaw(devicePath_.c_str());
  instrument_ = OpenRaw(instrumentDevice.c_str());
  thread_ = std::jthread([this](std::stop_token stop) { Pass(stop); });
}

LineProxy::~LineProxy() {
  thread_ = {};
  for (const int fd : {master_, heldSlave_, instrument_}) {
    if (fd >= 0) ::close(fd);
  }
}

void LineProxy::Pass(std::stop_token stop) {
  std::vector<std::uint8_t> buffer(4096);
  while (!stop.stop_requested()) {
    pollfd ends[2] = {{master_, POLLIN, 0}, {instrument_, POLLIN, 0}};
    if (::poll(ends, 2, 100) <= 0) continue;
    for (int side = 0; side < 2; ++side) {
      if ((ends[side].revents & POLLIN) == 0) continue;
      const ssize_t got = ::read(ends[side].fd, buffer.data(), buffer.size());
      if (got <= 0) continue;
      const auto bytes = std::span<const std::uint8_t>(buffer).first(static_cast<std::size_t>(got));
      const std::lock_guard lock(mutex_);
      if (side == 0) {
        judge_.OnRequestBytes(bytes);
        WriteAll(instrument_, bytes);
      } else {
        judge_.OnReplyBytes(bytes);
        WriteAll(master_, bytes);
      }
    }
  }
}

void LineProxy::EndOfRun() {
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const std::lock_guard lock(mutex_);
  judge_.EndOfRun();
}

ExchangeCounts LineProxy::Counts() {
  const std::lock_guard lock(mutex_);
  return judge_.Counts();
}

}  // namespace korva::bench
