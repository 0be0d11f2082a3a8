#include "sim/request_framer.h"

#include <numeric>

#include "sim/configuration_flash.h"

namespace korva::sim {

namespace {

using namespace korva::wire;

constexpr std::size_t kLongestWrite = kWriteRequestOverhead + 2 * kRegisterCount;

bool PlausibleLength(std::uint8_t command, std::size_t length) {
  if (FpgaFrameLength(command) != 0) return length == FpgaFrameLength(command);
  if (command == kReadCommand) return length == kReadRequestLength;
  return length >= kWriteRequestOverhead + 2 && length <= kLongestWrite && length % 2 == 1;
}

}  // namespace

void RequestFramer::Append(std::span<const std::uint8_t> bytes) {
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

std::optional<std::size_t> RequestFramer::PlausibleLengthAt(std::size_t offset) const {
  const std::size_t available = buffer_.size() - offset;
  const std::uint8_t command = buffer_[offset];
  if (command != kReadCommand && command != kWriteCommand && FpgaFrameLength(command) == 0) return 0;
  if (available < 2) return std::nullopt;
  if (buffer_[offset + 1] != 0) return 0;
  if (available < 4) return std::nullopt;
  const std::size_t length = ReadU16(buffer_, offset + 2);
  return PlausibleLength(command, length) ? length : 0;
}

std::optional<wire::Frame> RequestFramer::Next() {
  while (start_ < buffer_.size()) {
    const auto length = PlausibleLengthAt(start_);
    if (!length || (*length > 0 && buffer_.size() - start_ < *length)) return std::nullopt;
    if (*length > 0) {
      const auto begin = buffer_.begin() + static_cast<std::ptrdiff_t>(start_);
      const auto end = begin + static_cast<std::ptrdiff_t>(*length);
      const auto sum = std::accumulate(begin, end, 0u);
      if (static_cast<std::uint8_t>(sum) == kChecksumTarget) {
        wire::Frame frame(begin, end);
        Consume(*length);
        return frame;
      }
    }
    Consume(1);
  }
  return std::nullopt;
}

std::vector<wire::Frame> RequestFramer::Abandon() {
  std::vector<wire::Frame> frames;
  while (HasPending()) {
    if (auto frame = Next()) {
      frames.push_back(std::move(*frame));
    } else if (HasPending()) {
      Consume(1);
    }
  }
  return frames;
}

void RequestFramer::Consume(std::size_t count) {
  start_ += count;
  // Compacting only once the consumed part dominates keeps a long run of
  // noise linear to skip.
  if (start_ == buffer_.size()) {
    buffer_.clear();
    start_ = 0;
  } else if (start_ > 4096 && start_ > buffer_.size() / 2) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
    start_ = 0;
  }
}

}  // namespace korva::sim
