#include "sim/register_bank.h"

namespace korva::sim {

std::uint32_t RegisterBank::Get32(std::size_t lowIndex) const {
  return words_[lowIndex] | (static_cast<std::uint32_t>(words_[lowIndex + 1]) << 16);
}

void RegisterBank::SetBits(std::size_t index, std::uint16_t mask) {
  words_[index] = static_cast<std::uint16_t>(words_[index] | mask);
}

void RegisterBank::ClearBits(std::size_t index, std::uint16_t mask) {
  words_[index] = static_cast<std::uint16_t>(words_[index] & ~mask);
}

void RegisterBank::Set32(std::size_t lowIndex, std::uint32_t value) {
  words_[lowIndex] = static_cast<std::uint16_t>(value & 0xFFFF);
  words_[lowIndex + 1] = static_cast<std::uint16_t>(value >> 16);
}

void RegisterBank::HostWrite(std::size_t index, std::uint16_t value) {
  const std::uint16_t mask = HostWritableMask(index);
  words_[index] = static_cast<std::uint16_t>((words_[index] & ~mask) | (value & mask));
  if (index == reg::kControl && (value & reg::control::kTraceReady) == 0) {
    ClearBits(reg::kControl, reg::control::kTraceReady);
  }
}

std::uint16_t RegisterBank::HostWritableMask(std::size_t index) {
  if (reg::IsInstrumentCounted(index)) return 0;
  switch (index) {
    case reg::kModel:
      return static_cast<std::uint16_t>(~reg::model::kMask);
    case reg::kControl:
      return static_cast<std::uint16_t>(~reg::control::kTraceReady);
    default:
      return 0xFFFF;
  }
}

}  // namespace korva::sim
