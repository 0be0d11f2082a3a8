#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace korva::fuzz {

// A fuzz input read as a script of steps, one byte at a time; a finished
// script reads zeros and empty runs, so every step can always be taken.
class FuzzScript {
 public:
  explicit FuzzScript(std::span<const std::uint8_t> data) : data_(data) {}
  bool Done() const { return at_ >= data_.size(); }
  std::uint8_t Byte() { return Done() ? 0 : data_[at_++]; }
  std::span<const std::uint8_t> Bytes(std::size_t count) {
    const std::size_t taken = std::min(count, data_.size() - at_);
    const auto bytes = data_.subspan(at_, taken);
    at_ += taken;
    return bytes;
  }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t at_ = 0;
};

}  // namespace korva::fuzz
